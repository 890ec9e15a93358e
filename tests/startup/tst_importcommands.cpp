// morvo --export and --import, run as a script would run them: the real
// program, its output, its status, and the files it leaves.
#include "CatalogueFiles.h"
#include "JetTestData.h"
#include "TestSupport.h"
#include "stores/postgres/PgStore.h"

#include "import/CatalogueRecordSource.h"

#include <QProcess>
#include <QtTest>

using namespace JetTestData;

namespace {
using Run = TestSupport::CommandRun;

// How a catalogue on a server is made, wherever it is: its columns, indexes, triggers and functions.
const QString CatalogueMade =
    "SELECT string_agg(made, E'\\n' ORDER BY made) FROM (SELECT table_name || '.' || column_name || ' ' || "
    "coalesce(column_default, '') AS made FROM information_schema.columns WHERE table_schema = current_schema() "
    "UNION ALL SELECT replace(pg_get_indexdef(indexrelid), current_schema() || '.', '') FROM pg_index JOIN "
    "pg_class ON pg_class.oid = indrelid WHERE relnamespace = current_schema()::regnamespace UNION ALL SELECT "
    "replace(pg_get_triggerdef(pg_trigger.oid), current_schema() || '.', '') || tgenabled FROM pg_trigger JOIN "
    "pg_class ON pg_class.oid = tgrelid WHERE "
    "relnamespace = current_schema()::regnamespace AND NOT tgisinternal UNION ALL SELECT proname || ' ' || prosrc "
    "FROM pg_proc WHERE pronamespace = current_schema()::regnamespace) AS catalogue";

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
    static inline const QByteArray Header = "JobNumber,ProjectName,ProjectDescription,ClientName,County,Date,"
                                            "Drawing Number,Drawing Directory&Name\r\n";
    QStringList files() const { return QDir(dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    Run morvo(const QStringList &arguments) { return TestSupport::runMorvo(arguments, dir->path()); }
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

    // Text a server could mistake for SQL or for COPY's own marks, crossing
    // the server and back: every byte as it was, NULL and empty kept apart;
    // into a new table and into the empty one --create-catalogue made, both
    // loaded in bulk and left as --create-catalogue leaves a catalogue.
    void aCatalogueGoesOntoAServerAndBackUnchanged_data()
    {
        QTest::addColumn<bool>("created");
        QTest::addColumn<bool>("deletedIdsLogged");
        QTest::addColumn<QString>("loggedInBulk");
        QTest::newRow("into a table that is not there") << false << false << "0";
        QTest::newRow("into the catalogue --create-catalogue made") << true << false << "2";
        // Ids handed out again (the table's identity restarted) find their old entries in the log.
        QTest::newRow("into a made catalogue whose log has the ids as gone") << true << true << "2";
    }
    void aCatalogueGoesOntoAServerAndBackUnchanged()
    {
        if (qEnvironmentVariableIsEmpty("MORVO_TEST_PG"))
            QSKIP("needs the private server of .ci/pg-env.sh");
        QFETCH(bool, created);
        QFETCH(bool, deletedIdsLogged);
        QFETCH(QString, loggedInBulk);
        const QString server = TestSupport::serverSchema(path("server"));
        const QString reference = TestSupport::serverSchema(path("reference"));
        QCOMPARE(morvo({"--create-catalogue", reference}).status, 0);
        if (created)
            QCOMPARE(morvo({"--create-catalogue", server}).status, 0);
        if (deletedIdsLogged)
            TestSupport::queryServer(server,
                                     "INSERT INTO \"Projects changes\" SELECT id, nextval('\"Projects change "
                                     "seq\"'), true FROM generate_series(1, 2) AS id");
        const auto one = [&](const QString &sql, const QString &where) {
            return TestSupport::queryServer(where, sql).value(0).toString();
        };
        QFile csv(path("in.csv"));
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write(Header
                  + "1,\"It's \"\"quoted\"\"; DROP TABLE x\",C:\\Jobs\\1\\a.dwg,100% _done_,,\"\","
                    "\"tab\there\",\"line\r\nnext\\N\"\r\n"
                    "2,\xc3\x86r\xc3\xb8 \xe2\x80\x94 na\xc3\xafve,\\.,\\t,\\\\,x,y,z\r\n");
        csv.close();
        QCOMPARE(morvo({"--import", "in.csv", "--to", "original.res"}).status, 0);
        const Run imported = morvo({"--import", "in.csv", "--to", server});
        QCOMPARE(imported.status, 0);
        QCOMPARE(imported.out.trimmed(),
                 "Imported 2 records from " + path("in.csv") + " into " + PgStore::shown(server) + ".");
        useCatalogue(server);
        QCOMPARE(morvo({"--export", "back.csv"}).status, 0);
        QCOMPARE(morvo({"--import", "back.csv", "--to", "back.res"}).status, 0);
        QCOMPARE(recordsOf(path("back.res")), recordsOf(path("original.res")));
        QCOMPARE(one(CatalogueMade, server), one(CatalogueMade, reference));

        // Added to the records there, as into a file; these go in row by row.
        QCOMPARE(morvo({"--import", "original.res", "--to", server}).status, 0);
        QVERIFY(morvo({"--export", "twice.csv"}).out.startsWith("Exported 4 records of"));
        // A record loaded in bulk got the change log's and the history's entries its twin got from the triggers.
        const QString twins = "FROM \"Projects\" a JOIN \"Projects\" b ON a.\"JobNumber\" = b.\"JobNumber\" AND "
                              "a.row_id < b.row_id AND a.search_text = b.search_text ";
        QCOMPARE(one("SELECT count(*) " + twins
                         + "JOIN \"Projects changes\" la ON la.row_id = a.row_id AND "
                           "la.change_seq = a.row_version AND NOT la.gone",
                     server),
                 loggedInBulk);
        QCOMPARE(
            one("SELECT count(*) " + twins
                    + "JOIN \"Projects history\" ha ON ha.row_id = a.row_id JOIN "
                      "\"Projects history\" hb ON hb.row_id = b.row_id WHERE (ha.job, ha.login, ha.role, ha.change, "
                      "ha.before::text, ha.after::text) IS NOT DISTINCT FROM (hb.job, hb.login, hb.role, hb.change, "
                      "hb.before::text, hb.after::text) AND ha.seq < hb.seq",
                server),
            loggedInBulk);
        QCOMPARE(one("SELECT string_agg(row_id::text, ',' ORDER BY seq) FROM \"Projects history\"", server),
                 one("SELECT string_agg(row_id::text, ',' ORDER BY row_id) FROM \"Projects\" WHERE row_id IN "
                     "(SELECT row_id FROM \"Projects history\")",
                     server));

        // The triggers and the trigram index work on afterwards: a change through SQL is logged and found.
        TestSupport::queryServer(server, "UPDATE \"Projects\" SET \"ClientName\" = 'Later' WHERE \"JobNumber\" = '2'");
        QCOMPARE(one("SELECT count(*) FROM \"Projects\" p JOIN \"Projects changes\" l USING (row_id) WHERE "
                     "l.change_seq = p.row_version AND p.\"ClientName\" = 'Later' AND p.row_version > (SELECT "
                     "max(row_version) FROM \"Projects\" WHERE \"ClientName\" IS DISTINCT FROM 'Later')",
                     server),
                 "2");
        QCOMPARE(
            one("SET enable_seqscan = off; SELECT count(*) FROM \"Projects\" WHERE search_text LIKE '%LATER%'", server),
            "2");
        QCOMPARE(
            one("SELECT count(*) FROM \"Projects history\" WHERE change = 'update' AND after->>3 = 'Later'", server),
            "2");
    }

    // All or nothing on a server too: a refused record, or a server that does
    // not keep what it was sent, leaves the records there as they were.
    void aServerImportThatFailsLeavesTheCatalogueAsItWas_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("serverChange");
        QTest::addColumn<QString>("says");
        QTest::newRow("a NUL character") << Header + "5,a,,,,,,\r\n6,b" + QByteArray(1, '\0') + "c,,,,,,\r\n"
                                         << QString() << "Record 2 holds a NUL character in ProjectName";
        QTest::newRow("the server changes a field")
            << Header + "5,a,,,,,,\r\n"
            << "CREATE FUNCTION mark() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN NEW.\"ClientName\" := 'x'; "
               "RETURN NEW; END $$; CREATE TRIGGER mark BEFORE INSERT ON \"Projects\" FOR EACH ROW EXECUTE "
               "FUNCTION mark()"
            << "did not get the records as they were sent (ClientName differ)";
    }
    void aServerImportThatFailsLeavesTheCatalogueAsItWas()
    {
        if (qEnvironmentVariableIsEmpty("MORVO_TEST_PG"))
            QSKIP("needs the private server of .ci/pg-env.sh");
        QFETCH(QByteArray, csv);
        QFETCH(QString, serverChange);
        QFETCH(QString, says);
        const QString server = TestSupport::serverSchema(path("server"));
        QFile first(path("first.csv")), second(path("second.csv"));
        QVERIFY(first.open(QIODevice::WriteOnly) && second.open(QIODevice::WriteOnly));
        first.write(Header + "1,a,,,,,,\r\n");
        second.write(csv);
        first.close();
        second.close();
        QCOMPARE(morvo({"--import", "first.csv", "--to", server}).status, 0);
        if (!serverChange.isEmpty())
            TestSupport::queryServer(server, serverChange);
        const Run run = morvo({"--import", "second.csv", "--to", server});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(says) && run.err.contains("Nothing was written"), qPrintable(run.err));
        QCOMPARE(TestSupport::queryServer(server, "SELECT count(*) FROM \"Projects\""), QList<QVariant>{"1"});
    }

    void aFailureSaysWhyAndLeavesNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        const QByteArray header = Header;
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
        QTest::newRow("into a server out of reach")
            << QStringList{"--import", "in.csv", "--to", "postgresql:///cadjobs?host=/nonexistent"}
            << header + "1,a,,,,,,\r\n"
            << 1 << "cannot be reached";
        QTest::newRow("from a server, nowhere to")
            << QStringList{"--import", "postgresql://ann@db/cadjobs"} << QByteArray() << 2
            << "name the catalogue to import into with --to";
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
