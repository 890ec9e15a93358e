#include "CatalogueFiles.h"

#include "catalogue/Connection.h"
#include "catalogue/DataEnvironment1.h"
#include "catalogue/LeadingNumber.h"
#include "catalogue/Recordset.h"
#include "stores/sqlite/SqlStatement.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

using namespace TestSupport;

namespace {
QStringList jobNumbersInOrder(Recordset &rs)
{
    QStringList numbers;
    if (!rs.MoveFirst())
        return {QStringLiteral("<move failed>")};
    while (!rs.EOF_()) {
        numbers << rs.value(QStringLiteral("JobNumber")).toString();
        rs.MoveNext();
    }
    return numbers;
}

QList<Record> numbered(int count)
{
    QList<Record> records;
    for (int i = 1; i <= count; ++i)
        records << record(QString::number(i), QStringLiteral("Job %1").arg(i));
    return records;
}
}

class TestRecordset : public QObject
{
    Q_OBJECT

    std::unique_ptr<CatalogueSandbox> sandbox;
    DataEnvironment1 &env() { return DataEnvironment1::instance(); }
    Recordset &open(const QString &path)
    {
        env().Connection1.ConnectionString = path;
        env().rsConJobnr.setSort(QStringLiteral("JobNumber"));
        return env().rsConJobnr;
    }

private slots:
    void init() { sandbox = std::make_unique<CatalogueSandbox>(); }
    void cleanup() { sandbox.reset(); }

    void readsTheLeadingNumberOfAJobNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("next");
        QTest::newRow("plain") << "1041" << 1041.0 << "1042";
        QTest::newRow("suffix") << "1041-B" << 1041.0 << "1042";
        QTest::newRow("blanks inside") << " 10 41" << 1041.0 << "1042";
        QTest::newRow("fraction") << "12.5x" << 12.5 << "13.5";
        QTest::newRow("sign") << "-3" << -3.0 << "-2";
        QTest::newRow("no number") << "ABC" << 0.0 << "1";
        QTest::newRow("empty") << "" << 0.0 << "1";
        QTest::newRow("blank") << " " << 0.0 << "1";
        QTest::newRow("big") << "2026000123" << 2026000123.0 << "2026000124";
        // Whole numbers of up to 15 digits are read on a short way; longer ones as before.
        QTest::newRow("15 digits") << "999999999999999" << 999999999999999.0 << "1000000000000000";
        QTest::newRow("16 digits") << "1234567890123456" << 1234567890123456.0 << "1234567890123457";
        QTest::newRow("leading zeros") << "000120" << 120.0 << "121";
    }
    void readsTheLeadingNumberOfAJobNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(QString, next);
        QCOMPARE(LeadingNumber::parse(text), value);
        QCOMPARE(LeadingNumber::nextAfter(text), next);
    }

    void sortsByNumericValueThenText()
    {
        const QString path = writeCatalogue(sandbox->path("c.res"),
                                            {record("200"), record("30"), record("ABC"), record(""), record("1000"),
                                             record("30A"), Record{QVariant(), "null job"}, record("4")});
        Recordset &rs = open(path);
        QVERIFY2(rs.isOpen(), qPrintable(rs.lastError()));
        // Text without a number counts as 0; ties are ordered by their text.
        QCOMPARE(jobNumbersInOrder(rs), (QStringList{"", "", "ABC", "4", "30", "30A", "200", "1000"}));
        QVERIFY(rs.MoveLast());
        QCOMPARE(rs.value("JobNumber").toString(), QString("1000"));
        QCOMPARE(rs.AbsolutePosition(), 8);
    }

    // A file the program may change gets an index of its job numbers once the
    // first session's search text is in; later opens read it, in text order,
    // and must come out in the same order as a read of every record.
    void opensFromItsKeyIndexInTheSameOrder()
    {
        if (usingServer())
            QSKIP("a server has its indexes from the start");
        QList<Record> records;
        for (const QString &key : {"", "ABC", "0012", "12", "12A", "-3", " 40", "1.5", "1234567890123456"})
            records << record(key);
        for (int n = 3000; n >= 1; n -= 7)
            records << record(QString::number(n));
        records << Record{QVariant(), "null job"};
        const QString path = writeCatalogue(sandbox->path("k.res"), records);
        Recordset &rs = open(path);
        const QStringList fromTheTable = jobNumbersInOrder(rs);
        QVERIFY(rs.waitForSearchText());
        const auto hasIndex = [&path] {
            sqlite3 *db = nullptr;
            sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
            SqlStatement probe(db, "SELECT count(*) FROM sqlite_master WHERE name = 'MorvoII keys of Projects'");
            const bool found = probe.step() && probe.int64(0) == 1;
            sqlite3_close(db);
            return found;
        };
        QTRY_VERIFY_WITH_TIMEOUT(hasIndex(), 10000);
        QVERIFY(rs.Open());
        QCOMPARE(jobNumbersInOrder(rs), fromTheTable);
    }

    void anEmptyTableIsAtBothEnds()
    {
        Recordset &rs = open(writeCatalogue(sandbox->path("e.res"), {}));
        QVERIFY(rs.isOpen());
        QCOMPARE(rs.RecordCount(), 0);
        QVERIFY(rs.BOF());
        QVERIFY(rs.EOF_());
        QVERIFY(rs.MoveFirst());
        QVERIFY(rs.MoveLast());
        QVERIFY(rs.Update());
        QVERIFY(rs.Delete());
        QVERIFY(rs.value("JobNumber").isNull());
        QCOMPARE(rs.RecordCount(), 0);
    }

    void movesStopAtTheEnds()
    {
        Recordset &rs = open(writeCatalogue(sandbox->path("m.res"), numbered(3)));
        QVERIFY(rs.MoveLast());
        QVERIFY(rs.MoveNext());
        QVERIFY(rs.EOF_());
        QCOMPARE(rs.AbsolutePosition(), Recordset::PosEOF);
        QVERIFY(rs.MoveFirst());
        QVERIFY(rs.MovePrevious());
        QVERIFY(rs.BOF());
        QCOMPARE(rs.AbsolutePosition(), Recordset::PosBOF);
        QVERIFY(rs.setAbsolutePosition(2));
        QCOMPARE(rs.value("JobNumber").toString(), QString("2"));
        QVERIFY(!rs.setAbsolutePosition(4));
        QVERIFY(!rs.lastError().isEmpty());
    }

    void usesTheExactFieldNames()
    {
        const QString path = writeCatalogue(sandbox->path("f.res"), {record("7", "Seven", "/jobs/7/plan.dwg")});
        Recordset &rs = open(path);
        QVERIFY(rs.MoveFirst());
        QCOMPARE(rs.value("Drawing Directory&Name").toString(), QString("/jobs/7/plan.dwg"));
        QCOMPARE(rs.value("Drawing Number").toString(), QString("Manager"));
        QVERIFY(rs.setValue("Drawing Directory&Name", "/jobs/7/new.dwg"));
        QVERIFY(rs.Update());
        QCOMPARE(fieldInFile(path, "Drawing Directory&Name"), (QList<QVariant>{"/jobs/7/new.dwg"}));
        QVERIFY(!rs.setValue("Drawing Directory", "x"));
    }

    void aNewRecordStaysPendingUntilAMove()
    {
        const QString path = writeCatalogue(sandbox->path("n.res"), numbered(3));
        Recordset &rs = open(path);
        QVERIFY(rs.AddNew());
        QCOMPARE(rs.RecordCount(), 4);
        QVERIFY(rs.value("JobNumber").isNull());
        QVERIFY(rs.setValue("JobNumber", "4"));
        QVERIFY(rs.setValue("ProjectName", "Fourth"));
        QCOMPARE(jobNumbersInFile(path).size(), 3); // nothing stored yet
        QVERIFY(rs.MovePrevious());
        QCOMPARE(jobNumbersInFile(path), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(rs.value("JobNumber").toString(), QString("3"));
        QVERIFY(rs.MoveLast());
        QCOMPARE(rs.value("ProjectName").toString(), QString("Fourth"));
        QVERIFY(!rs.editPending());
    }

    void anEditIsStoredByAMoveAndSeenByAFreshOpen()
    {
        const QString path = writeCatalogue(sandbox->path("u.res"), numbered(3));
        Recordset &rs = open(path);
        QVERIFY(rs.setAbsolutePosition(2));
        QVERIFY(rs.setValue("ClientName", "Changed"));
        QVERIFY(rs.setValue("JobNumber", "99"));
        QVERIFY(rs.MoveFirst());
        // The changed job number moved the record to its sorted place.
        QCOMPARE(jobNumbersInOrder(rs), (QStringList{"1", "3", "99"}));

        DataEnvironment1::reset();
        Recordset &fresh = open(path);
        QCOMPARE(jobNumbersInOrder(fresh), (QStringList{"1", "3", "99"}));
        QVERIFY(fresh.MoveLast());
        QCOMPARE(fresh.value("ClientName").toString(), QString("Changed"));
    }

    void aStoredRecordStaysCurrentInItsSortedPlace()
    {
        Recordset &rs = open(writeCatalogue(sandbox->path("s.res"), numbered(5)));
        QVERIFY(rs.setAbsolutePosition(5));
        QVERIFY(rs.setValue("JobNumber", "0"));
        QVERIFY(rs.Update());
        QCOMPARE(rs.AbsolutePosition(), 1);
        QCOMPARE(rs.value("JobNumber").toString(), QString("0"));
    }

    void deleteRemovesOnlyTheCurrentRecord()
    {
        const QString path = writeCatalogue(sandbox->path("d.res"), numbered(5));
        Recordset &rs = open(path);
        QVERIFY(rs.setAbsolutePosition(3));
        QSignalSpy deleted(&rs, &Recordset::recordDeleted);
        QVERIFY(rs.Delete());
        QCOMPARE(deleted.count(), 1);
        QCOMPARE(rs.RecordCount(), 4);
        QCOMPARE(jobNumbersInFile(path), (QStringList{"1", "2", "4", "5"}));
        QCOMPARE(jobNumbersInOrder(rs), (QStringList{"1", "2", "4", "5"}));
    }

    void failuresDescribeTheCause_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing") << "missing"
                                 << "does not exist";
        QTest::newRow("folder") << "folder"
                                << "is a folder";
        QTest::newRow("not sqlite") << "text"
                                    << "not a SQLite database";
        QTest::newRow("damaged") << "damaged"
                                 << "damaged";
        QTest::newRow("no table") << "notable"
                                  << "has no table \"Projects\"";
        QTest::newRow("no job number") << "nojob"
                                       << "has no field \"JobNumber\"";
    }
    void failuresDescribeTheCause()
    {
        if (usingServer())
            QSKIP("a catalogue file's own case; the server's are in tst_serverstore");
        QFETCH(QString, kind);
        QFETCH(QString, expected);
        QString path = sandbox->path("bad.res");
        if (kind == "folder") {
            path = sandbox->path("folder.res");
            QVERIFY(QDir().mkpath(path));
        } else if (kind == "text") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        } else if (kind == "damaged") {
            writeCatalogue(path, numbered(2000));
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(4096 * 2);
            f.write(QByteArray(4096 * 4, '\xA5'));
        } else if (kind == "notable" || kind == "nojob") {
            sqlite3 *db = nullptr;
            sqlite3_open(path.toUtf8().constData(), &db);
            sqlite3_exec(db,
                         kind == "notable" ? "CREATE TABLE Other (a TEXT)" : "CREATE TABLE Projects (ProjectName TEXT)",
                         nullptr, nullptr, nullptr);
            sqlite3_close(db);
        }
        Recordset &rs = open(path);
        QVERIFY(!rs.isOpen());
        QVERIFY2(rs.lastError().contains(expected), qPrintable(rs.lastError()));
    }

    void aRecordThatCannotBeReadIsReportedOnceAndNeverStoredOver()
    {
        if (usingServer())
            QSKIP("a catalogue file's own case; the server's are in tst_serverstore");
        const QString path = writeCatalogue(sandbox->path("gone.res"), numbered(3));
        Recordset &rs = open(path);
        QVERIFY(rs.MoveFirst());
        sqlite3 *db = nullptr;
        sqlite3_open(path.toUtf8().constData(), &db);
        QCOMPARE(sqlite3_exec(db, "ALTER TABLE Projects RENAME TO Elsewhere", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        QSignalSpy unreadable(&rs, &Recordset::recordUnreadable);
        QVERIFY(rs.value("ProjectName").isNull());
        QVERIFY(rs.value("ClientName").isNull());
        QTRY_COMPARE(unreadable.size(), 1);
        QVERIFY2(unreadable[0][0].toString().contains("Projects"), qPrintable(unreadable[0][0].toString()));
        QVERIFY(!rs.setValue("ProjectName", "typed"));
        QVERIFY(!rs.editPending());
        QTest::qWait(50);
        QCOMPARE(unreadable.size(), 1);
    }

    void aReadOnlyCatalogueSaysWhyTheStoreFailed()
    {
        if (usingServer())
            QSKIP("a catalogue file's own case; the server's are in tst_serverstore");
        // A connection that may only read stands in for a read-only file (root may write any file).
        const QString path = writeCatalogue(sandbox->path("ro.res"), numbered(2));
        Connection readOnly(true);
        readOnly.ConnectionString = path;
        Recordset rs(readOnly, "Projects", Recordset::Optimistic);
        QVERIFY(rs.MoveFirst());
        QVERIFY(rs.setValue("ProjectName", "typed"));
        QVERIFY(!rs.Update());
        QVERIFY2(rs.lastError().contains("read-only") && !rs.lastError().contains("not an error"),
                 qPrintable(rs.lastError()));
        QVERIFY(rs.editPending());
        QCOMPARE(fieldInFile(path, "ProjectName"), (QList<QVariant>{"Job 1", "Job 2"}));
    }

    void aLockedCatalogueRefusesTheStoreWithItsReason()
    {
        if (usingServer())
            QSKIP("a catalogue file's own case; the server's are in tst_serverstore");
        // A writer holding the lock stands in for every file the database
        // cannot write (root ignores read-only permissions).
        const QString path = writeCatalogue(sandbox->path("lock.res"), numbered(2));
        Recordset &rs = open(path);
        QVERIFY(rs.MoveFirst());
        QCOMPARE(rs.value("ProjectName").toString(), QString("Job 1")); // read, as the boxes do
        auto lock = std::make_unique<CatalogueLock>(path);
        QVERIFY(lock->held());
        QVERIFY(rs.setValue("ProjectName", "typed"));
        QVERIFY(!rs.Update());
        QVERIFY2(rs.lastError().contains("locked"), qPrintable(rs.lastError()));
        QVERIFY(rs.editPending());
        lock.reset();
        QCOMPARE(fieldInFile(path, "ProjectName"), (QList<QVariant>{"Job 1", "Job 2"}));
        QVERIFY(rs.Update());
        QCOMPARE(fieldInFile(path, "ProjectName"), (QList<QVariant>{"typed", "Job 2"}));
    }

    void positionsAreNotLimitedTo16Bits()
    {
        QList<Record> records;
        for (int i = 1; i <= 33000; ++i)
            records << Record{QString::number(i)};
        Recordset &rs = open(writeCatalogue(sandbox->path("big.res"), records));
        QVERIFY(rs.setAbsolutePosition(32900));
        QCOMPARE(rs.value("JobNumber").toString(), QString("32900"));
        QVERIFY(rs.Delete());
        QVERIFY(rs.setAbsolutePosition(32899));
        QVERIFY(rs.MoveNext());
        QCOMPARE(rs.value("JobNumber").toString(), QString("32901"));
        QCOMPARE(rs.AbsolutePosition(), 32900);
    }
};

QTEST_MAIN(TestRecordset)
#include "tst_recordset.moc"
