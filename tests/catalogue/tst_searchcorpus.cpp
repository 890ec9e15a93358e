// The search text and the walks over it, where their speed makes them tricky:
// the vector loops at every alignment and at both ends, 16 MiB chunks, the two
// halves read side by side and joined, and the split of a walk between threads.
#include "CatalogueFiles.h"

#include "catalogue/ByteSearch.h"
#include "catalogue/CatalogueSchema.h"
#include "catalogue/Connection.h"
#include "catalogue/Recordset.h"
#include "catalogue/SearchCorpus.h"
#include "stores/SearchKey.h"
#include "stores/sqlite/SqliteStore.h"

#include <QRandomGenerator>
#include <QtTest>
#include <sqlite3.h>

using namespace TestSupport;

namespace {
const char *naiveFirst(const QByteArray &hay, const QByteArray &needle)
{
    const qsizetype at = hay.indexOf(needle);
    return at < 0 ? nullptr : hay.constData() + at;
}

const char *naiveLast(const QByteArray &hay, const QByteArray &needle)
{
    const qsizetype at = hay.lastIndexOf(needle);
    return at < 0 ? nullptr : hay.constData() + at;
}

}

class TestSearchCorpus : public QObject
{
    Q_OBJECT

private slots:
    void byteSearchAgreesWithAPlainSearchEverywhere()
    {
        // Few letters, so candidates that fail late are common; every needle length
        // across the vector widths; the needle planted at every place near both ends.
        QRandomGenerator random(7);
        for (int round = 0; round < 300; ++round) {
            QByteArray hay(int(random.bounded(1, 200)), 'a');
            for (char &c : hay)
                c = char('a' + random.bounded(3));
            const int size = int(random.bounded(1, 40));
            QByteArray needle(size, 'a');
            for (char &c : needle)
                c = char('a' + random.bounded(3));
            if (size <= hay.size() && random.bounded(2)) {
                const int at = int(random.bounded(hay.size() - size + 1));
                hay.replace(at, size, needle);
            }
            QCOMPARE(ByteSearch::first(hay.constData(), size_t(hay.size()), needle.constData(), size_t(size)),
                     naiveFirst(hay, needle));
            QCOMPARE(ByteSearch::last(hay.constData(), size_t(hay.size()), needle.constData(), size_t(size)),
                     naiveLast(hay, needle));
        }
    }

    // The short way for ASCII (every letter's edge, each length a vector loop
    // splits at) and the way round for the rest upper-case as Qt does.
    void upperCasesAsQtDoes()
    {
        QByteArray everyAscii;
        for (int c = 1; c < 128; ++c)
            everyAscii += char(c);
        const QList<QByteArray> texts{everyAscii,
                                      everyAscii.repeated(3).mid(5),
                                      "`az{@AZ[",
                                      "abc",
                                      "",
                                      "Straße am Ölberg",
                                      "abcdefghijklmnopq\xc3\xa9",
                                      "\xc3\xa9abcdefghijklmnopqrstuvwxyz0123456789abcdefghijklmnop",
                                      "ǆ ſ ﬀ ı i"};
        for (const QByteArray &text : texts) {
            std::string upper = "kept ";
            SearchKey::appendUpper(upper, text.constData(), int(text.size()));
            QCOMPARE(QByteArray::fromStdString(upper), "kept " + QString::fromUtf8(text).toUpper().toUtf8());
        }
    }

    void matchesNeverRunAcrossFieldsOrRecords()
    {
        SearchCorpus text;
        const SearchCorpus::Span a = text.append(std::vector<QVariant>{"ab", "cd", QVariant()});
        const SearchCorpus::Span b = text.append(std::vector<QVariant>{"ef", QVariant("Straße")});
        QVERIFY(SearchCorpus::followsDirectly(a, b));
        QVERIFY(text.contains(a, "AB"));
        QVERIFY(!text.contains(a, "BC")); // across a field
        QCOMPARE(text.findFirst(a.chunk, a.offset, b.offset + b.length, "DE"), -1); // across records
        QVERIFY(text.contains(b, SearchCorpus::needleFor("strasse")));
        QCOMPARE(text.findLast(a.chunk, a.offset, b.offset + b.length, "F"), qint64(b.offset) + 1);
    }

