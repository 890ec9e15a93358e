// The search text a session leaves in the cache folder answers the next
// session's searches with what others changed in between; a kept text that
// does not hold is read anew from the catalogue, never trusted.
#include "CatalogueFiles.h"

#include "catalogue/CatalogueSchema.h"
#include "catalogue/Connection.h"
#include "catalogue/KeptSearchText.h"
#include "catalogue/Recordset.h"

#include <QtTest>
#include <functional>

using namespace TestSupport;

namespace {
const QString Table = QStringLiteral("Projects");
const QString Sort = QStringLiteral("JobNumber");

QString keptFile(const QString &path)
{
    return KeptSearchText::fileFor(path, Table, CatalogueSchema::fieldNames());
}

void runSql(const QString &path, const QString &sql)
{
    const QString error = runSqlOnFile(path, sql);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

// One session on the file: each text's first record found, as "job number/name"
// ("-" when none holds it), searched forward from the first record and backward
// from the last; both must agree. The session keeps its text when it ends.
QStringList searchSession(const QString &path, const QStringList &texts)
{
    Connection connection;
    connection.ConnectionString = path;
    Recordset rs(connection, Table, Recordset::Optimistic);
    rs.enableSearch(CatalogueSchema::fieldNames());
    if (!rs.setSort(Sort))
        return {QStringLiteral("<open failed>")};
    rs.waitForSearchText();
    QStringList found;
    for (const QString &text : texts) {
        const QByteArray needle = SearchCorpus::needleFor(text);
        const qint64 forward = rs.findForward(needle, 0);
        const qint64 backward = rs.findBackward(needle, rs.RecordCount() - 1);
        if (forward < 0 || backward < 0) {
            found << (forward == backward ? QStringLiteral("-") : QStringLiteral("<walks disagree>"));
            continue;
        }
        rs.setAbsolutePosition(forward + 1);
        found << rs.value(Sort).toString() + u'/' + rs.value(QStringLiteral("ProjectName")).toString();
    }
    return found;
}

// A change the change log does not see: a kept text from before it still
// finds record 150 by its old name.
void changeBehindTheLog(const QString &path)
{
    runSql(path,
           QStringLiteral(
               "UPDATE Projects SET ProjectName = 'Renamed quietly', ProjectDescription = NULL WHERE rowid = 150; "
               "DELETE FROM \"MorvoII changes to Projects\" WHERE id = 150;"));
}

const QStringList QuietChange{QStringLiteral("Job 150 of 300"), QStringLiteral("Renamed quietly")};
}

class TestKeptSearchText : public QObject
{
    Q_OBJECT

    std::unique_ptr<CatalogueSandbox> sandbox;
    QString path;

private slots:
    // 300 records with shared clients and dates (held once in the text) and
    // names of their own; a first session reads them and keeps its text.
    void init()
    {
        sandbox = std::make_unique<CatalogueSandbox>();
        QList<Record> records;
        for (int i = 1; i <= 300; ++i) {
            Record r = record(QString::number(1000 + i), QStringLiteral("Job %1 of 300").arg(i));
            r[3] = QStringLiteral("Client %1").arg(i % 7);
            r[5] = QStringLiteral("2024-0%1-01").arg(1 + i % 9);
            records << r;
        }
        path = sandbox->path(QStringLiteral("kept.res"));
        writeCatalogue(path, records);
        if (!keepsBirthTimes(path))
            QSKIP("This file system keeps no birth times: catalogues on it keep no search text.");
        QFile::remove(keptFile(path));
        QCOMPARE(searchSession(path, {QStringLiteral("job 7 of")}), QStringList{"1007/Job 7 of 300"});
        QVERIFY(QFile::exists(keptFile(path)));
    }
    void cleanup() { sandbox.reset(); }

