// A catalogue file opens from the order the last session kept, with what
// others changed since taken in; a kept order that does not hold is not used.
#include "CatalogueFiles.h"

#include "catalogue/CatalogueSchema.h"
#include "catalogue/Connection.h"
#include "catalogue/KeptOrder.h"
#include "catalogue/Recordset.h"
#include "stores/sqlite/SqliteStore.h"

#include <QFile>
#include <QtTest>
#include <functional>
#include <sqlite3.h>

using namespace TestSupport;

namespace {
const QString Table = QStringLiteral("Projects");
const QString Sort = QStringLiteral("JobNumber");

// The records in the window's order, as "job number/name".
QStringList orderOf(const QString &path)
{
    Connection connection;
    connection.ConnectionString = path;
    Recordset rs(connection, Table, Recordset::Optimistic);
    QStringList order;
    if (!rs.setSort(Sort) || !rs.MoveFirst())
        return {QStringLiteral("<open failed>")};
    for (; !rs.EOF_(); rs.MoveNext())
        order << rs.value(Sort).toString() + u'/' + rs.value(QStringLiteral("ProjectName")).toString();
    return order;
}

void runSql(const QString &path, const QString &sql)
{
    const QString error = runSqlOnFile(path, sql);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

QString keptFile(const QString &path)
{
    return KeptOrder::fileFor(path, Table, Sort);
}

QByteArray bytesOf(const QString &path)
{
    return fileBytes(path);
}

void writeBytes(const QString &path, const QByteArray &bytes, QIODevice::OpenMode mode = QIODevice::WriteOnly)
{
    QVERIFY(writeFileBytes(path, bytes, mode));
}

// A change the change log does not see: an order kept from before it still
// shows record 150 where it was; read afresh, it is last.
void changeBehindTheLog(const QString &path)
{
    runSql(path,
           QStringLiteral("UPDATE Projects SET JobNumber = '9999' WHERE rowid = 150; "
                          "DELETE FROM \"MorvoII changes to Projects\" WHERE id = 150;"));
}
}

class TestKeptOrder : public QObject
{
    Q_OBJECT

    std::unique_ptr<CatalogueSandbox> sandbox;
    QString path;

    // 300 records, job numbers out of order and some not numbers at all; a
    // first session opens the file and leaves its order kept.
    void firstSession()
    {
        QList<Record> records;
        for (int i = 1; i <= 300; ++i) {
            const QString number = i % 37 == 0 ? QStringLiteral("A-%1").arg(i) : QString::number((i * 7919) % 1000);
            records << record(number, QStringLiteral("Job %1").arg(i));
        }
        path = sandbox->path(QStringLiteral("kept.res"));
        writeCatalogue(path, records);
        if (!keepsBirthTimes(path))
            QSKIP("This file system keeps no birth times: catalogues on it open without a kept order.");
        QFile::remove(keptFile(path));
        QVERIFY(orderOf(path).size() == 300);
        QVERIFY(QFile::exists(keptFile(path)));
    }

private slots:
    void init()
    {
        sandbox = std::make_unique<CatalogueSandbox>();
        firstSession();
    }
    void cleanup() { sandbox.reset(); }

    // The others' inserts, deletes and changes of the key since the kept
    // order are in their places, as a fresh read of the keys has them.
    void aReopenShowsWhatOthersChangedSince()
    {
        runSql(path,
               QStringLiteral("INSERT INTO Projects (JobNumber, ProjectName) VALUES ('500', 'New'); "
                              "DELETE FROM Projects WHERE rowid IN (3, 40, 299); "
                              "UPDATE Projects SET JobNumber = '1' WHERE rowid = 7; "
                              "UPDATE Projects SET JobNumber = '77', ProjectName = 'Twice' WHERE rowid = 8; "
                              "UPDATE Projects SET JobNumber = 'A-0' WHERE rowid = 8;"));
        // The same catalogue under another name has no kept order: it is read afresh.
        const QString fresh = sandbox->path(QStringLiteral("fresh.res"));
        QVERIFY(QFile::copy(path, fresh));
        const QStringList expected = orderOf(fresh);
        QVERIFY(expected.contains(QStringLiteral("500/New")) && expected.contains(QStringLiteral("A-0/Twice")));
        changeBehindTheLog(path);
        const QStringList reopened = orderOf(path);
        QCOMPARE(reopened.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            // Record 150 shows the number the log never told of; the order is the kept one.
            if (expected[i].endsWith(QStringLiteral("/Job 150")))
                QCOMPARE(reopened[i], QStringLiteral("9999/Job 150"));
            else
                QCOMPARE(reopened[i], expected[i]);
        }
        // The reopen kept the new order: the next one needs no change taken in and agrees.
        QCOMPARE(orderOf(path), reopened);
    }

