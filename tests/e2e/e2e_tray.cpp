// The real program's icon in a real notification area (trayer under openbox):
// embedded, its menu hides the record window, a left click brings it back,
// and "Exit" takes the icon away and ends the program.
#include "Desktop.h"

#include <QtTest>

using namespace TestSupport;
using Desktop::ProgramUnderTest;

namespace {
const QString RecordWindow = QStringLiteral("    Morvo II");
// Qt names the icon's window after the application.
const QString IconWindow = QString::fromLatin1(ProgramFacts::Title);

// The X parent of a window: "(the root window)" until a tray host embeds it.
QString parentLine(qulonglong window)
{
    for (const QString &line : Desktop::run("xwininfo", {"-tree", "-id", QString::number(window)}).split('\n')) {
        if (line.contains("Parent window id:"))
            return line.trimmed();
    }
    return QString();
}

bool isEmbedded(qulonglong window)
{
    const QString parent = parentLine(window);
    return !parent.isEmpty() && !parent.contains("(the root window)");
}

// The program's tray icon, once the tray host has embedded it; 0 if none comes.
qulonglong embeddedIcon(qint64 pid)
{
    qulonglong icon = 0;
    QTest::qWaitFor(
        [&] {
            for (qulonglong w : Desktop::windowsOfProcess(pid)) {
                if (Desktop::windowName(w) == IconWindow && isEmbedded(w))
                    icon = w;
            }
            return icon != 0;
        },
        10000);
    return icon;
}

bool isMapped(qint64 pid, qulonglong window)
{
    return Desktop::windowsOfProcess(pid).contains(window);
}

void clickIcon(qulonglong icon, int button)
{
    // The closing pop-up menu may still hold the pointer for a moment.
    QTest::qWait(300);
    const QPoint centre = Desktop::windowGeometry(icon).center();
    Desktop::run("xdotool",
                 {"mousemove", QString::number(centre.x()), QString::number(centre.y()), "sleep", "0.1", "click",
                  QString::number(button)});
}

// Picks an item of the pop-up menu that the right click opened: the menu
// holds the keyboard, so plain key presses reach it.
void pickFromTaskMenu(qint64 pid, const QStringList &keys)
{
    const QList<qulonglong> before = Desktop::windowsOfProcess(pid);
    QTest::qWaitFor([&] { return Desktop::windowsOfProcess(pid).size() > before.size(); }, 2000);
    QTest::qWait(200);
    Desktop::run("xdotool", QStringList{"key"} + keys);
}

// Right click on the icon, "Hide" from its menu: the record window is unmapped.
bool hideThroughTaskMenu(qint64 pid, qulonglong icon, qulonglong window)
{
    clickIcon(icon, 3);
    pickFromTaskMenu(pid, {"Down", "Return"});
    return QTest::qWaitFor([&] { return !isMapped(pid, window); }, 5000);
}
// The window is on screen as a person sees it: mapped, in the normal state
// (not iconic, not hidden) and holding the focus.
bool shownNormally(qint64 pid, qulonglong window)
{
    const QString id = QString::number(window);
    return isMapped(pid, window) && Desktop::run("xprop", {"-id", id, "WM_STATE"}).contains("Normal")
        && !Desktop::run("xprop", {"-id", id, "_NET_WM_STATE"}).contains("_NET_WM_STATE_HIDDEN")
        && Desktop::activeWindow() == window;
}

// "Hide to Taskbar" from the record window's own menu button.
bool hideThroughPopMenu(qint64 pid, qulonglong window)
{
    const QPoint menuButton = Desktop::windowGeometry(window).topLeft() + QPoint(508, 27);
    Desktop::run(
        "xdotool",
        {"mousemove", QString::number(menuButton.x()), QString::number(menuButton.y()), "sleep", "0.1", "click", "1"});
    pickFromTaskMenu(pid, {"Down", "Return"});
    return QTest::qWaitFor([&] { return !isMapped(pid, window); }, 5000);
}
}

class E2ETray : public QObject
{
    Q_OBJECT

    // The program on a catalogue of one record, its record window and its
    // icon in the tray; false when either did not come.
    static bool startWithIcon(ProgramUnderTest &program, qulonglong &window, qulonglong &icon)
    {
        window = program.startOn({record("7")});
        icon = window ? embeddedIcon(program.process().processId()) : 0;
        return window && icon;
    }

private slots:
    void initTestCase()
    {
        REQUIRE_DESKTOP("x11", Desktop::hasX11());
        REQUIRE_DESKTOP("wm", Desktop::hasWindowManager());
        REQUIRE_DESKTOP("tray", Desktop::hasTray());
    }

