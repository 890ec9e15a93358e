// What a new user reaches with the mouse and the keyboard, on a real X server
// with a window manager: the fold buttons in every width, the search dialog,
// the keyboard map, and windows that stay on the screen.
#include "Desktop.h"

#include <QFile>
#include <QTemporaryDir>
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

const QRect Screen(0, 0, 1280, 1024); // the Xvfb screen of the test desktop
}

class E2EReach : public QObject
{
    Q_OBJECT

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
        const qulonglong window = program.startOn({record("1041", "Highest")});
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

    // The search dialog opens beside the record window, on screen, and the
    // keys typed next are its search text; F3 finds the next match.
    void theSearchDialogTakesTheKeyboardBesideTheWindow()
    {
        ProgramUnderTest program;
        const qulonglong window = program.startOn({record("1001", "Alpha"), record("1002", "Beta Bridge"),
                                                   record("1003", "Bridge End"), record("1041", "Highest")});
        QVERIFY(window);
        const QRect frame = Desktop::settledGeometry(window);
        Desktop::clickAt(frame.topLeft() + QPoint(376, 376)); // "Search"
        const qulonglong dialog = program.waitForWindow(program.process(), "Search Database");
        QVERIFY2(dialog, "the search dialog did not open");
        QTRY_COMPARE(Desktop::activeWindow(), dialog);
        const QRect beside = Desktop::settledGeometry(dialog);
        Desktop::screenshot("e2e_reach_search_dialog");
        QVERIFY2(!beside.intersects(frame), "the dialog covers the record window");
        QVERIFY2(Screen.contains(beside), "the dialog is not wholly on screen");

        Desktop::keys({"b", "r", "i", "d", "g", "e", "Return"});
        Desktop::clickAt(frame.topLeft() + QPoint(60, 81)); // the job number box
        QCOMPARE(Desktop::copyFocusedBox(), QString("1002"));
        // F3 and Shift+F3 from the record window: the next match either way.
        Desktop::keys({"F3"});
        QCOMPARE(Desktop::copyFocusedBox(), QString("1003"));
        Desktop::keys({"shift+F3"});
        QCOMPARE(Desktop::copyFocusedBox(), QString("1002"));
    }

    // Shortcuts move through the records and reach the editing commands;
    // Alt and a button's underlined letter press the button.
    void shortcutsMoveAndEdit()
    {
        ProgramUnderTest program;
        const qulonglong window = program.startOn({record("1001"), record("1002"), record("1003")});
        QVERIFY(window);
        QTRY_COMPARE(Desktop::activeWindow(), window);
        const auto shownAfter = [](const QStringList &typed) {
            Desktop::keys(typed);
            // A button pressed by its letter shows itself down for 100 ms
            // before it clicks; copying earlier would race the new record.
            QTest::qWait(250);
            return Desktop::copyFocusedBox();
        };
        QCOMPARE(shownAfter({"ctrl+Home"}), QString("1001"));
        QCOMPARE(shownAfter({"ctrl+Next"}), QString("1002"));
        QCOMPARE(shownAfter({"ctrl+End"}), QString("1003"));
        QCOMPARE(shownAfter({"ctrl+Prior"}), QString("1002"));
        QCOMPARE(shownAfter({"alt+l"}), QString("1003"));
        QCOMPARE(shownAfter({"alt+f"}), QString("1001"));
        // Unlock, add a record and store it.
        QCOMPARE(shownAfter({"ctrl+l", "ctrl+n"}), QString("1004"));
        Desktop::keys({"ctrl+s"});
        QTRY_COMPARE(jobNumbersInFile(program.catalogue()), (QStringList{"1001", "1002", "1003", "1004"}));
    }