    void repeatedValuesAreHeldOnceAndStillFound()
    {
        // More repeated values than one and two bytes of number name, a field that
        // never repeats (given up after its trial), and one value in two fields.
        SearchCorpus text;
        std::vector<SearchCorpus::Span> spans;
        const int distinct = 1100, count = 3 * distinct;
        const auto value = [](int i) { return QStringLiteral("v<%1>").arg(i % distinct); };
        for (int i = 0; i < count; ++i)
            spans.push_back(text.append(
                std::vector<QVariant>{QStringLiteral("own<%1>").arg(i), value(i), QVariant(), "both", "both"}));
        for (int i = 0; i < count; ++i) {
            QVERIFY(text.contains(spans[size_t(i)], SearchCorpus::needleFor(value(i))));
            QVERIFY(!text.contains(spans[size_t(i)], SearchCorpus::needleFor(value(i + 1))));
            QVERIFY(text.contains(spans[size_t(i)], SearchCorpus::needleFor(QStringLiteral("own<%1>").arg(i))));
            QVERIFY(text.contains(spans[size_t(i)], "BOTH"));
            QVERIFY(!text.contains(spans[size_t(i)], "BOTHB") && !text.contains(spans[size_t(i)], "<BOTH"));
        }
        // Held once: the last record names its value and "both" in a few bytes.
        QVERIFY(spans.back().length < size_t(QStringLiteral("own<%1>").arg(count - 1).size()) + 8);
        // The walk's view: only the named values hold the needle, and only in their records.
        SearchCorpus::SharedMatches matches(text, SearchCorpus::needleFor(value(1050)));
        QVERIFY(matches.anyIn(0));
        QVERIFY(matches.holds(spans[1050 + distinct]) && !matches.holds(spans[1051 + distinct]));
        QVERIFY(!SearchCorpus::SharedMatches(text, "NOWHERE").anyIn(0));
    }

    void chunksAndJoinedHalvesKeepEverySpan()
    {
        // Records enough to fill more than one 16 MiB chunk in each of two texts,
        // the second joined onto the first as the background read joins its halves.
        SearchCorpus first, second;
        const QString long1(900, u'x');
        std::vector<SearchCorpus::Span> spans1, spans2;
        for (int i = 0; i < 40000; ++i) {
            spans1.push_back(first.append(std::vector<QVariant>{QString::number(i), long1}));
            spans2.push_back(second.append(std::vector<QVariant>{QString::number(100000 + i), long1}));
        }
        // The first record of the second chunk does not follow the last of the first.
        const auto second1 = std::find_if(spans1.begin(), spans1.end(), [](const auto &s) { return s.chunk == 1; });
        QVERIFY(second1 != spans1.end());
        QVERIFY(!SearchCorpus::followsDirectly(*(second1 - 1), *second1));
        QVERIFY(SearchCorpus::followsDirectly(*second1, *(second1 + 1)));
        const quint32 shift = first.adopt(std::move(second));
        for (int i : {0, int(second1 - spans1.begin()), 39999}) {
            QVERIFY(first.contains(spans1[size_t(i)], QByteArray::number(i)));
            SearchCorpus::Span moved = spans2[size_t(i)];
            moved.chunk += shift;
            QVERIFY(first.contains(moved, QByteArray::number(100000 + i)));
        }
    }

