// Two people on one catalogue file: this process's record set and another
// program (catalogue_peer) with a record set of its own.
#include "CatalogueFiles.h"

#include "catalogue/CatalogueSchema.h"
#include "catalogue/Connection.h"
#include "catalogue/Recordset.h"
#include "stores/sqlite/SqlStatement.h"

#include <QProcess>
#include <QtTest>

using namespace TestSupport;
using Conflict = Recordset::Conflict;

namespace {
QList<Record> jobs(int first, int last)
{
    QList<Record> records;
    for (int n = first; n <= last; ++n)
        records << record(QString::number(n), QStringLiteral("Job %1").arg(n));
    return records;
}

// One record set as the record window holds it.
struct Person
{
    Connection connection;
    Recordset rs{connection, QStringLiteral("Projects"), Recordset::Optimistic, CatalogueSchema::fieldNames()};
    explicit Person(const QString &path)
    {
        connection.ConnectionString = path;
        rs.setSort(QStringLiteral("JobNumber"));
    }
    QString field(const QString &name) const { return rs.value(name).toString(); }
};
}

class TestSharedCatalogue : public QObject
{
    Q_OBJECT
    std::unique_ptr<CatalogueSandbox> sandbox;
    QString path;

    // The other program: one operation, its answer.
    QString other(const QStringList &operation)
    {
        QProcess peer;
        peer.start(QStringLiteral(CATALOGUE_PEER), QStringList{path} + operation);
        if (!peer.waitForFinished(20000))
            return QStringLiteral("timeout");
        return QString::fromUtf8(peer.readAllStandardOutput()).trimmed();
    }

private slots:
    void init()
    {
        sandbox = std::make_unique<CatalogueSandbox>();
        path = writeCatalogue(sandbox->path("shared.res"), jobs(1030, 1041));
    }
    void cleanup() { sandbox.reset(); }

    void aReusedRowIdIsNeverStoredOver()
    {
        Person a(path);
        QVERIFY(a.rs.MoveLast());
        QCOMPARE(a.field("ProjectName"), QString("Job 1041"));
        QCOMPARE(other({"delete", "1041"}), QString("ok"));
        QCOMPARE(other({"add", "1041", "ProjectName", "Theirs"}), QString("ok"));
        QCOMPARE(fieldInFile(path, "ProjectName").last(), QVariant("Theirs")); // the same row id again

        QVERIFY(a.rs.setValue("ProjectName", "Mine"));
        QVERIFY(!a.rs.Update());
        QCOMPARE(a.rs.failure().conflict, Conflict::Gone);
        QCOMPARE(fieldInFile(path, "ProjectName").last(), QVariant("Theirs"));
        // Theirs holds the job number now: storing mine as new asks first.
        QVERIFY(!a.rs.storeAsNewRecord());
        QCOMPARE(a.rs.failure().conflict, Conflict::DuplicateJobNumber);
        QCOMPARE(a.rs.failure().freeJobNumber, QString("1042"));
        QCOMPARE(fieldInFile(path, "JobNumber").count(QVariant("1041")), 1);
        QVERIFY(a.rs.useFreeJobNumber());
        QCOMPARE(fieldInFile(path, "ProjectName").mid(11), (QList<QVariant>{"Theirs", "Mine"}));
        QCOMPARE(fieldInFile(path, "JobNumber").mid(11), (QList<QVariant>{"1041", "1042"}));
    }

    void aDeleteOfAReusedRowIdLeavesTheNewRecord()
    {
        Person a(path);
        QVERIFY(a.rs.MoveLast());
        QCOMPARE(a.field("ProjectName"), QString("Job 1041"));
        QCOMPARE(other({"delete", "1041"}), QString("ok"));
        QCOMPARE(other({"add", "1041", "ProjectName", "Theirs"}), QString("ok"));
        QVERIFY(a.rs.Delete()); // what A wanted gone is gone
        QCOMPARE(fieldInFile(path, "ProjectName").last(), QVariant("Theirs"));
    }

    // The version a delete is checked against is the one at the move, even
    // when nothing read the record since: a record stored under its id since
    // is the user's decision.
    void aDeleteAfterAMoveAloneAsksAboutARecordStoredUnderItsIdSince()
    {
        if (usingServer())
            QSKIP("a server never hands a row id out again");
        Person a(path);
        QVERIFY(a.rs.setAbsolutePosition(12));
        QCOMPARE(other({"delete", "1041"}), QString("ok"));
        QCOMPARE(other({"add", "1041", "ProjectName", "Theirs"}), QString("ok"));
        QVERIFY(!a.rs.Delete());
        QCOMPARE(a.rs.failure().conflict, Conflict::Changed);
        QVERIFY(a.rs.failure().deleting);
        QCOMPARE(fieldInFile(path, "ProjectName").last(), QVariant("Theirs"));
        QVERIFY(a.rs.deleteAnyway());
        QCOMPARE(fieldInFile(path, "ProjectName").size(), 11);
    }

