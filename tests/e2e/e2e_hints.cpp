// Hints where a new user is stuck: a record whose drawing folder does not
// exist says so in the list's place, and the program started without a
// desktop session says where it runs, how to see it and how to stop it.
#include "Desktop.h"
#include "ProgramTestCase.h"

#include "widgets/FileListBox.h"

#include <QDir>
#include <QLabel>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>

using namespace TestSupport;

namespace {

QString runOn(const QString &display, const QString &program, const QStringList &arguments)
{
    QProcess p;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display);
    p.setProcessEnvironment(environment);
    p.start(program, arguments);
    p.waitForFinished(5000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}
}

class E2EHints : public ProgramTestCase
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        REQUIRE_DESKTOP("x11", Desktop::hasX11());
        REQUIRE_DESKTOP("wm", Desktop::hasWindowManager());
    }

    // The list says which folder is missing; a record whose folder is there
    // lists its drawings without a word.
    void aMissingDrawingFolderIsNamedInTheListsPlace()
    {
        QTemporaryDir jobs;
        QFile(jobs.filePath("plan.dwg")).open(QIODevice::WriteOnly);
        const QString missing = QStringLiteral("/srv/drawings/1042/");
        copyBuiltOutline();
        Form1 *w = startProgram(
            {record("1041", "There", jobs.filePath("plan.dwg")), record("1042", "Gone", missing + "plan.dwg")});
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        auto *notice = w->File1->findChild<QLabel *>("FolderNotice");
        QVERIFY2(notice, "the list has no place for a notice");
        QTRY_VERIFY(notice->isVisible());
        QCOMPARE(notice->text(), "Folder not found: " + missing);
        QVERIFY2(notice->geometry().bottom() < w->File1->height(), "the notice is not inside the list");
        Desktop::screenshot("e2e_hints_folder_not_found");

        Desktop::keysToThisProcess({"ctrl+Prior"});
        QTRY_COMPARE(w->File1->names(), QStringList{"plan.dwg"});
        QTRY_VERIFY(!notice->isVisible());
        Desktop::keysToThisProcess({"ctrl+Next"});
        QTRY_VERIFY(notice->isVisible());
    }

    // Started without a desktop session, the program runs on a private X
    // server and says so: on which display, how to look at it, how to stop it.
    void withoutADesktopTheProgramSaysWhereItRuns()
    {
        const QString script = qEnvironmentVariable("MORVO_SOURCE_DIR") + "/scripts/private-display.sh";
        QVERIFY(QFile::exists(script));
        writeCatalogue(sandbox->programFolder() + "/morvo.res", {record("7")});
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.insert("XDG_CONFIG_HOME", sandbox->path("config"));
        run.setProcessEnvironment(environment);
        run.start(script, {qEnvironmentVariable("MORVO_EXE")});
        QVERIFY(run.waitForStarted(5000));
        QString said;
        QTRY_VERIFY_WITH_TIMEOUT((said += QString::fromLocal8Bit(run.readAllStandardError())).contains("kill "), 20000);
        const QString display = QRegularExpression("display (:\\d+)").match(said).captured(1);
        QVERIFY2(!display.isEmpty(), qPrintable(said));
        QVERIFY(said.contains("DISPLAY=" + display + " import -window root"));
        QVERIFY(said.contains("x11vnc -display " + display));
        QVERIFY(said.contains("Ctrl+C"));

        // The record window is on that display, as the hint says.
        QTRY_VERIFY_WITH_TIMEOUT(
            !runOn(display, "xdotool", {"search", "--onlyvisible", "--name", "^    Morvo II$"}).isEmpty(), 20000);

        // Stopped the way the hint says, the program and its private X server end.
        const qint64 pid = QRegularExpression("kill (\\d+)").match(said).captured(1).toLongLong();
        QVERIFY(pid > 0);
        QCOMPARE(::kill(pid_t(pid), SIGTERM), 0);
        QVERIFY2(run.waitForFinished(10000), "the private X server is still running");
        QVERIFY(runOn(display, "xdpyinfo", {}).isEmpty());
    }
};

QTEST_MAIN(E2EHints)
#include "e2e_hints.moc"
