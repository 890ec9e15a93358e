// The record set's sort: whatever order the keys come in, the one order of
// (leading number, text, row id), also where the short ways stop applying.
#include "catalogue/LeadingNumber.h"
#include "catalogue/SortRows.h"

#include <QtTest>
#include <random>

namespace {
struct Row
{
    double number;
    std::string key;
    qint64 id;
};

bool less(const Row &a, const Row &b)
{
    if (a.number != b.number)
        return a.number < b.number;
    if (a.key != b.key)
        return a.key < b.key;
    return a.id < b.id;
}

std::vector<Row> rowsOf(const QStringList &keys)
{
    std::vector<Row> rows;
    for (const QString &key : keys) {
        const std::string utf8 = key.toStdString();
        rows.push_back({LeadingNumber::parse(std::string_view(utf8)), utf8, qint64(rows.size())});
    }
    return rows;
}

// As the key index hands them over: by text, then by row id.
void inTextOrder(std::vector<Row> &rows)
{
    std::sort(rows.begin(), rows.end(),
              [](const Row &a, const Row &b) { return a.key != b.key ? a.key < b.key : a.id < b.id; });
}
}

class TestSortRows : public QObject
{
    Q_OBJECT

private slots:
    void endsInTheOneOrder_data()
    {
        QTest::addColumn<QStringList>("keys");
        QStringList widths, mixed, wide;
        for (int n = 1; n <= 3000; n += 7)
            widths << QString::number(n);
        mixed << widths.mid(0, 50) << "0012"
              << "12"
              << "12A"
              << ""
              << ""
              << "A-7"
              << "-3"
              << " 40"
              << "1.5";
        // Different widths, one double: the short way gives the wrong order here.
        wide << "9999999999999999"
             << "10000000000000000"
             << "10000000000000001"
             << "5";
        QTest::newRow("whole numbers of several widths") << widths;
        QTest::newRow("text, blanks, signs, zeros, empty") << mixed;
        QTest::newRow("numbers beyond a double's digits") << wide;
    }
    void endsInTheOneOrder()
    {
        QFETCH(QStringList, keys);
        std::vector<Row> expected = rowsOf(keys);
        std::sort(expected.begin(), expected.end(), less);
        for (const bool textOrder : {true, false}) {
            std::vector<Row> rows = rowsOf(keys);
            if (textOrder)
                inTextOrder(rows);
            else
                std::shuffle(rows.begin(), rows.end(), std::mt19937(7));
            SortRows::inOrder(rows, less, [](const Row &row) { return row.key.size(); });
            QVERIFY(std::equal(rows.begin(), rows.end(), expected.begin(), expected.end(),
                               [](const Row &a, const Row &b) { return a.id == b.id; }));
        }
    }

    // Across the size from which the halves are sorted on two threads.
    void sortsOnBothCoresAlike()
    {
        for (const size_t count : {size_t(99999), size_t(100000), size_t(100001)}) {
            std::vector<Row> rows;
            std::mt19937 random{unsigned(count)};
            for (size_t i = 0; i < count; ++i)
                rows.push_back({double(random() % 5000), std::string(1, char('A' + random() % 3)), qint64(i)});
            std::vector<Row> expected = rows;
            std::sort(expected.begin(), expected.end(), less);
            SortRows::onBothCores(rows, less);
            QVERIFY(std::equal(rows.begin(), rows.end(), expected.begin(), expected.end(),
                               [](const Row &a, const Row &b) { return a.id == b.id; }));
        }
    }
};

QTEST_GUILESS_MAIN(TestSortRows)
#include "tst_sortrows.moc"