    void theIconHidesRestoresAndEndsTheProgram()
    {
        ProgramUnderTest program;
        writeCatalogue(program.catalogue(), {record("1041", "Highest"), record("1001", "Low")});
        program.start();
        const qint64 pid = program.process().processId();
        const qulonglong window = program.waitForWindow(program.process(), RecordWindow);
        QVERIFY2(window, "the record window was not mapped");
        const qulonglong icon = embeddedIcon(pid);
        QVERIFY2(icon, "the tray icon was not embedded in the notification area");

        // Right click: TaskMenu; its first item shown is "Hide".
        QVERIFY(hideThroughTaskMenu(pid, icon, window));
        QVERIFY(program.process().state() == QProcess::Running);

        // Left click: the record window comes back and takes the focus.
        clickIcon(icon, 1);
        QTRY_VERIFY_WITH_TIMEOUT(isMapped(pid, window), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::activeWindow(), window, 5000);
        // Nothing else of the program came up on the screen: the tray form stays unseen.
        QTest::qWait(300);
        QList<qulonglong> shown = Desktop::windowsOfProcess(pid), expected{icon, window};
        std::sort(shown.begin(), shown.end());
        std::sort(expected.begin(), expected.end());
        QCOMPARE(shown, expected);

        // Right click again: its last item is "Exit".
        clickIcon(icon, 3);
        pickFromTaskMenu(pid, {"Up", "Return"});
        QVERIFY2(program.process().waitForFinished(5000), "the program did not end");
        QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.process().exitCode(), 0);
        QVERIFY(!Desktop::run("xwininfo", {"-root", "-tree"}).contains(QString("0x%1").arg(icon, 0, 16)));
    }

    // Every hide and every restore route, fifty times in a row, without a
    // second click: each restore brings the window back shown and focused.
    void everyRestoreBringsTheWindowBackShown()
    {
        ProgramUnderTest program;
        qulonglong window = 0, icon = 0;
        QVERIFY(startWithIcon(program, window, icon));
        const qint64 pid = program.process().processId();
        for (int round = 0; round < 50; ++round) {
            const bool fromPopMenu = round % 2, byLeftClick = (round / 2) % 2;
            QVERIFY2(fromPopMenu ? hideThroughPopMenu(pid, window) : hideThroughTaskMenu(pid, icon, window),
                     qPrintable(QString("round %1: the window was not hidden").arg(round)));
            if (byLeftClick) {
                clickIcon(icon, 1);
            } else {
                clickIcon(icon, 3);
                pickFromTaskMenu(pid, {"Down", "Return"});
            }
            QVERIFY2(QTest::qWaitFor([&] { return shownNormally(pid, window); }, 5000),
                     qPrintable(QString("round %1: the restore left the window unseen").arg(round)));
        }
    }

    void aDoubleClickActsAsTwoLeftClicks()
    {
        ProgramUnderTest program;
        qulonglong window = 0, icon = 0;
        QVERIFY(startWithIcon(program, window, icon));
        const qint64 pid = program.process().processId();
        QVERIFY(hideThroughTaskMenu(pid, icon, window));

        QTest::qWait(300);
        const QPoint centre = Desktop::windowGeometry(icon).center();
        Desktop::run("xdotool",
                     {"mousemove", QString::number(centre.x()), QString::number(centre.y()), "sleep", "0.1", "click",
                      "--repeat", "2", "--delay", "80", "1"});
        QTRY_VERIFY_WITH_TIMEOUT(isMapped(pid, window), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::activeWindow(), window, 5000);
        QVERIFY(program.process().state() == QProcess::Running);
    }

    void aSecondStartBringsBackAWindowHiddenToTheTray()
    {
        ProgramUnderTest program;
        qulonglong window = 0, icon = 0;
        QVERIFY(startWithIcon(program, window, icon));
        const qint64 pid = program.process().processId();
        QVERIFY(hideThroughTaskMenu(pid, icon, window));

        QProcess *second = program.start();
        QVERIFY(second->waitForFinished(5000));
        QCOMPARE(second->exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(isMapped(pid, window), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(Desktop::activeWindow(), window, 5000);
    }
};

QTEST_MAIN(E2ETray)
#include "e2e_tray.moc"
#include "program/ProgramFacts.h"
