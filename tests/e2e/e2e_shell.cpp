// The record window's own frame on a real X server with a window manager: its
// outline, a drag by the strip, and the minimize to the task-bar placeholder.
// Screenshots are kept in artefacts/ beside the test.
#include "Desktop.h"

#include "shell/Artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QtTest>

using namespace TestSupport;
using Desktop::ProgramUnderTest;

namespace {
const QString RecordWindow = QStringLiteral("    Morvo II");
constexpr QPoint StripPoint(300, 25); // on the drag strip, clear of every control
constexpr QPoint MinimizeButton(540, 27); // centres of the caption buttons, window pixels
constexpr QPoint ExitButton(572, 27);
constexpr QPoint BodyPoint(10, 200); // plain skin between the frame and the boxes

using Desktop::clickAt;
using Desktop::grabScreen;
using Desktop::settledGeometry;
using Desktop::xdotool;

QString number(qulonglong window)
{
    return QString::number(window);
}

// The picture of the screen, kept as an artefact of the run.
QImage screenshot(const QString &name)
{
    return Desktop::screenshot("e2e_shell_" + name);
}

// A click at a point of a window.
void clickAt(const QRect &window, QPoint at)
{
    Desktop::clickAt(window.topLeft() + at);
}

bool isIconic(qulonglong window)
{
    return Desktop::run("xprop", {"-id", number(window), "WM_STATE"}).contains("Iconic");
}

bool isMapped(qulonglong window)
{
    return Desktop::run("xwininfo", {"-id", number(window)}).contains("IsViewable");
}

// The placeholder is found among all the program's windows, mapped or not, by its caption.
qulonglong placeholderOf(QProcess &process, const QString &captionPrefix)
{
    for (qulonglong window : Desktop::windowsOfProcess(process.processId(), false)) {
        if (Desktop::windowName(window).startsWith(captionPrefix))
            return window;
    }
    return 0;
}
}

class E2EShell : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        REQUIRE_DESKTOP("x11", Desktop::hasX11());
        REQUIRE_DESKTOP("wm", Desktop::hasWindowManager());
    }

    void theWindowIsCutToTheSkinsOutline()
    {
        const QImage desktop = screenshot("desktop");
        ProgramUnderTest program;
        const qulonglong window = program.startOn({record("1040", "Middle"), record("1041", "Highest")});
        QVERIFY2(window, "the record window was not mapped");
        const QRect frame = Desktop::windowGeometry(window);
        QCOMPARE(frame.size(), Artwork::SkinSize);

        const QImage skin = QImage(QString::fromLatin1(Artwork::Skin)).convertToFormat(QImage::Format_RGB32);
        const QPoint body = frame.topLeft() + BodyPoint;
        QTRY_COMPARE(grabScreen().pixel(body), skin.pixel(BodyPoint));
        const QImage shot = screenshot("shaped");
        QVERIFY(shot.pixel(body) != desktop.pixel(body));

        // Wherever the skin is magenta the desktop shows through; nowhere is magenta drawn.
        int cutAway = 0, magentaSeen = 0;
        for (int y = 0; y < skin.height(); ++y) {
            for (int x = 0; x < skin.width(); ++x) {
                const QPoint onScreen = frame.topLeft() + QPoint(x, y);
                magentaSeen += (shot.pixel(onScreen) & 0xFFFFFF) == (Artwork::SkinKey & 0xFFFFFF);
                if ((skin.pixel(x, y) & 0xFFFFFF) == (Artwork::SkinKey & 0xFFFFFF)) {
                    ++cutAway;
                    QCOMPARE(shot.pixel(onScreen), desktop.pixel(onScreen));
                }
            }
        }
        QVERIFY(cutAway > 0);
        QCOMPARE(magentaSeen, 0);
        QCOMPARE(shot.pixel(frame.topLeft()), desktop.pixel(frame.topLeft()));
    }

    // The window follows the mouse to the pixel, from where it opens and from
    // places away from the screen's corner.
    void aLeftDragOnTheStripMovesTheWindowWithTheMouse()
    {
        ProgramUnderTest program;
        const qulonglong window = program.startOn({record("1040", "Middle"), record("1041", "Highest")});
        QVERIFY(window);
        const auto at = [](QPoint p) { return QStringList{QString::number(p.x()), QString::number(p.y())}; };
        for (const QPoint pull : {QPoint(60, 40), QPoint(250, 180), QPoint(-90, 30), QPoint(35, -120)}) {
            const QRect before = settledGeometry(window);
            const QPoint from = before.topLeft() + StripPoint;
            // Pauses between the steps let the window manager take the move over.
            xdotool(QStringList{"mousemove"} + at(from)
                    + QStringList{"sleep", "0.1", "mousedown", "1", "sleep", "0.2", "mousemove"} + at(from + pull / 2)
                    + QStringList{"sleep", "0.05", "mousemove"} + at(from + pull)
                    + QStringList{"sleep", "0.2", "mouseup", "1"});
            QCOMPARE(settledGeometry(window), before.translated(pull));
        }
        screenshot("dragged");
    }

    void minimizeLeavesAnIconicPlaceholderThatBringsTheWindowBack()
    {
        ProgramUnderTest program;
        const qulonglong window = program.startOn({record("1040", "Middle"), record("1041", "Highest")});
        QVERIFY(window);
        const QRect frame = Desktop::windowGeometry(window);

        // The first time the placeholder carries its load caption, with the number of the record on
        // screen, the second time the restore's.
        const QStringList captions{QStringLiteral("CADMorvo(1041)"), QStringLiteral("Morvo II(1041)")};
        for (int round = 1; round <= captions.size(); ++round) {
            const QString &caption = captions[round - 1];
            clickAt(frame, MinimizeButton);
            qulonglong placeholder = 0;
            QTRY_VERIFY((placeholder = placeholderOf(program.process(), caption)) && isIconic(placeholder));
            QTRY_VERIFY(!isMapped(window));
            // Whatever the window manager reported while it mapped the placeholder, it stays so.
            QTest::qWait(300);
            QVERIFY(isIconic(placeholder));
            QVERIFY(!isMapped(window));
            screenshot(QStringLiteral("minimized_%1").arg(round));

            // A task-bar click asks the window manager to activate the window.
            xdotool({"windowactivate", number(placeholder)});
            QTRY_VERIFY(isMapped(window));
            QTRY_VERIFY(!isMapped(placeholder));
            QCOMPARE(Desktop::windowName(placeholder), QString("Morvo II(1041)"));
            QCOMPARE(Desktop::windowGeometry(window), frame);
            screenshot(QStringLiteral("restored_%1").arg(round));
        }
        QVERIFY(program.process().state() == QProcess::Running);
    }

    void exitEndsTheProgram()
    {
        ProgramUnderTest program;
        const qulonglong window = program.startOn({record("1040", "Middle"), record("1041", "Highest")});
        QVERIFY(window);
        clickAt(Desktop::windowGeometry(window), ExitButton);
        QVERIFY(program.process().waitForFinished(5000));
        QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.process().exitCode(), 0);
    }
};

QTEST_MAIN(E2EShell)
#include "e2e_shell.moc"
