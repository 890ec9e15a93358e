// A catalogue on a PostgreSQL server (the private one of .ci/pg-env.sh): what
// only a server does — faults of the connection, roles, hostile text, walks
// run on the server with the same answers as a file's.
#include "CatalogueFiles.h"

#include "catalogue/CatalogueProbe.h"
#include "catalogue/CatalogueSchema.h"
#include "catalogue/Connection.h"
#include "catalogue/LeadingNumber.h"
#include "catalogue/Recordset.h"
#include "catalogue/SearchCorpus.h"

#include <QDir>
#include <QtTest>
#include <libpq-fe.h>

using namespace TestSupport;

namespace {
struct Person
{
    Connection connection;
    Recordset rs{connection, QStringLiteral("Projects"), Recordset::Optimistic, CatalogueSchema::fieldNames()};
    explicit Person(const QString &location)
    {
        connection.ConnectionString = location;
        rs.setSort(QStringLiteral("JobNumber"));
    }
};

bool sql(const QString &location, const QString &statement)
{
    PGconn *connection = PQconnectdb(location.toUtf8().constData());
    PGresult *result = PQexec(connection, statement.toUtf8().constData());
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK;
    if (!ok)
        qWarning("%s", PQresultErrorMessage(result));
    PQclear(result);
    PQfinish(connection);
    return ok;
}

// Text a person may type that a careless program would splice into SQL or LIKE.
const QList<Record> Awkward = {
    {"1", "O'Brien \"quoted\"", "C:\\CAD\\J1001\\D-001.dwg", "100% done", "a_b", QVariant(), "", "tab\there"},
    {"2", "50%", "under_score", "back\\slash", "Café Straße", "ĳsselmeer", "Ωmega", "line\r\nbreak"},
    {"3", "plain", "%", "_", "\\", "'", "\"", "’"},
    {"4", QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()},
    {"10", "ten", "ACME", "acme tools", "Acme", "x", "y", "z"},
};
}

class TestServerStore : public QObject
{
    Q_OBJECT
    std::unique_ptr<CatalogueSandbox> sandbox;
    QString server;

private slots:
    void initTestCase()
    {
        server = qEnvironmentVariable("MORVO_TEST_PG");
        if (server.isEmpty())
            QSKIP("no test server (run under .ci/pg-env.sh)");
        qputenv("MORVO_TEST_STORE", "postgres");
    }
    void init() { sandbox = std::make_unique<CatalogueSandbox>(); }
    void cleanup() { sandbox.reset(); }

    void hostileTextIsStoredAndFoundLiterally()
    {
        const QString location = writeCatalogue(sandbox->path("awkward"), Awkward);
        Person a(location);
        QVERIFY(a.rs.MoveFirst());
        QVERIFY(a.rs.setValue("ProjectName", "'); DROP TABLE \"Projects\"; --"));
        QVERIFY(a.rs.Update());
        QCOMPARE(fieldInFile(location, "ProjectName").first(), QVariant("'); DROP TABLE \"Projects\"; --"));
        QCOMPARE(fieldInFile(location, "Drawing Directory&Name")[1], QVariant("line\r\nbreak"));
        // % and _ match themselves, not any text.
        QCOMPARE(a.rs.findForward(SearchCorpus::needleFor("%"), 0), 0);
        QCOMPARE(a.rs.findForward(SearchCorpus::needleFor("%"), 1), 1);
        QCOMPARE(a.rs.findForward(SearchCorpus::needleFor("%"), 3), -1);
        QCOMPARE(a.rs.findForward(SearchCorpus::needleFor("\\"), 1), 1);
        QCOMPARE(a.rs.findBackward(SearchCorpus::needleFor("_"), 4), 2);
    }

    void walksAnswerAsAFileDoes()
    {
        // The same records in a file and on the server; every query from every record, both ways.
        const QString fileLocation = QDir(sandbox->path("")).filePath("same.res");
        qputenv("MORVO_TEST_STORE", "sqlite");
        writeCatalogue(fileLocation, Awkward);
        qputenv("MORVO_TEST_STORE", "postgres");
        const QString serverLocation = writeCatalogue(sandbox->path("same"), Awkward);
        Person file(fileLocation), onServer(serverLocation);
        file.rs.enableSearch(CatalogueSchema::fieldNames());
        QVERIFY(file.rs.waitForSearchText());
        const QStringList queries = {"a",    "acme",  "ACME TOOLS", "%",       "_",      "\\",         "'",
                                     "\"",   "é",     "CAFÉ",       "STRASSE", "straße", "ĳ",          "ω",
                                     "\r\n", "tab\t", "1",          "10",      "O'B",    "none at all"};
        for (const QString &query : queries) {
            const QByteArray needle = SearchCorpus::needleFor(query);
            for (qint64 from = -1; from <= file.rs.RecordCount(); ++from) {
                QCOMPARE(onServer.rs.findForward(needle, from), file.rs.findForward(needle, from));
                QCOMPARE(onServer.rs.findBackward(needle, from), file.rs.findBackward(needle, from));
            }
        }
    }

