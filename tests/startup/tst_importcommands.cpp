// morvo --export and --import, run as a script would run them: the real
// program, its output, its status, and the files it leaves.
#include "CatalogueFiles.h"
#include "JetTestData.h"

#include "import/CatalogueRecordSource.h"

#include <QProcess>
#include <QtTest>

using namespace JetTestData;

namespace {
struct Run
{
    int status = -1;
    QString out, err;
};

QList<ImportRecord> recordsOf(const QString &catalogue)
{
    CatalogueRecordSource source(catalogue);
    QList<ImportRecord> records;
    ImportRecord record;
    if (source.open()) {
        while (source.next(record))
            records << record;
    }
    return records;
}
}

class TestImportCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    QString path(const QString &name) const { return dir->filePath(name); }
    QStringList files() const { return QDir(dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    Run morvo(const QStringList &arguments)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", path("config"));
        env.insert("XDG_DATA_HOME", path("data"));
        env.remove("DISPLAY");
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir->path());
        process.start(qEnvironmentVariable("MORVO_EXE"), arguments);
        if (!process.waitForFinished(60000))
            return {};
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    void useCatalogue(const QString &catalogue) const
    {
        QDir().mkpath(path("config"));
        QFile settings(path("config/MorvoII.conf"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[Application]\nDbsLocation=" + catalogue.toUtf8() + "\n");
    }

private slots:
    void init() { dir = std::make_unique<QTemporaryDir>(); }
    void cleanup() { dir.reset(); }

    void helpSaysHowToImportAndExport()
    {
        const Run run = morvo({"--help"});
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains("--export FILE.csv"));
        QVERIFY(run.out.contains("--import SOURCE [--to CATALOGUE]"));
        QVERIFY(run.out.contains("an empty field is\n"));
    }

    void importsAWindowsCatalogueIntoANewCatalogueBesideIt()
    {
        const QString original = copyInto(*dir, "projects/jet4_v2000_projects_pwd_program.mdb");
        const Run run = morvo({"--import", original});
        QCOMPARE(run.status, 0);
        const QString copy = path("jet4_v2000_projects_pwd_program (converted).res");
        QCOMPARE(run.out.trimmed(), "Imported 7 records from " + original + " into the new catalogue " + copy + ".");
        compareRecords(recordsOf(copy), madeProjectRows());
        QCOMPARE(QFileInfo(copy).permissions() & QFile::ReadOther, QFile::ReadOther); // as any new file
    }

    void exportThenImportGivesBackEveryRecord()
    {
        const QString original = copyInto(*dir, "projects/jet4_v2000_projects_nopwd.mdb");
        useCatalogue(original); // a Windows catalogue in use is read as it is
        QCOMPARE(morvo({"--export", "all.csv"}).status, 0);
        const Run run = morvo({"--import", "all.csv", "--to", "copy.res"});
        QCOMPARE(run.status, 0);
        compareRecords(recordsOf(path("copy.res")), madeProjectRows());

        // Into a catalogue that exists: added, the records before stay.
        QCOMPARE(morvo({"--import", "all.csv", "--to", "copy.res"}).status, 0);
        QCOMPARE(recordsOf(path("copy.res")), madeProjectRows() + madeProjectRows());
    }

    void aFailureSaysWhyAndLeavesNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        const QByteArray header = "JobNumber,ProjectName,ProjectDescription,ClientName,County,Date,Drawing Number,"
                                  "Drawing Directory&Name\r\n";
        QTest::newRow("another password")
            << QStringList{"--import", "%data%/projects/jet4_v2000_projects_pwd_catalog2000.mdb"} << QByteArray() << 1
            << "password that this program does not know";
        QTest::newRow("damaged") << QStringList{"--import", "%data%/damaged/zeroed_page2_jet4_V2000.mdb"}
                                 << QByteArray() << 1 << "password";
        QTest::newRow("malformed row") << QStringList{"--import", "in.csv"} << header + "1,a,,,,,,\r\n2,b\r\n"
                                       << 1 << "line 3: the row has 2 fields where the header has 8";
        QTest::newRow("no such source") << QStringList{"--import", "gone.csv"} << QByteArray() << 1 << "does not exist";
        QTest::newRow("into something else")
            << QStringList{"--import", "in.csv", "--to", "in.csv"} << header + "1,a,,,,,,\r\n"
            << 1 << "is no catalogue";
        QTest::newRow("into a server") << QStringList{"--import", "in.csv", "--to", "postgresql://ann@db/cadjobs"}
                                       << header + "1,a,,,,,,\r\n"
                                       << 1 << "on a server (db/cadjobs)";
        QTest::newRow("a stray argument") << QStringList{"--import", "in.csv", "--into", "x.res"} << QByteArray() << 2
                                          << "usage: morvo --import SOURCE [--to CATALOGUE]";
        QTest::newRow("export without a file")
            << QStringList{"--export"} << QByteArray() << 2 << "usage: morvo --export FILE.csv";
    }
    void aFailureSaysWhyAndLeavesNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, csv);
        QFETCH(int, status);
        QFETCH(QString, says);
        if (!csv.isEmpty()) {
            QFile file(path("in.csv"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(csv);
        }
        arguments.replaceInStrings("%data%", dataFile(QString()).chopped(1));
        const QStringList before = files();
        const Run run = morvo(arguments);
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.startsWith("morvo: ") && run.err.contains(says), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
        QCOMPARE(files(), before);
    }
};

QTEST_GUILESS_MAIN(TestImportCommands)
#include "tst_importcommands.moc"