    // Others' inserts, deletes and changes since the last session are found
    // as they are now, and what they replaced is not.
    void theNextSessionFindsWhatOthersChangedSince()
    {
        runSql(path,
               QStringLiteral(
                   "INSERT INTO Projects (JobNumber, ProjectName, ClientName) VALUES ('2000', 'Brand new', "
                   "'Client 3'); DELETE FROM Projects WHERE rowid = 40; "
                   "UPDATE Projects SET ProjectName = 'Now a bridge', ProjectDescription = '' WHERE rowid = 41; "
                   "UPDATE Projects SET ClientName = 'Another client' WHERE rowid = 42;"));
        const QStringList texts{QStringLiteral("brand new"),      QStringLiteral("Job 40 of"),
                                QStringLiteral("Job 41 of"),      QStringLiteral("now a bridge"),
                                QStringLiteral("another client"), QStringLiteral("client 6")};
        const QStringList expected{"2000/Brand new",   "-", "-", "1041/Now a bridge", "1042/Job 42 of 300",
                                   "1006/Job 6 of 300"};
        QCOMPARE(searchSession(path, texts), expected);
        // That session kept the text with the changes in: the next one agrees.
        QCOMPARE(searchSession(path, texts), expected);
    }

    // Whenever the kept text cannot be trusted it is read anew: the record
    // renamed behind the log's back is then found by its new name.
    void aKeptTextThatDoesNotHoldIsNotUsed_data()
    {
        QTest::addColumn<std::function<void(const QString &)>>("happen");
        QTest::addColumn<bool>("kept");
        using Happen = std::function<void(const QString &)>;
        const auto rewrite = [](const std::function<void(QByteArray &)> &change) {
            return Happen([change](const QString &catalogue) {
                QByteArray bytes = fileBytes(keptFile(catalogue));
                change(bytes);
                QVERIFY(writeFileBytes(keptFile(catalogue), bytes));
            });
        };
        QTest::newRow("nothing else: the kept text is used") << Happen([](const QString &) {}) << true;
        QTest::newRow("a byte of the text damaged")
            << rewrite([](QByteArray &b) { b[b.size() - 50] ^= 0x20; }) << false;
        QTest::newRow("a byte of the span table damaged") << rewrite([](QByteArray &b) { b[300] ^= 0x01; }) << false;
        QTest::newRow("cut short") << rewrite([](QByteArray &b) { b.chop(1000); }) << false;
        QTest::newRow("only its first bytes") << rewrite([](QByteArray &b) { b.truncate(20); }) << false;
        QTest::newRow("of another version of the program")
            << rewrite([](QByteArray &b) { b[14] = '0'; }) // the format's number in the magic
            << false;
        QTest::newRow("another catalogue's kept text in its place") << Happen([this](const QString &catalogue) {
            const QString other = sandbox->path(QStringLiteral("other.res"));
            writeCatalogue(other, {record("1", "Somewhere else")});
            searchSession(other, {});
            QFile::remove(keptFile(catalogue));
            QVERIFY(QFile::copy(keptFile(other), keptFile(catalogue)));
        }) << false;
        QTest::newRow("catalogue made anew in its place") << Happen([](const QString &catalogue) {
            QVERIFY(writeFileBytes(catalogue + ".new", fileBytes(catalogue)));
            QVERIFY(QFile::remove(catalogue));
            QVERIFY(QFile::rename(catalogue + ".new", catalogue));
        }) << false;
        QTest::newRow("too many changes since to read one by one") << Happen([](const QString &catalogue) {
            runSql(catalogue, QStringLiteral("UPDATE Projects SET ProjectDescription = 'x' WHERE rowid < 120"));
        }) << false;
    }
    void aKeptTextThatDoesNotHoldIsNotUsed()
    {
        QFETCH(std::function<void(const QString &)>, happen);
        QFETCH(bool, kept);
        changeBehindTheLog(path);
        happen(path);
        const QStringList found = searchSession(path, QuietChange);
        QCOMPARE(found, kept ? QStringList({"1150/Renamed quietly", "-"}) : QStringList({"-", "1150/Renamed quietly"}));
    }
};

QTEST_MAIN(TestKeptSearchText)
#include "tst_keptsearchtext.moc"
