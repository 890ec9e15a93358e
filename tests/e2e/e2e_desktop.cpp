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
const QString RecordWindow = QStringLiteral("    Morvo II");

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

void keys(const QStringList &names)
{
    Desktop::xdotool(QStringList{"key", "--clearmodifiers", "--delay", "60"} + names);
}
}

class E2EDesktop : public QObject
{
    Q_OBJECT

    qulonglong startProgram(ProgramUnderTest &program)
    {
        writeCatalogue(program.catalogue(), {record("1040"), record("1041", "Highest")});
        program.start();
        return program.waitForWindow(program.process(), RecordWindow);
    }

private slots:
    void initTestCase()
    {
        REQUIRE_DESKTOP("x11", Desktop::hasX11());
        REQUIRE_DESKTOP("wm", Desktop::hasWindowManager());
    }

    // The record window stays off the task bar, also after a Minimize and a
    // restore; the windows carry the program's icon.
    void theRecordWindowHasNoTaskBarEntryAndEveryWindowTheIcon()
    {
        ProgramUnderTest program;
        const qulonglong window = startProgram(program);
        QVERIFY(window);
        QTRY_VERIFY(skipsTheTaskBar(window));
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
        QTRY_VERIFY(skipsTheTaskBar(window));

        keys({"ctrl+f"});
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
        writeCatalogue(program.catalogue(), {record("7")});
        writeCatalogue(program.programFolder() + "/office.res", {record("500")});
        program.start();
        const qulonglong window = program.waitForWindow(program.process(), RecordWindow);
        QVERIFY(window);
        QTRY_COMPARE(Desktop::activeWindow(), window);

        keys({"ctrl+f"});
        const qulonglong search = program.waitForWindow(program.process(), "Search Database");
        QVERIFY(search);
        QTRY_VERIFY(offersNeitherMinimizeNorMaximize(search));
        keys({"Escape"});

        Desktop::xdotool({"windowactivate", "--sync", QString::number(window)});
        keys({"F10", "Up", "Up", "Return"});
        const qulonglong about = program.waitForWindow(program.process(), "About Morvo II");
        QVERIFY(about);
        QTRY_VERIFY(offersNeitherMinimizeNorMaximize(about));
        QTRY_COMPARE(Desktop::activeWindow(), about);
        QTest::qWait(200);
        Desktop::screenshot("e2e_desktop_about");
        keys({"Escape"});

        // Unlock, then "Set Database": the file dialog opens in the folder of
        // the catalogue in use, so the bare name of a catalogue there is enough.
        Desktop::xdotool({"windowactivate", "--sync", QString::number(window)});
        keys({"ctrl+l", "F10", "Down", "Down", "Down", "Return"});
        const qulonglong chooser = program.waitForWindow(program.process(), "Morvo II");
        QVERIFY2(chooser, "no file dialog");
        QTest::qWait(500);
        Desktop::xdotool({"type", "--delay", "40", "office.res"});
        keys({"Return"});
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
        keys({"Return"});
        QVERIFY(program.process().waitForFinished(5000));
        QCOMPARE(program.setting(), program.programFolder() + "/office.res");
    }
};

QTEST_MAIN(E2EDesktop)
#include "e2e_desktop.moc"