    // A file gives the highest row id again once its record is gone.
    void aRecordAddedUnderTheIdIDeletedShows()
    {
        Person a(path);
        QVERIFY(a.rs.MoveLast());
        QVERIFY(a.rs.Delete());
        QCOMPARE(other({"add", "1050", "ProjectName", "Theirs"}), QString("ok"));
        QVERIFY(a.rs.refresh());
        QCOMPARE(a.rs.RecordCount(), 12);
        QVERIFY(a.rs.MoveLast());
        QCOMPARE(a.field("ProjectName"), QString("Theirs"));
    }

    void theSameFieldChangedByBothIsTheUsersDecision()
    {
        Person a(path);
        QVERIFY(a.rs.setAbsolutePosition(5));
        QCOMPARE(a.field("ProjectName"), QString("Job 1034"));
        QCOMPARE(other({"set", "1034", "ProjectName", "Theirs"}), QString("ok"));
        QVERIFY(a.rs.setValue("ProjectName", "Mine"));
        QVERIFY(!a.rs.MoveNext());
        QCOMPARE(a.rs.failure().conflict, Conflict::Changed);
        QCOMPARE(a.rs.failure().theirs[1], QVariant("Theirs"));
        QCOMPARE(a.field("ProjectName"), QString("Mine")); // still typed, still current
        QCOMPARE(fieldInFile(path, "ProjectName")[4], QVariant("Theirs"));
        QVERIFY(a.rs.storeMineOverTheirs());
        QCOMPARE(fieldInFile(path, "ProjectName")[4], QVariant("Mine"));

        // Taking theirs drops the typed text and shows what is stored.
        QCOMPARE(other({"set", "1034", "ProjectName", "Theirs again"}), QString("ok"));
        QVERIFY(a.rs.setValue("ProjectName", "Mine again"));
        QVERIFY(!a.rs.Update());
        QVERIFY(a.rs.takeTheirs());
        QVERIFY(!a.rs.editPending());
        QCOMPARE(a.field("ProjectName"), QString("Theirs again"));
    }

    void differentFieldsOfOneRecordBothKeepTheirChange()
    {
        Person a(path);
        QVERIFY(a.rs.setAbsolutePosition(3));
        QCOMPARE(a.field("ClientName"), QString("Client"));
        QCOMPARE(other({"set", "1032", "ProjectName", "Theirs"}), QString("ok"));
        QVERIFY(a.rs.setValue("ClientName", "Mine"));
        // The window hands over every box: one left as it was read is not written back.
        QVERIFY(a.rs.setValue("ProjectName", "Job 1032"));
        QVERIFY(a.rs.Update());
        QCOMPARE(fieldInFile(path, "ProjectName")[2], QVariant("Theirs"));
        QCOMPARE(fieldInFile(path, "ClientName")[2], QVariant("Mine"));
    }

    void deletingARecordSomeoneChangedAsksFirst()
    {
        Person a(path);
        QVERIFY(a.rs.setAbsolutePosition(2));
        QCOMPARE(a.field("JobNumber"), QString("1031"));
        QCOMPARE(other({"set", "1031", "County", "Theirs"}), QString("ok"));
        QVERIFY(!a.rs.Delete());
        QCOMPARE(a.rs.failure().conflict, Conflict::Changed);
        QVERIFY(a.rs.failure().deleting);
        QCOMPARE(jobNumbersInFile(path).size(), 12);
        QVERIFY(a.rs.deleteAnyway());
        QVERIFY(!jobNumbersInFile(path).contains("1031"));
    }

    void twoAddsNeverStoreOneJobNumberTwice()
    {
        Person a(path);
        QVERIFY(a.rs.AddNew());
        QVERIFY(a.rs.setValue("JobNumber", "1042"));
        QVERIFY(a.rs.setValue("ProjectName", "Mine"));
        QCOMPARE(other({"add", "1042", "ProjectName", "Theirs"}), QString("ok"));
        QVERIFY(!a.rs.Update());
        QCOMPARE(a.rs.failure().conflict, Conflict::DuplicateJobNumber);
        QCOMPARE(a.rs.failure().freeJobNumber, QString("1043"));
        QVERIFY(a.rs.useFreeJobNumber());
        QCOMPARE(jobNumbersInFile(path).mid(12), (QStringList{"1042", "1043"}));
        QCOMPARE(a.field("ProjectName"), QString("Mine"));
    }

