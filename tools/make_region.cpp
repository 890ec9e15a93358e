// make_region <skin.png> <out Morvo.dat>: writes the region file of a skin with the program's
// own region code, magenta being transparent, so the file always matches what the program builds.
#include "shell/clsTransForm.h"

#include <QApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: make_region <skin.png> <out Morvo.dat>\n");
        return 2;
    }
    const QPixmap skin(arguments[1]);
    if (skin.isNull()) {
        std::fprintf(stderr, "make_region: cannot read picture %s\n", qPrintable(arguments[1]));
        return 1;
    }

    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.resize(skin.deviceIndependentSize().toSize());
    QPalette palette = window.palette();
    palette.setBrush(QPalette::Window, skin);
    window.setPalette(palette);

    clsTransForm transform;
    try {
        transform.ShapeMe(&window, qRgb(255, 0, 255), false, arguments[2]);
    } catch (const TransFormError &error) {
        std::fprintf(stderr, "make_region: %s (%d, %s)\n", qPrintable(error.Description), error.Number,
                     qPrintable(error.Source));
        return 1;
    }
    return 0;
}