    // The server works out the sort column itself; it must read every job
    // number as the program does, or the two would sort records differently.
    void theSortColumnReadsJobNumbersAsTheProgramDoes()
    {
        const QStringList jobs = {"1041",   "1041-B", " 10 41", "12.5x", "-3", "+4",         "+4.",
                                  "1.",     ".5",     "-.5x",   "+.",    ".",  "-",          "+",
                                  "--1",    "1-2",    "ABC",    "",      " ",  "\t7\r\n",    " - 1 2 . 5x",
                                  "12.5.3", "1e5",    "000120", "0.000", "٣",  "2026000123", "1234567890123456"};
        QList<Record> records;
        for (const QString &job : jobs)
            records << record(job);
        records << Record{QVariant(), "no job number"};
        const QString location = writeCatalogue(sandbox->path("numbers"), records);
        const QList<QVariant> sorted = queryServer(location, "SELECT job_sort FROM \"Projects\" ORDER BY row_id");
        QCOMPARE(sorted.size(), records.size());
        for (qsizetype i = 0; i < jobs.size(); ++i)
            QVERIFY2(sorted[i].toDouble() == LeadingNumber::parse(jobs[i]),
                     qPrintable(QStringLiteral("\"%1\": server %2").arg(jobs[i], sorted[i].toString())));
        QCOMPARE(sorted.last().toDouble(), 0.0);
    }

    void aNulCharacterIsRefusedAndNothingIsStored()
    {
        const QString location = writeCatalogue(sandbox->path("nul"), {record("1", "Before")});
        Person a(location);
        QVERIFY(a.rs.MoveFirst());
        QVERIFY(a.rs.setValue("ProjectName", QString("be") + QChar(0) + "fore"));
        QVERIFY(!a.rs.Update());
        QVERIFY2(a.rs.lastError().contains("NUL"), qPrintable(a.rs.lastError()));
        QVERIFY(a.rs.editPending());
        QCOMPARE(fieldInFile(location, "ProjectName"), (QList<QVariant>{"Before"}));
    }

    void aDroppedConnectionLosesNothingAndTheNextActionConnectsAgain()
    {
        const QString location = writeCatalogue(sandbox->path("drop"), {record("1", "Before"), record("2")});
        Person a(location);
        QVERIFY(a.rs.MoveFirst());
        QCOMPARE(a.rs.value("ProjectName").toString(), QString("Before"));
        QVERIFY(a.rs.setValue("ProjectName", "Typed"));
        // The timeout makes the call wait until the connection is really gone.
        QVERIFY(sql(server,
                    "SELECT pg_terminate_backend(pid, 5000) FROM pg_stat_activity WHERE application_name = "
                    "'MorvoII'"));
        // A look for others' changes may meet the dropped connection first and
        // connect again, and the store then goes through; otherwise the store
        // says why it failed, keeps what was typed, and the next one connects.
        if (!a.rs.Update()) {
            QVERIFY2(a.rs.lastError().contains("cannot be reached"), qPrintable(a.rs.lastError()));
            QCOMPARE(a.rs.value("ProjectName").toString(), QString("Typed"));
            QVERIFY(a.rs.Update());
        }
        QCOMPARE(fieldInFile(location, "ProjectName").first(), QVariant("Typed"));
    }

    void aRoleThatMayOnlyReadIsToldWhy()
    {
        const QString location = writeCatalogue(sandbox->path("reader"), {record("1", "Before")});
        QVERIFY(sql(location,
                    // A role left by an earlier run still holds grants; those go first.
                    "DO $$BEGIN IF EXISTS (SELECT FROM pg_roles WHERE rolname = 'morvo_reader') THEN "
                    "DROP OWNED BY morvo_reader; DROP ROLE morvo_reader; END IF; END$$; "
                    "CREATE ROLE morvo_reader LOGIN; GRANT USAGE ON SCHEMA public TO morvo_reader"));
        QVERIFY(sql(location,
                    "GRANT USAGE ON SCHEMA " + location.section("search_path%3D", 1).section("%2C", 0, 0)
                        + " TO morvo_reader; GRANT SELECT ON \"Projects\", \"Projects changes\" TO morvo_reader"));
        Person reader(QString(location).replace("user=morvo", "user=morvo_reader"));
        QVERIFY(reader.rs.MoveFirst());
        QVERIFY2(reader.rs.readOnlyReason().contains("morvo_reader"), qPrintable(reader.rs.readOnlyReason()));
        QVERIFY(reader.rs.setValue("ProjectName", "Typed"));
        QVERIFY(!reader.rs.Update());
        QVERIFY2(reader.rs.lastError().contains("may not change"), qPrintable(reader.rs.lastError()));
        QCOMPARE(fieldInFile(location, "ProjectName"), (QList<QVariant>{"Before"}));
    }

    void aServerThatCannotBeUsedIsDescribedForAPerson_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no server there") << "host="
                                         << "cannot be reached";
        QTest::newRow("no such database") << "/morvo_test?"
                                          << "does not exist";
        QTest::newRow("no such role") << "user=morvo"
                                      << "refused the login";
        QTest::newRow("no catalogue in it") << ""
                                            << "has no table";
    }
    void aServerThatCannotBeUsedIsDescribedForAPerson()
    {
        QFETCH(QString, change);
        QFETCH(QString, expected);
        QString location = server;
        if (change == "host=")
            location.replace("host=", "host=/nonexistent");
        else if (!change.isEmpty())
            location.replace(change, change == "user=morvo" ? "user=nobody_here" : "/no_such_catalogue?");
        const QString cause = CatalogueProbe::check(location);
        QVERIFY2(cause.contains(expected), qPrintable(cause));
        QVERIFY(!cause.contains("password="));
    }
};

QTEST_GUILESS_MAIN(TestServerStore)
#include "tst_serverstore.moc"
