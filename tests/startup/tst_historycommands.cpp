// morvo --history, --prune-history and --backup run as a script runs them, on
// a catalogue file changed by this program and by an older one (plain SQL).
#include "CatalogueFiles.h"
#include "TestSupport.h"

#include "catalogue/CatalogueSchema.h"
#include "catalogue/Connection.h"
#include "catalogue/Recordset.h"
#include "import/Csv.h"
#include "stores/LoginName.h"
#include "stores/sqlite/SqlStatement.h"

#include <QBuffer>
#include <QDate>
#include <QRegularExpression>
#include <QtTest>

using namespace TestSupport;

namespace {
const QString Hostile = QStringLiteral("He said \"yes\", then\r\nleft");

QList<QStringList> csvRows(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    Csv::Reader reader(buffer);
    QList<QStringList> rows;
    Csv::Row row;
    while (reader.next(row) == Csv::Reader::GotRow) {
        QStringList fields;
        for (const std::optional<QByteArray> &field : row)
            fields << (field ? QString::fromUtf8(*field) : QStringLiteral("<null>"));
        rows << fields;
    }
    return rows;
}

void runSql(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}
}

class TestHistoryCommands : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir;
    QString path;

    CommandRun morvo(const QStringList &arguments) { return runMorvo(arguments, dir->path()); }