    void oldCataloguesWithDuplicateNumbersStillWork()
    {
        path = writeCatalogue(sandbox->path("dups.res"), jobs(7, 8) + jobs(7, 8));
        Person a(path);
        QCOMPARE(a.rs.RecordCount(), 4);
        QVERIFY(a.rs.MoveFirst());
        QVERIFY(a.rs.setValue("County", "Edited"));
        QVERIFY(a.rs.MoveNext());
        QCOMPARE(fieldInFile(path, "County")[0], QVariant("Edited"));
    }

    void othersChangesShowWithoutReopening()
    {
        Person a(path);
        QVERIFY(a.rs.MoveLast());
        QCOMPARE(a.rs.RecordCount(), 12);
        QSignalSpy refills(&a.rs, &Recordset::currentChanged);
        QCOMPARE(other({"set", "1041", "ProjectName", "Renamed"}), QString("ok"));
        QCOMPARE(other({"add", "1000", "ProjectName", "Earlier"}), QString("ok"));
        QCOMPARE(other({"delete", "1035"}), QString("ok"));
        QVERIFY(a.rs.refresh());
        QCOMPARE(a.rs.RecordCount(), 12);
        QCOMPARE(a.rs.AbsolutePosition(), 12);
        QCOMPARE(a.field("ProjectName"), QString("Renamed"));
        QCOMPARE(refills.size(), 1);
        QVERIFY(a.rs.MoveFirst());
        QCOMPARE(a.field("ProjectName"), QString("Earlier"));

        // The record on screen deleted by the other: its neighbour takes its place.
        QVERIFY(a.rs.setAbsolutePosition(7));
        QCOMPARE(a.field("JobNumber"), QString("1036"));
        QCOMPARE(other({"delete", "1036"}), QString("ok"));
        QVERIFY(a.rs.refresh());
        QCOMPARE(a.field("JobNumber"), QString("1037"));
        // Nothing changed: the look is cheap and changes nothing.
        refills.clear();
        QVERIFY(a.rs.refresh());
        QCOMPARE(refills.size(), 0);
    }

    void aRecordBeingEditedKeepsTheTypedTextThroughARefresh()
    {
        Person a(path);
        QVERIFY(a.rs.MoveLast());
        QVERIFY(a.rs.setValue("ProjectName", "Typing"));
        QCOMPARE(other({"set", "1041", "County", "Theirs"}), QString("ok"));
        QVERIFY(a.rs.refresh());
        QCOMPARE(a.field("ProjectName"), QString("Typing"));
        QVERIFY(a.rs.Update()); // another field: both kept
        QCOMPARE(fieldInFile(path, "County").last(), QVariant("Theirs"));
        QCOMPARE(fieldInFile(path, "ProjectName").last(), QVariant("Typing"));
    }

    void aSearchFindsWhatTheOtherJustStored()
    {
        Person a(path);
        a.rs.enableSearch(CatalogueSchema::fieldNames());
        QVERIFY(a.rs.waitForSearchText());
        QCOMPARE(a.rs.findForward("ZEBRA", 0), -1);
        QCOMPARE(other({"set", "1033", "ClientName", "Zebra Crossing Ltd"}), QString("ok"));
        QCOMPARE(a.rs.findForward("ZEBRA", 0), 3);
        QCOMPARE(other({"set", "1033", "ClientName", "Nobody"}), QString("ok"));
        QCOMPARE(a.rs.findForward("ZEBRA", 0), -1);
    }

    void theFileStaysReadableByPlainSqlite()
    {
        if (usingServer())
            QSKIP("a catalogue file's own case");
        Person a(path);
        QVERIFY(a.rs.MoveFirst());
        QVERIFY(a.rs.setValue("ProjectName", "Changed"));
        QVERIFY(a.rs.Update());
        // The table keeps its eight columns; other programs go on reading and writing it.
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "UPDATE Projects SET County = 'Plain' WHERE rowid = 2", nullptr, nullptr, nullptr),
                 SQLITE_OK);
        {
            SqlStatement columns(db, "SELECT count(*) FROM pragma_table_info('Projects')");
            QVERIFY(columns.step());
            QCOMPARE(columns.int64(0), 8);
            SqlStatement check(db, "PRAGMA integrity_check");
            QVERIFY(check.step());
            QCOMPARE(check.text(0).toString(), QString("ok"));
        }
        sqlite3_close(db);
        QVERIFY(a.rs.refresh());
        QVERIFY(a.rs.setAbsolutePosition(2));
        QCOMPARE(a.field("County"), QString("Plain"));
    }
};

QTEST_GUILESS_MAIN(TestSharedCatalogue)
#include "tst_sharedcatalogue.moc"
