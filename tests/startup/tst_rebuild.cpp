// A build never writes over a user's catalogue: a record stored through the
// program survives a rebuild that regenerates the delivered example, and the
// example's tool keeps a catalogue someone has stored into. Runs the real
// build, so it runs alone.
#include "ProgramTestCase.h"

#include "catalogue/DataEnvironment1.h"
#include "desktop/AppPaths.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QtTest>
#include <sqlite3.h>

using namespace TestSupport;

namespace {
int run(const QString &program, const QStringList &arguments, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, arguments);
    return process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void storeInto(const QString &catalogue, const char *sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open(catalogue.toUtf8().constData(), &db);
    sqlite3_busy_timeout(db, 5000); // the program's daily backup may be reading the file
    QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}
}

class TestRebuild : public ProgramTestCase
{
    Q_OBJECT

private slots:
    void aRecordStoredThroughTheProgramSurvivesARebuild()
    {
        const QString build = qEnvironmentVariable("MORVO_BUILD_DIR");
        const QString example = qEnvironmentVariable("MORVO_BIN_DIR") + "/morvo.res";
        AppPaths::setProgramFolder(qEnvironmentVariable("MORVO_BIN_DIR"));
        qputenv("XDG_DATA_HOME", sandbox->path("data").toUtf8());
        QVERIFY(startProgramOnItsOwnCatalogue());
        const QString own = sandbox->setting();
        QCOMPARE(own, sandbox->path("data") + "/MorvoII/morvo.res");

        Recordset &records = DataEnvironment1::instance().rsConJobnr;
        QVERIFY(records.AddNew());
        QVERIFY(records.setValue("JobNumber", "9001"));
        QVERIFY(records.setValue("ProjectName", "Stored before the rebuild"));
        QVERIFY(records.Update());
        TestSupport::unloadAllForms();
        DataEnvironment1::reset();

        // Touch the example's tool: the build makes the example anew.
        const QString tool = qEnvironmentVariable("MORVO_SOURCE_DIR") + "/tools/make_catalogue.cpp";
        QFile source(tool);
        QVERIFY(source.open(QIODevice::ReadWrite));
        QVERIFY(source.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime));
        source.close();
        const QDateTime before = QFileInfo(example).lastModified();
        QTest::qWait(1100); // file times of a second's grain must differ
        QCOMPARE(run(qEnvironmentVariable("MORVO_CMAKE"), {"--build", build, "--target", "morvo_assets"}, 600000), 0);
        QVERIFY2(QFileInfo(example).lastModified() > before, "the rebuild did not make the example anew");

        QVERIFY(jobNumbersInFile(own).contains("9001"));
        QVERIFY(startProgramOnItsOwnCatalogue());
        QCOMPARE(sandbox->setting(), own);
        QCOMPARE(Forms::Loaded<Form1>()->TxtName->text(), QString("Stored before the rebuild"));
    }

    void theExampleToolKeepsACatalogueSomeoneStoredInto()
    {
        const QString tool = qEnvironmentVariable("MORVO_MAKE_CATALOGUE");
        const QString catalogue = sandbox->path("tool/morvo.res");
        QDir().mkpath(sandbox->path("tool"));
        QCOMPARE(run(tool, {catalogue}, 60000), 0);
        const QStringList example = jobNumbersInFile(catalogue);
        QVERIFY(example.size() >= 12);

        // A catalogue nobody has stored into since it was written is replaced.
        writeCatalogue(catalogue, {record("1")});
        QCOMPARE(run(tool, {catalogue}, 60000), 0);
        QCOMPARE(jobNumbersInFile(catalogue), example);

        storeInto(catalogue, "INSERT INTO Projects (JobNumber) VALUES ('9002')");
        QCOMPARE(run(tool, {catalogue}, 60000), 0);
        QCOMPARE(jobNumbersInFile(catalogue), example + QStringList{"9002"});
        QVERIFY(!QFile::exists(catalogue + ".part"));
    }

private:
    bool startProgramOnItsOwnCatalogue()
    {
        DataEnvironment1::reset();
        return StartUp::EntryRoutine() && QTest::qWaitForWindowExposed(Forms::Loaded<Form1>());
    }
};

QTEST_MAIN(TestRebuild)
#include "tst_rebuild.moc"
