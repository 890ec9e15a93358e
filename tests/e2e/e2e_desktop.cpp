// The program among a desktop's conventions, on a real X server with a window
// manager and a tray: one task-bar entry and the program's icon, dialogs
// without minimize or maximize, whole titles, file dialogs in the right folder.
#include "Desktop.h"

#include <QFile>
#include <QSettings>
#include <QtTest>

using namespace TestSupport;
using Desktop::ProgramUnderTest;

namespace {

bool hasIcon(qulonglong window)
{
    return Desktop::property(window, "_NET_WM_ICON").contains("Icon (32 x 32)");
}

bool skipsTheTaskBar(qulonglong window)
{
    return Desktop::property(window, "_NET_WM_STATE").contains("_NET_WM_STATE_SKIP_TASKBAR");
}

// What the window manager offers for the window: no minimize, no maximize.
bool offersNeitherMinimizeNorMaximize(qulonglong window)
{
    const QString actions = Desktop::property(window, "_NET_WM_ALLOWED_ACTIONS");
    return actions.contains("_NET_WM_ACTION_CLOSE") && !actions.contains("MINIMIZE") && !actions.contains("MAXIMIZE");
}

// Of the picture's opaque pixels, the share that the screen shows otherwise.
double mismatchOn(const QImage &screen, QPoint at, const QImage &picture)
{
    const QImage art = picture.convertToFormat(QImage::Format_ARGB32);
    int opaque = 0, differing = 0;
    for (int y = 0; y < art.height(); ++y)
        for (int x = 0; x < art.width(); ++x) {
            const QRgb a = art.pixel(x, y);
            if (qAlpha(a) != 255)
                continue;
            const QRgb b = screen.pixel(at + QPoint(x, y));
            ++opaque;
            differing += qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b)) > 30;
        }
    return opaque ? double(differing) / opaque : 1.0;
}

// The median lightness of a picture's opaque pixels as the screen shows
// them: the face of a button, whatever its glyph.
int lightnessOn(const QImage &screen, QPoint at, const QImage &picture)
{
    const QImage art = picture.convertToFormat(QImage::Format_ARGB32);
    QList<int> seen;
    for (int y = 0; y < art.height(); ++y)
        for (int x = 0; x < art.width(); ++x)
            if (qAlpha(art.pixel(x, y)) == 255)
                seen << QColor(screen.pixel(at + QPoint(x, y))).lightness();
    std::sort(seen.begin(), seen.end());
    return seen.isEmpty() ? 0 : seen[seen.size() / 2];
}
}