    // The command menu, the search dialog and the About box open from the
    // keyboard; Escape closes the dialogs; F1 hands the help page over.
    void menusAndDialogsOpenFromTheKeyboard()
    {
        QTemporaryDir bin;
        const QString log = bin.filePath("opened.txt");
        QFile opener(bin.filePath("xdg-open"));
        QVERIFY(opener.open(QIODevice::WriteOnly));
        opener.write(QString("#!/bin/sh\nprintf '%s\\n' \"$@\" >> '%1'\n").arg(log).toUtf8());
        opener.close();
        opener.setPermissions(opener.permissions() | QFile::ExeOwner);
        QProcessEnvironment environment;
        environment.insert("PATH", bin.path() + ':' + qEnvironmentVariable("PATH"));

        ProgramUnderTest program;
        const qulonglong window = program.startOn({record("7")}, environment);
        QVERIFY(window);
        QTRY_COMPARE(Desktop::activeWindow(), window);

        Desktop::keys({"ctrl+f"});
        const qulonglong dialog = program.waitForWindow(program.process(), "Search Database");
        QVERIFY2(dialog, "Ctrl+F opened no search dialog");
        QTRY_COMPARE(Desktop::activeWindow(), dialog);
        Desktop::keys({"Escape"});
        QTRY_VERIFY(!Desktop::windowsOfProcess(program.process().processId()).contains(dialog));

        // F10: the command menu, its first command chosen; Up twice from there is "About".
        Desktop::run("xdotool", {"windowactivate", "--sync", QString::number(window)});
        const int before = int(Desktop::windowsOfProcess(program.process().processId()).size());
        Desktop::keys({"F10"});
        QTRY_VERIFY(Desktop::windowsOfProcess(program.process().processId()).size() > before);
        Desktop::screenshot("e2e_reach_menu_from_keyboard");
        Desktop::keys({"Up", "Up", "Return"});
        const qulonglong about = program.waitForWindow(program.process(), "About Morvo II");
        QVERIFY2(about, "the About box did not open from the keyboard menu");
        QTRY_COMPARE(Desktop::activeWindow(), about);
        Desktop::keys({"Escape"});
        QTRY_VERIFY(!Desktop::windowsOfProcess(program.process().processId()).contains(about));

        Desktop::run("xdotool", {"windowactivate", "--sync", QString::number(window)});
        Desktop::keys({"F1"});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(log), 10000);
        QFile opened(log);
        QVERIFY(opened.open(QIODevice::ReadOnly));
        QVERIFY(opened.readAll().contains("MorvoHelp.html"));
    }

    // A button that has the keyboard shows it plainly: its look changes all
    // round its edge, not by a shade.
    void theFocusOnAButtonIsClearlyVisible()
    {
        ProgramUnderTest program;
        const qulonglong window = program.startOn({record("1"), record("2")});
        QVERIFY(window);
        QTRY_COMPARE(Desktop::activeWindow(), window);
        const QRect frame = Desktop::settledGeometry(window);
        const QRect search = QRect(344, 364, 65, 25).translated(frame.topLeft());
        Desktop::keys({"ctrl+Home"}); // the keyboard stays in the job number box
        const QImage unfocused = Desktop::grabScreen().copy(search);
        // The search button is the 19th stop of the keyboard order: after the
        // eight boxes.
        Desktop::keys(QStringList(8, "Tab"));
        QTest::qWait(300);
        const QImage focused = Desktop::screenshot("e2e_reach_focus_on_search").copy(search);
        int strongly = 0;
        for (int y = 0; y < focused.height(); ++y)
            for (int x = 0; x < focused.width(); ++x) {
                const QColor a(unfocused.pixel(x, y)), b(focused.pixel(x, y));
                strongly += qAbs(a.lightness() - b.lightness()) + qAbs(a.hue() - b.hue()) / 2 > 80;
            }
        // At least a ring two pixels wide round most of the button.
        QVERIFY2(strongly > 2 * (search.width() + search.height()) * 2 * 7 / 10,
                 qPrintable(QString("only %1 pixels changed clearly").arg(strongly)));
    }

    // At scale 2 the record window opens wholly on the screen, and its Exit
    // button is reached.
    void theWindowOpensOnScreenAtScaleTwo()
    {
        ProgramUnderTest program;
        QProcessEnvironment environment;
        environment.insert("QT_SCALE_FACTOR", "2");
        const qulonglong window = program.startOn({record("7")}, environment);
        QVERIFY(window);
        const QRect frame = Desktop::settledGeometry(window);
        Desktop::screenshot("e2e_reach_scale_2");
        QVERIFY2(Screen.contains(frame), "the record window runs off the screen");
        Desktop::clickAt(frame.topLeft() + QPoint(572, 27) * 2); // Exit
        QVERIFY2(program.process().waitForFinished(5000), "Exit was not reached");
    }

    // The window opens where the user left it last time.
    void theWindowOpensWhereTheUserLeftIt()
    {
        ProgramUnderTest program;
        qulonglong window = program.startOn({record("1041", "Highest")});
        QVERIFY(window);
        const QPoint strip = Desktop::settledGeometry(window).topLeft() + QPoint(300, 25);
        Desktop::xdotool({"mousemove",
                          QString::number(strip.x()),
                          QString::number(strip.y()),
                          "sleep",
                          "0.1",
                          "mousedown",
                          "1",
                          "sleep",
                          "0.2",
                          "mousemove",
                          QString::number(strip.x() + 150),
                          QString::number(strip.y() + 200),
                          "sleep",
                          "0.05",
                          "mousemove",
                          QString::number(strip.x() + 300),
                          QString::number(strip.y() + 400),
                          "sleep",
                          "0.2",
                          "mouseup",
                          "1"});
        const QRect left = Desktop::settledGeometry(window);
        Desktop::clickAt(left.topLeft() + QPoint(572, 27)); // Exit
        QVERIFY(program.process().waitForFinished(5000));
        QProcess *again = program.start();
        window = program.waitForWindow(*again, RecordWindow);
        QVERIFY(window);
        QCOMPARE(Desktop::settledGeometry(window), left);
    }
};

QTEST_MAIN(E2EReach)
#include "e2e_reach.moc"
