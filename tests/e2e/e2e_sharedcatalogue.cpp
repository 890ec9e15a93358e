// The real program and a second writer on one catalogue file: what another
// program stored is never overwritten unseen; the person at the window decides.
#include "Desktop.h"

#include <QtTest>

using namespace TestSupport;
using Desktop::ProgramUnderTest;

namespace {
const QString RecordWindow = QStringLiteral("    Morvo II");
// Window pixels of the controls used here.
constexpr QPoint Padlock(412, 27);
constexpr QPoint ProjectNameBox(220, 114);
constexpr QPoint UpdateButton(192, 376);

void clickAt(qulonglong window, QPoint at)
{
    const QPoint p = Desktop::windowGeometry(window).topLeft() + at;
    Desktop::run("xdotool",
                 {"mousemove", QString::number(p.x()), QString::number(p.y()), "sleep", "0.1", "click", "1"});
}

QString other(const QString &path, const QStringList &operation)
{
    QProcess peer;
    peer.start(QStringLiteral(CATALOGUE_PEER), QStringList{path} + operation);
    return peer.waitForFinished(20000) ? QString::fromUtf8(peer.readAllStandardOutput()).trimmed() : QString();
}

// The question window of the program, once it is on screen.
qulonglong waitForQuestion(QProcess &program)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (qulonglong window : Desktop::windowsOfProcess(program.processId())) {
            if (Desktop::windowName(window) == QLatin1String("MorvoII"))
                return window;
        }
        QTest::qWait(100);
    }
    return 0;
}
}

class E2ESharedCatalogue : public QObject
{
    Q_OBJECT
    QString location; // of the catalogue: a file, or a server's address

    // Starts the program on the catalogue, unlocks it and types a new project
    // name into the last record; another program changes the record before
    // Update is pressed.
    qulonglong typeOverTheirs(ProgramUnderTest &program, const QStringList &theirChange)
    {
        location = writeCatalogue(program.catalogue(), {record("1040", "Middle"), record("1041", "Highest")});
        if (usingServer())
            program.setSetting(location);
        program.start();
        const qulonglong window = program.waitForWindow(program.process(), RecordWindow);
        if (!window)
            return 0;
        clickAt(window, Padlock);
        QTest::qWait(300);
        clickAt(window, ProjectNameBox);
        Desktop::run("xdotool", {"key", "--clearmodifiers", "ctrl+a"});
        Desktop::run("xdotool", {"type", "--delay", "20", "Mine"});
        for (int step = 0; step < theirChange.size(); step += 4)
            if (other(location, theirChange.mid(step, 4)) != QLatin1String("ok"))
                return 0;
        QTest::qWait(1000); // the window has looked for changes meanwhile
        clickAt(window, UpdateButton);
        return window;
    }

private slots:
    void initTestCase()
    {
        REQUIRE_DESKTOP("x11", Desktop::hasX11());
        REQUIRE_DESKTOP("wm", Desktop::hasWindowManager());
    }

    void aChangeOfTheSameFieldIsShownAndStoredOnlyWhenChosen()
    {
        ProgramUnderTest program;
        QVERIFY(typeOverTheirs(program, {"set", "1041", "ProjectName", "Theirs"}));
        const qulonglong question = waitForQuestion(program.process());
        QVERIFY2(question, "no question about the other program's change");
        QCOMPARE(fieldInFile(location, "ProjectName").last(), QVariant("Theirs"));
        Desktop::run("xdotool", {"windowactivate", "--sync", QString::number(question)});
        Desktop::run("xdotool", {"key", "--clearmodifiers", "alt+s"}); // Store mine over theirs
        QTRY_COMPARE(fieldInFile(location, "ProjectName").last(), QVariant("Mine"));
    }

    void theSameOnACatalogueOnAServer()
    {
        REQUIRE_DESKTOP("postgres", !qEnvironmentVariableIsEmpty("MORVO_TEST_PG"));
        qputenv("MORVO_TEST_STORE", "postgres");
        aChangeOfTheSameFieldIsShownAndStoredOnlyWhenChosen();
        qunsetenv("MORVO_TEST_STORE");
    }

    void aRecordDeletedAndItsRowIdReusedIsNeverOverwritten()
    {
        ProgramUnderTest program;
        QVERIFY(typeOverTheirs(program, {"delete", "1041", "", "", "add", "1041", "ProjectName", "New of theirs"}));
        const qulonglong question = waitForQuestion(program.process());
        QVERIFY2(question, "no question about the deleted record");
        QCOMPARE(fieldInFile(location, "ProjectName"), (QList<QVariant>{"Middle", "New of theirs"}));
        Desktop::run("xdotool", {"windowactivate", "--sync", QString::number(question)});
        Desktop::run("xdotool", {"key", "--clearmodifiers", "alt+n"}); // Store as a new record
        // Theirs holds the job number now: storing mine under it too is asked about first.
        QTest::qWait(300);
        const qulonglong again = waitForQuestion(program.process());
        QVERIFY2(again, "no question about the job number taken meanwhile");
        QCOMPARE(fieldInFile(location, "ProjectName"), (QList<QVariant>{"Middle", "New of theirs"}));
        Desktop::run("xdotool", {"windowactivate", "--sync", QString::number(again)});
        Desktop::run("xdotool", {"key", "--clearmodifiers", "alt+u"}); // Use 1042
        QTRY_COMPARE(fieldInFile(location, "ProjectName"), (QList<QVariant>{"Middle", "New of theirs", "Mine"}));
        QCOMPARE(fieldInFile(location, "JobNumber"), (QList<QVariant>{"1040", "1041", "1042"}));
    }
};

QTEST_MAIN(E2ESharedCatalogue)
#include "e2e_sharedcatalogue.moc"