    // Whenever the kept order cannot be trusted, the keys are read afresh:
    // record 150, changed behind the log's back, then shows in its true place.
    void aKeptOrderThatDoesNotHoldIsNotUsed_data()
    {
        QTest::addColumn<std::function<void(const QString &)>>("happen");
        QTest::addColumn<bool>("kept");
        const auto nothing = [](const QString &) {};
        QTest::newRow("nothing else: the kept order is used") << std::function<void(const QString &)>(nothing) << true;
        QTest::newRow("kept file damaged") << std::function<void(const QString &)>([](const QString &catalogue) {
            QByteArray bytes = bytesOf(keptFile(catalogue));
            bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x10);
            writeBytes(keptFile(catalogue), bytes);
        }) << false;
        QTest::newRow("kept file cut short") << std::function<void(const QString &)>([](const QString &catalogue) {
            writeBytes(keptFile(catalogue), bytesOf(keptFile(catalogue)).chopped(100));
        }) << false;
        QTest::newRow("kept file of another layout")
            << std::function<void(const QString &)>([](const QString &catalogue) {
                   QByteArray bytes = bytesOf(keptFile(catalogue));
                   bytes[14] = '0'; // the format's number in the magic
                   writeBytes(keptFile(catalogue), bytes);
               })
            << false;
        QTest::newRow("catalogue made anew in its place")
            << std::function<void(const QString &)>([](const QString &catalogue) {
                   // Made beside the old one first, so that it cannot get the old one's inode.
                   writeBytes(catalogue + ".new", bytesOf(catalogue));
                   QVERIFY(QFile::remove(catalogue));
                   QVERIFY(QFile::rename(catalogue + ".new", catalogue));
               })
            << false;
        QTest::newRow("too many changes since to take in one by one")
            << std::function<void(const QString &)>([](const QString &catalogue) {
                   runSql(catalogue, QStringLiteral("UPDATE Projects SET ProjectDescription = 'x' WHERE rowid < 120"));
               })
            << false;
    }
    void aKeptOrderThatDoesNotHoldIsNotUsed()
    {
        QFETCH(std::function<void(const QString &)>, happen);
        QFETCH(bool, kept);
        const QStringList before = orderOf(path);
        changeBehindTheLog(path);
        happen(path);
        const QStringList order = orderOf(path);
        QCOMPARE(order.size(), before.size());
        const qsizetype keptPlace = before.indexOf(QRegularExpression(QStringLiteral(".*/Job 150")));
        QCOMPARE(order.indexOf(QStringLiteral("9999/Job 150")), kept ? keptPlace : order.size() - 1);
    }

    // A copy put back over the file (same file, an older history) and another
    // change made since: the history went another way at the kept point.
    void aCopyPutBackOverTheFileIsReadAfresh()
    {
        const QByteArray copy = bytesOf(path);
        runSql(path, QStringLiteral("UPDATE Projects SET JobNumber = '8888' WHERE rowid = 20"));
        QCOMPARE(orderOf(path).last(), QStringLiteral("8888/Job 20")); // kept so
        writeBytes(path, copy, QIODevice::ReadWrite | QIODevice::Truncate);
        runSql(path, QStringLiteral("UPDATE Projects SET ProjectName = 'Theirs' WHERE rowid = 21"));
        const QString fresh = sandbox->path(QStringLiteral("fresh.res"));
        QVERIFY(QFile::copy(path, fresh));
        QCOMPARE(orderOf(path), orderOf(fresh));
    }

    // A record deleted behind the log's back stays in the kept order with no
    // text to search; the walks pass it by on both sides.
    void aWalkPassesARecordWithNoText()
    {
        runSql(path,
               QStringLiteral("DELETE FROM Projects WHERE rowid = 150; "
                              "DELETE FROM \"MorvoII changes to Projects\" WHERE id = 150;"));
        Connection connection;
        connection.ConnectionString = path;
        Recordset rs(connection, Table, Recordset::Optimistic);
        QVERIFY(rs.setSort(Sort));
        rs.enableSearch(CatalogueSchema::fieldNames());
        QCOMPARE(rs.RecordCount(), 300); // the kept order was used
        rs.waitForSearchText();
        const qint64 last = rs.RecordCount() - 1;
        for (const int job : {149, 151, 299, 300}) {
            const QByteArray needle = SearchCorpus::needleFor(QStringLiteral("Job %1").arg(job));
            const qint64 forward = rs.findForward(needle, 0);
            QVERIFY(forward >= 0);
            QCOMPARE(rs.findBackward(needle, last), forward);
        }
        QCOMPARE(rs.findForward("NO SUCH TEXT", 0), -1);
        QCOMPARE(rs.findBackward("NO SUCH TEXT", last), -1);
    }
};

QTEST_MAIN(TestKeptOrder)
#include "tst_keptorder.moc"