    void walksFindTheNearestRecordAcrossChunksHalvesAndThreads()
    {
        // About 38 MB of text: two chunks in each half of the read, walks long enough
        // for two threads, and backward walks far longer than their old 1 MiB blocks.
        CatalogueSandbox sandbox;
        const int count = 36000;
        const QString filler(1000, u'.');
        QList<Record> records;
        for (int n = 0; n < count; ++n) {
            records << record(QString::number(n + 1));
            records.last()[2] = filler;
        }
        // Needles at both ends, around the halves' split, a chunk's edge and the thread split.
        const QList<int> planted{0, 1, 16000, 16001, count / 2 - 1, count / 2, count / 2 + 1, 24000, count - 1};
        for (int n : planted) {
            records[n][3] = QStringLiteral("needle<%1>").arg(n);
            records[n][4] = QStringLiteral("shared by the planted"); // held once a chunk, named after
        }
        const QString location = writeCatalogue(sandbox.path("long.res"), records);
        Connection connection;
        connection.ConnectionString = location;
        Recordset rs(connection, QStringLiteral("Projects"), Recordset::ReadOnly, CatalogueSchema::fieldNames());
        QVERIFY(rs.setSort(QStringLiteral("JobNumber")));
        rs.enableSearch(CatalogueSchema::fieldNames());
        QVERIFY(rs.waitForSearchText());
        for (int n : planted) {
            const QByteArray mine = SearchCorpus::needleFor(QStringLiteral("needle<%1>").arg(n));
            QCOMPARE(rs.findForward(mine, 0), qint64(n));
            QCOMPARE(rs.findBackward(mine, count - 1), qint64(n));
            QCOMPARE(rs.findForward(mine, n + 1), qint64(-1));
            QCOMPARE(rs.findBackward(mine, n - 1), qint64(-1));
        }
        // Common needles, in each record's own text and in a value the planted
        // share: the nearest planted record in each direction, from everywhere.
        for (const char *common : {"needle", "by the plant"}) {
            const QByteArray any = SearchCorpus::needleFor(QString::fromLatin1(common));
            for (int from : {0, 2, 9000, 16001, count / 2, count / 2 + 2, 30000, count - 1}) {
                const auto next = std::find_if(planted.begin(), planted.end(), [from](int n) { return n >= from; });
                const auto previous =
                    std::find_if(planted.rbegin(), planted.rend(), [from](int n) { return n <= from; });
                QCOMPARE(rs.findForward(any, from), next == planted.end() ? -1 : qint64(*next));
                QCOMPARE(rs.findBackward(any, from), previous == planted.rend() ? -1 : qint64(*previous));
            }
        }
        QCOMPARE(rs.findForward("NO SUCH TEXT", 0), -1);
        QCOMPARE(rs.findBackward("NO SUCH TEXT", count - 1), -1);
    }

    // The background read files each record's text by its row id: in a table
    // where the ids lie close together, in a list where they lie far apart.
    void everyRecordIsFoundWhateverItsRowId_data()
    {
        QTest::addColumn<qint64>("idStep");
        QTest::newRow("ids close together, some gone") << qint64(1);
        QTest::newRow("ids far apart") << qint64(1000000007);
    }
    void everyRecordIsFoundWhateverItsRowId()
    {
        QFETCH(qint64, idStep);
        CatalogueSandbox sandbox;
        QList<Record> records;
        for (int n = 1; n < 300; ++n) {
            records << record(QString::number(n));
            records.last()[3] = QStringLiteral("client<%1>").arg(n);
        }
        const QString path = writeCatalogue(sandbox.path("ids.res"), records);
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        const QByteArray sql = "UPDATE Projects SET rowid = rowid * " + QByteArray::number(idStep)
            + " + 1000; DELETE FROM Projects WHERE CAST(JobNumber AS INTEGER) % 3 = 0;";
        const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        QCOMPARE(rc, SQLITE_OK);

        QString error;
        const auto store = SqliteStore::open(path, true, error);
        QVERIFY2(store, qPrintable(error));
        const std::atomic<bool> never{false};
        const qint64 firstId = idStep + 1000, lastId = 299 * idStep + 1000;
        const SearchCorpusBuild build = buildSearchCorpus(*store, QStringLiteral("Projects"),
                                                          CatalogueSchema::fieldNames(), {firstId, lastId, 200}, never);
        QVERIFY(build.complete);
        QCOMPARE(build.startById.empty(), idStep > 1); // each way is taken
        for (int n = 1; n < 300; ++n) {
            const SearchCorpus::Span span = build.spanOf(n * idStep + 1000);
            if (n % 3 == 0)
                QVERIFY(!span.isSet());
            else
                QVERIFY(build.text.contains(span, SearchCorpus::needleFor(QStringLiteral("client<%1>").arg(n))));
        }
        QVERIFY(!build.spanOf(firstId - 1).isSet() && !build.spanOf(lastId + 1).isSet());
    }
};

QTEST_GUILESS_MAIN(TestSearchCorpus)
#include "tst_searchcorpus.moc"
