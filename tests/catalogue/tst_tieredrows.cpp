// The record set's rows in blocks of turning rings: whatever is inserted,
// erased or reordered where, they read back as a plain vector would, across
// block edges, rings that have turned and blocks that come and go.
#include "catalogue/TieredRows.h"

#include <QtTest>
#include <random>

namespace {
// Blocks of four rows, so that a few dozen rows cross many block edges.
using Small = TieredRows<int, 2>;

bool same(const Small &rows, const std::vector<int> &model)
{
    return rows.size() == model.size() && std::equal(rows.begin(), rows.end(), model.begin(), model.end());
}
}

class TestTieredRows : public QObject
{
    Q_OBJECT

private slots:
    void readsBackAsAPlainVector_data()
    {
        QTest::addColumn<int>("seed");
        QTest::addColumn<int>("grownTo");
        QTest::newRow("empties now and then") << 1 << 6;
        QTest::newRow("a few blocks") << 2 << 23;
        QTest::newRow("many blocks") << 3 << 300;
    }
    void readsBackAsAPlainVector()
    {
        QFETCH(int, seed);
        QFETCH(int, grownTo);
        std::mt19937 draw{quint32(seed)};
        Small rows;
        std::vector<int> model;
        for (int step = 0; step < 20000; ++step) {
            const size_t at = model.empty() ? 0 : draw() % (model.size() + 1);
            const unsigned what = draw() % 100;
            if (what < 2) { // a pass over the plain rows: reversed, one more at the end
                rows.flat([](std::vector<int> &flat) {
                    std::reverse(flat.begin(), flat.end());
                    flat.push_back(-1);
                });
                std::reverse(model.begin(), model.end());
                model.push_back(-1);
            } else if (model.size() < size_t(grownTo) && what < 52) {
                rows.insert(at, step);
                model.insert(model.begin() + qsizetype(at), step);
            } else if (!model.empty()) {
                const size_t gone = std::min(at, model.size() - 1);
                rows.erase(gone);
                model.erase(model.begin() + qsizetype(gone));
            }
            if (!same(rows, model))
                QFAIL(qPrintable(QStringLiteral("differs after step %1").arg(step)));
            const int wanted = model.empty() ? 0 : model[draw() % model.size()];
            const auto found = std::find(model.begin(), model.end(), wanted) - model.begin();
            if (rows.findIf([wanted](int row) { return row == wanted; }) != size_t(found))
                QFAIL(qPrintable(QStringLiteral("finds another row after step %1").arg(step)));
        }
    }

    void searchesAndFillsInPlace()
    {
        Small rows;
        int *plain = rows.flatOf(10);
        std::iota(plain, plain + 10, 0);
        rows.erase(0);
        rows.insert(5, 5); // rings have turned: 1 2 3 4 5 5 6 7 8 9
        QCOMPARE(std::upper_bound(rows.begin(), rows.end(), 5) - rows.begin(), 6);
        QCOMPARE(std::lower_bound(rows.begin(), rows.end(), 5) - rows.begin(), 4);
        QCOMPARE(rows.back(), 9);
        rows.flat([](std::vector<int> &flat) { QCOMPARE(flat, (std::vector<int>{1, 2, 3, 4, 5, 5, 6, 7, 8, 9})); });
    }
};

QTEST_APPLESS_MAIN(TestTieredRows)
#include "tst_tieredrows.moc"
