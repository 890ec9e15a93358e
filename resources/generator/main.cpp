// Draws the program's artwork and writes it as PNG files (and SVG where a
// picture is wanted as vectors).
//
//   morvo_artgen <output folder> <file name>...
//
// The file names are the ones the build expects; the run fails when they differ
// from what this program draws, so the build's list cannot drift from it.

#include "Pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QSet>
#include <QSvgGenerator>
#include <QTextStream>

namespace {

template <class Pictures> QSet<QString> fileNames(const Pictures &pictures)
{
    QSet<QString> names;
    for (const auto &picture : pictures)
        names.insert(picture.fileName);
    return names;
}

bool writeSvg(const VectorPicture &picture, const QString &path)
{
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(picture.size);
    svg.setViewBox(QRect(QPoint(), picture.size));
    svg.setTitle(QStringLiteral("Morvo II"));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    picture.paint(painter, QRectF(QPointF(), picture.size));
    return painter.end();
}

QStringList sorted(const QSet<QString> &names)
{
    QStringList list(names.cbegin(), names.cend());
    list.sort();
    return list;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        err << "usage: morvo_artgen <output folder> <file name>...\n";
        return 2;
    }
    const QDir out(args.takeFirst());
    if (!out.mkpath(QStringLiteral("."))) {
        err << "cannot create " << out.path() << "\n";
        return 1;
    }

    const QList<Picture> pictures = allPictures();
    const QList<VectorPicture> vectorPictures = allVectorPictures();
    const QSet<QString> expected(args.cbegin(), args.cend());
    const QSet<QString> drawn = fileNames(pictures) + fileNames(vectorPictures);
    if (expected != drawn) {
        for (const QString &name : sorted(expected - drawn))
            err << "the build expects " << name << ", which is not drawn here\n";
        for (const QString &name : sorted(drawn - expected))
            err << name << " is drawn but not listed in the build\n";
        return 1;
    }

    // A picture that fails its checks is kept aside for inspection, never
    // under the name the build consumes.
    bool failed = false;
    for (const Picture &picture : pictures) {
        const QImage image = picture.paint();
        const QStringList problems = picture.problems(image);
        for (const QString &problem : problems)
            err << picture.fileName << ": " << problem << "\n";
        const QString path =
            out.filePath(problems.isEmpty() ? picture.fileName : picture.fileName + QStringLiteral(".rejected.png"));
        if (!image.save(path, "PNG")) {
            err << "cannot write " << path << "\n";
            failed = true;
        }
        failed = failed || !problems.isEmpty();
    }
    for (const VectorPicture &picture : vectorPictures) {
        if (!writeSvg(picture, out.filePath(picture.fileName))) {
            err << "cannot write " << out.filePath(picture.fileName) << "\n";
            failed = true;
        }
    }
    return failed ? 1 : 0;
}