private slots:
    void init()
    {
        if (usingServer())
            QSKIP("a server catalogue keeps no history yet");
        dir = std::make_unique<QTemporaryDir>();
        path = writeCatalogue(dir->filePath("h.res"), {record("1030", "Harbour"), record("1031", "Elm")});
        // This program stores a change, an older program another, then this
        // program deletes the job and adds its number anew.
        Connection connection;
        connection.ConnectionString = path;
        Recordset rs(connection, QStringLiteral("Projects"), Recordset::Optimistic, CatalogueSchema::fieldNames());
        QVERIFY(rs.setSort(QStringLiteral("JobNumber")));
        QVERIFY(rs.setValue("ProjectName", Hostile));
        QVERIFY(rs.Update());
        runSql(path, "UPDATE Projects SET ClientName = 'Older program' WHERE JobNumber = '1030'");
        QVERIFY(rs.MoveFirst());
        QVERIFY(rs.Delete());
        QVERIFY(rs.AddNew());
        QVERIFY(rs.setValue("JobNumber", "1030"));
        QVERIFY(rs.setValue("ProjectName", "Again"));
        QVERIFY(rs.Update());
    }
    void cleanup() { dir.reset(); }

    void aJobsVersionsComeNewestFirstWithWhoAndWhat()
    {
        const CommandRun run = morvo({"--history", "1030", "--catalogue", path});
        QCOMPARE(run.status, 0);
        const QList<QStringList> rows = csvRows(run.out);
        QCOMPARE(rows.value(0), (QStringList{"Version", "Time", "User", "Change"} + CatalogueSchema::fieldNames()));
        const QString me = loginName();
        struct Expected
        {
            const char *version, *change;
            QString user, name, client;
        };
        const QList<Expected> expected{
            {"5", "add", me, "Again", "<null>"},
            {"4", "delete", me, Hostile, "Older program"},
            {"3", "update", "<null>", Hostile, "Older program"}, // the older program signs nothing
            {"2", "update", me, Hostile, "Client"},
            {"1", "add", "<null>", "Harbour", "Client"}, // as it was before history was kept
        };
        QCOMPARE(rows.size(), expected.size() + 1);
        const QRegularExpression utc(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$"));
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const QStringList &row = rows[i + 1];
            QCOMPARE(row.size(), 12);
            QCOMPARE(row[0], QString::fromLatin1(expected[i].version));
            QCOMPARE(row[3], QString::fromLatin1(expected[i].change));
            QCOMPARE(row[2], expected[i].user);
            QCOMPARE(row[4], QString("1030"));
            QCOMPARE(row[5], expected[i].name);
            QCOMPARE(row[7], expected[i].client);
            QVERIFY2(i == 4 ? row[1] == "<null>" : utc.match(row[1]).hasMatch(), qPrintable(row[1]));
        }

        const CommandRun never = morvo({"--history", "9999", "--catalogue", path});
        QCOMPARE(never.status, 1);
        QVERIFY2(never.err.contains("the job 9999 was never in the catalogue"), qPrintable(never.err));
    }

    void restoringBringsBackAnEarlierVersionAndADeletedJob()
    {
        const auto restore = [this](const char *version) {
            return morvo({"--restore", "1030", "--version", version, "--catalogue", path});
        };
        // The deleted record comes back as a new one; its number is taken by now.
        CommandRun run = restore("2");
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out.trimmed(),
                 "Restored version 2 of job 1030 as a new record under the job number 1032, as "
                 "1030 is taken in "
                     + path + ".");
        QCOMPARE(jobNumbersInFile(path), (QStringList{"1031", "1030", "1032"}));
        QCOMPARE(fieldInFile(path, "ProjectName")[2], QVariant(Hostile));

        QVERIFY(restore("5").out.contains("nothing was stored"));
        runSql(path, "UPDATE Projects SET ProjectName = 'Mistake' WHERE JobNumber = '1030'");
        run = restore("5");
        QCOMPARE(run.out.trimmed(), "Restored version 5 of job 1030 in " + path + ".");
        QCOMPARE(fieldInFile(path, "ProjectName")[1], QVariant("Again"));
        const QList<QStringList> rows = csvRows(morvo({"--history", "1030", "--catalogue", path}).out);
        QCOMPARE(rows.value(1).mid(0, 1) + rows.value(1).mid(2, 2), (QStringList{"7", loginName(), "restore"}));

        QCOMPARE(restore("99").status, 1);
        QCOMPARE(morvo({"--restore", "1030", "--catalogue", path}).status, 2);
    }

    void aBackupIsTheWholeCatalogueWithItsHistory()
    {
        const CommandRun run = morvo({"--backup", "--catalogue", path});
        QCOMPARE(run.status, 0);
        const QString copy =
            dir->filePath("data/MorvoII/backups/h " + QDate::currentDate().toString(Qt::ISODate) + ".res");
        QCOMPARE(run.out.trimmed(), "Wrote a copy of " + path + " to " + copy + ".");
        QCOMPARE(jobNumbersInFile(copy), jobNumbersInFile(path));
        QCOMPARE(morvo({"--history", "1030", "--catalogue", copy}).out,
                 morvo({"--history", "1030", "--catalogue", path}).out);

        const CommandRun server = morvo({"--backup", "--catalogue", "postgresql://localhost/office"});
        QCOMPARE(server.status, 1);
        QVERIFY2(server.err.contains("pg_dump"), qPrintable(server.err));
        QCOMPARE(morvo({"--backup", path, "--catalogue", path}).status, 1); // never over itself
    }

    void pruningForgetsOnlyWhatIsOlder()
    {
        QCOMPARE(morvo({"--prune-history", "2000-01-01", "--catalogue", path}).out.trimmed(),
                 "Forgot 0 versions stored before 2000-01-01 in " + path + ".");
        const QString tomorrow = QDate::currentDate().addDays(1).toString(Qt::ISODate);
        const CommandRun run = morvo({"--prune-history", tomorrow, "--catalogue", path});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out.trimmed(), "Forgot 4 versions stored before " + tomorrow + " in " + path + ".");
        QCOMPARE(morvo({"--history", "1030", "--catalogue", path}).status, 1);
        QCOMPARE(morvo({"--prune-history", "last week", "--catalogue", path}).status, 2);
    }

    // The same commands on a catalogue on the private server: an older
    // program's changes (plain SQL) are kept too, with the role; hostile text
    // comes back as it went; a backup points at the server's own tools.
    void onAServerTheHistoryIsKeptAndRestoredToo()
    {
        if (qEnvironmentVariableIsEmpty("MORVO_TEST_PG"))
            QSKIP("needs the private server of .ci/pg-env.sh");
        const QString server = serverSchema(dir->filePath("server"));
        QCOMPARE(morvo({"--create-catalogue", server}).status, 0);
        queryServer(server, "INSERT INTO \"Projects\" (\"JobNumber\", \"ProjectName\") VALUES ('7', 'First')");
        queryServer(server,
                    "UPDATE \"Projects\" SET \"ProjectName\" = 'He said \"\"yes\"\", then\r\nleft' "
                    "WHERE \"JobNumber\" = '7'");
        CommandRun run = morvo({"--history", "7", "--catalogue", server});
        QCOMPARE(run.status, 0);
        QList<QStringList> rows = csvRows(run.out);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[1].mid(3, 3), (QStringList{"update", "7", "He said \"\"yes\"\", then\r\nleft"}));
        QVERIFY2(!rows[1][2].isEmpty() && rows[1][2] != "<null>", qPrintable(rows[1][2])); // the role
        QCOMPARE(rows[2].mid(3, 3), (QStringList{"add", "7", "First"}));

        QCOMPARE(morvo({"--restore", "7", "--version", "1", "--catalogue", server}).status, 0);
        rows = csvRows(morvo({"--history", "7", "--catalogue", server}).out);
        QCOMPARE(rows[1].mid(3, 3), (QStringList{"restore", "7", "First"}));
        QVERIFY(rows[1][2].startsWith(loginName() + " (role "));
        QVERIFY(morvo({"--backup", "--catalogue", server}).err.contains("pg_dump"));
    }
};

QTEST_GUILESS_MAIN(TestHistoryCommands)
#include "tst_historycommands.moc"