class E2EDesktop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        REQUIRE_DESKTOP("x11", Desktop::hasX11());
        REQUIRE_DESKTOP("wm", Desktop::hasWindowManager());
    }

    // The record window stands in the task bar and the window switcher, also
    // after a Minimize and a restore; the windows carry the program's icon.
    void theRecordWindowIsInTheTaskBarAndEveryWindowTheIcon()
    {
        ProgramUnderTest program;
        const qulonglong window = program.startOn({record("1040"), record("1041", "Highest")});
        QVERIFY(window);
        QVERIFY(!skipsTheTaskBar(window));
        QVERIFY(hasIcon(window));
        const QRect frame = Desktop::settledGeometry(window);
        Desktop::clickAt(frame.topLeft() + QPoint(540, 27)); // Minimize
        QTRY_VERIFY(!Desktop::windowsOfProcess(program.process().processId()).contains(window));
        qulonglong placeholder = 0;
        for (qulonglong w : Desktop::windowsOfProcess(program.process().processId(), false)) {
            if (Desktop::windowName(w).startsWith("CADMorvo("))
                placeholder = w;
        }
        QVERIFY(placeholder);
        QVERIFY(hasIcon(placeholder));
        Desktop::xdotool({"windowactivate", QString::number(placeholder)});
        QTRY_VERIFY(Desktop::windowsOfProcess(program.process().processId()).contains(window));
        QVERIFY(!skipsTheTaskBar(window));

        Desktop::keys({"ctrl+f"});
        const qulonglong search = program.waitForWindow(program.process(), "Search Database");
        QVERIFY(search);
        QVERIFY(hasIcon(search));
    }

    // The search dialog, the About box and the check window of "Set
    // Database" offer neither minimize nor maximize; the check window has no
    // task-bar entry; the file dialog opens in the catalogue's folder, and the
    // closing message keeps its whole title.
    void dialogsAreDialogs()
    {
        ProgramUnderTest program;
        writeCatalogue(program.programFolder() + "/office.res", {record("500")});
        const qulonglong window = program.startOn({record("7")});
        QVERIFY(window);
        QTRY_COMPARE(Desktop::activeWindow(), window);

        Desktop::keys({"ctrl+f"});
        const qulonglong search = program.waitForWindow(program.process(), "Search Database");
        QVERIFY(search);
        QTRY_VERIFY(offersNeitherMinimizeNorMaximize(search));
        Desktop::keys({"Escape"});

        Desktop::xdotool({"windowactivate", "--sync", QString::number(window)});
        Desktop::keys({"F10", "Up", "Up", "Return"});
        const qulonglong about = program.waitForWindow(program.process(), "About Morvo II");
        QVERIFY(about);
        QTRY_VERIFY(offersNeitherMinimizeNorMaximize(about));
        QTRY_COMPARE(Desktop::activeWindow(), about);
        QTest::qWait(200);
        Desktop::screenshot("e2e_desktop_about");
        Desktop::keys({"Escape"});

        // Unlock, then "Set Database": the file dialog opens in the folder of
        // the catalogue in use, so the bare name of a catalogue there is enough.
        Desktop::xdotool({"windowactivate", "--sync", QString::number(window)});
        Desktop::keys({"ctrl+l", "F10", "Down", "Down", "Down", "Return"});
        const qulonglong chooser = program.waitForWindow(program.process(), "Morvo II");
        QVERIFY2(chooser, "no file dialog");
        QTest::qWait(500);
        Desktop::xdotool({"type", "--delay", "40", "office.res"});
        Desktop::keys({"Return"});
        const qulonglong check = program.waitForWindow(program.process(), "Checking Connection", 3000);
        QVERIFY2(check, "no check window");
        QVERIFY(skipsTheTaskBar(check));
        QVERIFY(offersNeitherMinimizeNorMaximize(check));
        const qulonglong message = program.waitForWindow(program.process(), "MORVO-II Database Changed");
        QVERIFY2(message, "no message that the catalogue changed");
        Desktop::screenshot("e2e_desktop_database_changed");
        // The title, bold in the window manager's font, fits beside the title bar's buttons.
        QFont titleFont(QStringLiteral("Sans"), 8, QFont::Bold);
        const int titleWidth = QFontMetrics(titleFont).horizontalAdvance("MORVO-II Database Changed");
        QVERIFY2(Desktop::windowGeometry(message).width() >= titleWidth + 4 * 22,
                 qPrintable(QString("the message is %1 pixels wide").arg(Desktop::windowGeometry(message).width())));
        Desktop::keys({"Return"});
        QVERIFY(program.process().waitForFinished(5000));
        QCOMPARE(program.setting(), program.programFolder() + "/office.res");
    }

    // At scale 2 the caption buttons and the skin's painted title show the
    // artwork drawn at twice the pixels, not a blown-up copy.
    void theArtworkIsSharpAtScaleTwo()
    {
        ProgramUnderTest program;
        QProcessEnvironment environment;
        environment.insert("QT_SCALE_FACTOR", "2");
        const qulonglong window = program.startOn({record("7")}, environment);
        QVERIFY(window);
        const QPoint origin = Desktop::settledGeometry(window).topLeft();
        QTest::qWait(300);
        const QImage shot = Desktop::screenshot("e2e_desktop_scale_2");
        const struct
        {
            const char *picture;
            QPoint at; // window pixels at scale 1
        } buttons[] = {{":/art/help@2x.png", {432, 15}},
                       {":/art/plus@2x.png", {496, 15}},
                       {":/art/exit@2x.png", {560, 15}},
                       {":/art/unlocked@2x.png", {400, 15}}};
        for (const auto &button : buttons) {
            const double mismatch = mismatchOn(shot, origin + button.at * 2, QImage(button.picture));
            QVERIFY2(mismatch < 0.02,
                     qPrintable(QString("%1: %2 of its pixels differ").arg(button.picture).arg(mismatch)));
        }
        // The title and the mark on the caption bar.
        const QImage title = QImage(":/art/skin@2x.png").copy(QRect(36, 22, 250, 64));
        const double mismatch = mismatchOn(shot, origin + QPoint(36, 22), title);
        QVERIFY2(mismatch < 0.02, qPrintable(QString("the title: %1 of its pixels differ").arg(mismatch)));
    }

    // The padlock rests like the caption buttons beside it, not as a darker,
    // disabled-looking button.
    void thePadlockLooksLikeItsNeighbours()
    {
        ProgramUnderTest program;
        const qulonglong window = program.startOn({record("1040"), record("1041", "Highest")});
        QVERIFY(window);
        const QPoint origin = Desktop::settledGeometry(window).topLeft();
        QTest::qWait(300);
        const QImage shot = Desktop::screenshot("e2e_desktop_padlock");
        const int help = lightnessOn(shot, origin + QPoint(432, 15), QImage(":/art/help.png"));
        const int padlock = lightnessOn(shot, origin + QPoint(400, 15), QImage(":/art/unlocked.png"));
        QVERIFY2(qAbs(help - padlock) < 20, qPrintable(QString("help %1, padlock %2").arg(help).arg(padlock)));
    }
};

QTEST_MAIN(E2EDesktop)
#include "e2e_desktop.moc"
