// What a new user reaches with the mouse and the keyboard, on a real X server
// with a window manager: the fold buttons in every width, the search dialog,
// the keyboard map, and windows that stay on the screen.
#include "Desktop.h"

#include <QtTest>

using namespace TestSupport;
using Desktop::ProgramUnderTest;

namespace {
const QString RecordWindow = QStringLiteral("    Morvo II");

// A pixel of the screen is the desktop's (the root window is black under Xvfb).
bool isDesktop(const QImage &shot, QPoint at)
{
    return (shot.pixel(at) & 0xFFFFFF) == 0;
}
}

class E2EReach : public QObject
{
    Q_OBJECT

    qulonglong startProgram(ProgramUnderTest &program, const QList<Record> &records = {record("1041", "Highest")},
                            const QProcessEnvironment &environment = {})
    {
        writeCatalogue(program.catalogue(), records);
        program.start(environment);
        return program.waitForWindow(program.process(), RecordWindow);
    }

private slots:
    void initTestCase()
    {
        REQUIRE_DESKTOP("x11", Desktop::hasX11());
        REQUIRE_DESKTOP("wm", Desktop::hasWindowManager());
    }

    // The fold button stands inside the right edge in every width, and the
    // skin keeps its whole outline: frame down the right, corners rounded.
    void theFoldButtonIsOnScreenInEveryWidth()
    {
        ProgramUnderTest program;
        const qulonglong window = startProgram(program);
        QVERIFY(window);
        QCOMPARE(Desktop::settledGeometry(window).width(), 620);
        const QStringList states{"folded", "unfolded", "folded_again"};
        const QList<int> widths{597, 791, 597};
        for (int i = 0; i < widths.size(); ++i) {
            const QRect before = Desktop::settledGeometry(window);
            Desktop::clickAt(QPoint(before.right() - 11, before.top() + 220));
            QTRY_COMPARE_WITH_TIMEOUT(Desktop::windowGeometry(window).width(), widths[i], 30000);
            const QRect frame = Desktop::settledGeometry(window);
            const QImage shot = Desktop::screenshot("e2e_reach_panel_" + states[i]);
            const int right = frame.right();
            QVERIFY2(!isDesktop(shot, QPoint(right - 4, frame.top() + 200)), "no frame down the right edge");
            QVERIFY2(isDesktop(shot, QPoint(right, frame.top() + 200)), "the skin runs past its outline");
            QVERIFY2(isDesktop(shot, QPoint(right - 4, frame.top() + 5)), "the top right corner is not rounded");
            QVERIFY2(isDesktop(shot, QPoint(right - 4, frame.bottom() - 5)), "the bottom right corner is not rounded");
        }
    }
};

QTEST_MAIN(E2EReach)
#include "e2e_reach.moc"
