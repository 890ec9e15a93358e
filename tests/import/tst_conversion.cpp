// Conversion into catalogues and CSV files: all or nothing, never over an
// existing file, byte for byte.
#include "JetTestData.h"

#include "CatalogueFiles.h"
#include "UnwritableFolder.h"
#include "import/CatalogueRecordSource.h"
#include "import/Conversion.h"
#include "import/CsvCatalogueWriter.h"
#include "import/CsvRecordSource.h"
#include "import/JetRecordSource.h"
#include "import/NewCatalogue.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace JetTestData;

namespace {
const std::atomic<bool> NotCancelled{false};

QList<ImportRecord> catalogueRecords(const QString &path)
{
    CatalogueRecordSource source(path);
    QList<ImportRecord> records;
    ImportRecord record;
    if (!source.open())
        return records;
    while (source.next(record))
        records << record;
    return records;
}

ConversionResult jetToNewCatalogue(const QString &original, const QString &folder)
{
    JetRecordSource source(original, jetReader(), jetReaderLimitsFor(QFileInfo(original).size()));
    auto writer = SqliteCatalogueWriter::newCatalogue(NewCatalogue::namesFor(original, folder));
    return convertRecords(source, *writer, NotCancelled);
}

ConversionResult copyRecords(RecordSource &source, CatalogueWriter &writer)
{
    return convertRecords(source, writer, NotCancelled);
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Awkward text: everything CSV, SQLite and the line endings of two systems could trip on.
QList<ImportRecord> awkwardRecords(int count)
{
    const QList<std::optional<QByteArray>> pieces{std::nullopt,
                                                  QByteArray(""),
                                                  QByteArray(","),
                                                  QByteArray("\""),
                                                  QByteArray("\"\""),
                                                  QByteArray("\r\n"),
                                                  QByteArray("\n"),
                                                  QByteArray("\r"),
                                                  QByteArray(" lead"),
                                                  QByteArray("trail "),
                                                  QByteArray("\t"),
                                                  QByteArray("a\0b", 3),
                                                  QByteArray("😀"),
                                                  QByteArray("\u2028"),
                                                  QByteArray("\u00A0"),
                                                  QByteArray("\uFEFFbom"),
                                                  QByteArray("C:\\CAD\\J1\\A.dwg"),
                                                  QByteArray("é—²üØ"),
                                                  QByteArray("=1+1"),
                                                  QByteArray("'quoted'")};
    QRandomGenerator random(20260101);
    QList<ImportRecord> records;
    for (int r = 0; r < count; ++r) {
        ImportRecord record;
        for (auto &field : record) {
            const int parts = random.bounded(4);
            field = pieces[random.bounded(pieces.size())];
            for (int p = 0; p < parts && field; ++p)
                *field += pieces[random.bounded(pieces.size())].value_or("x");
        }
        records << record;
    }
    return records;
}

// A source over records in memory.
class ListSource : public RecordSource
{
public:
    explicit ListSource(QList<ImportRecord> records) : records_(std::move(records)) {}
    bool open() override { return true; }
    bool next(ImportRecord &record) override
    {
        if (at_ == records_.size())
            return false;
        record = records_[at_++];
        return true;
    }
    qint64 expected(qint64) const override { return records_.size(); }

private:
    QList<ImportRecord> records_;
    qsizetype at_ = 0;
};

}

class TestConversion : public QObject
{
    Q_OBJECT

private slots:
    void convertsAWindowsCatalogueIntoANewCatalogueBesideIt()
    {
        QTemporaryDir dir;
        const QString original = copyInto(dir, "projects/jet4_v2000_projects_pwd_program.mdb");
        const QByteArray before = fileHash(original);
        const ConversionResult result = jetToNewCatalogue(original, dir.path());
        QVERIFY2(result.outcome == ConversionResult::Done, qPrintable(result.error));
        QCOMPARE(result.records, 7);
        QCOMPARE(result.target, dir.filePath("jet4_v2000_projects_pwd_program (converted).res"));
        compareRecords(catalogueRecords(result.target), madeProjectRows());
        QCOMPARE(fileHash(original), before);
        QCOMPARE(filesIn(dir.path()).size(), 2);
    }

    void neverReplacesAFile()
    {
        QTemporaryDir dir;
        const QString original = copyInto(dir, "projects/jet4_v2000_projects_nopwd.mdb");
        const QString taken = writeFile(dir.filePath("jet4_v2000_projects_nopwd (converted).res"), "someone's");
        const ConversionResult result = jetToNewCatalogue(original, dir.path());
        QVERIFY2(result.outcome == ConversionResult::Done, qPrintable(result.error));
        QCOMPARE(result.target, dir.filePath("jet4_v2000_projects_nopwd (converted 2).res"));
        QCOMPARE(readFile(taken), QByteArray("someone's"));
    }

    void aFailureOrACancelLeavesNothingBehind()
    {
        QTemporaryDir dir;
        const QString damaged = copyInto(dir, "damaged/zeroed_page2_jet4_V2000.mdb");
        const ConversionResult failed = jetToNewCatalogue(damaged, dir.path());
        QCOMPARE(failed.outcome, ConversionResult::Failed);
        QVERIFY2(failed.error.contains("damaged"), qPrintable(failed.error));

        std::atomic<bool> cancelled{false};
        ListSource source(awkwardRecords(5000));
        auto writer = SqliteCatalogueWriter::newCatalogue(NewCatalogue::namesFor(dir.filePath("big.csv"), dir.path()));
        const ConversionResult stopped = convertRecords(source, *writer, cancelled, [&](qint64 read, qint64 expected) {
            QCOMPARE(expected, 5000);
            if (read >= 2048)
                cancelled = true;
        });
        QCOMPARE(stopped.outcome, ConversionResult::Cancelled);
        QCOMPARE(filesIn(dir.path()), QStringList{"zeroed_page2_jet4_V2000.mdb"});
    }

    void goesToTheDataFolderWhenTheOriginalsFolderCannotBeWritten()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("office");
        QDir(dir.path()).mkpath("data");
        const QString original = dir.filePath("office/morvo.res");
        QFile::copy(dataFile("projects/jet4_v2000_projects_nopwd.mdb"), original);
        UnwritableFolder office(dir.filePath("office"));
        if (!office.made())
            QSKIP("no folder can be made unwritable here (immutable flag or permissions)");
        bool inDataFolder = false;
        const QString folder = NewCatalogue::folderFor(original, dir.filePath("data/MorvoII"), &inDataFolder);
        QVERIFY(inDataFolder);
        QCOMPARE(folder, dir.filePath("data/MorvoII"));
        const ConversionResult result = jetToNewCatalogue(original, folder);
        QCOMPARE(result.target, dir.filePath("data/MorvoII/morvo (converted).res"));
        QCOMPARE(catalogueRecords(result.target).size(), 7);

        bool besideIt = true;
        QCOMPARE(NewCatalogue::folderFor(dir.filePath("data/x.res"), "unused", &besideIt), dir.filePath("data"));
        QVERIFY(!besideIt);
    }

    void addsToAnExistingCatalogueInOneGo()
    {
        QTemporaryDir dir;
        const QString catalogue = TestSupport::writeCatalogue(dir.filePath("office.res"),
                                                              {TestSupport::record("1"), TestSupport::record("2")});
        const QString csv = writeFile(dir.filePath("more.csv"),
                                      "JobNumber,ProjectName,ProjectDescription,ClientName,"
                                      "County,Date,Drawing Number,Drawing Directory&Name\n"
                                      "3,Three,,,,,,\n4,Four,,,,,,\n5,Five,\"broken\n");
        CsvRecordSource broken(csv);
        QCOMPARE(copyRecords(broken, *SqliteCatalogueWriter::addTo(catalogue)).outcome, ConversionResult::Failed);
        QCOMPARE(TestSupport::jobNumbersInFile(catalogue), (QStringList{"1", "2"}));

        writeFile(csv, readFile(csv).replace("5,Five,\"broken\n", "5,Five,,,,,,\n"));
        CsvRecordSource sound(csv);
        const ConversionResult result = copyRecords(sound, *SqliteCatalogueWriter::addTo(catalogue));
        QVERIFY2(result.outcome == ConversionResult::Done, qPrintable(result.error));
        QCOMPARE(TestSupport::jobNumbersInFile(catalogue), (QStringList{"1", "2", "3", "4", "5"}));

        const QString letter = writeFile(dir.filePath("letter.res"), "Dear Sir");
        ListSource one(awkwardRecords(1));
        const ConversionResult refused = copyRecords(one, *SqliteCatalogueWriter::addTo(letter));
        QCOMPARE(refused.outcome, ConversionResult::Failed);
        QCOMPARE(readFile(letter), QByteArray("Dear Sir"));
    }

    void csvRoundTripsTheMadeCataloguesByteForByte()
    {
        QTemporaryDir dir;
        const QString original = copyInto(dir, "projects/jet4_v2003_projects_pwd_nonascii.mdb");
        JetRecordSource jet(original, jetReader(), jetReaderLimitsFor(QFileInfo(original).size()));
        CsvCatalogueWriter csv(dir.filePath("projects.csv"));
        QCOMPARE(copyRecords(jet, csv).outcome, ConversionResult::Done);
        const QByteArray bytes = readFile(dir.filePath("projects.csv"));
        QVERIFY(bytes.startsWith("\xEF\xBB\xBFJobNumber,ProjectName,ProjectDescription,ClientName,County,Date,"
                                 "Drawing Number,Drawing Directory&Name\r\n"));
        QVERIFY(bytes.contains("J1004,,\"Description with a line break\nsecond line\",,,,,\r\n"));
        QVERIFY(bytes.contains("J1005,\"\",\"\",\"Empty strings, not NULL\",\"\",\"\",D-000,\"\"\r\n"));

        CsvRecordSource back(dir.filePath("projects.csv"));
        auto writer =
            SqliteCatalogueWriter::newCatalogue(NewCatalogue::namesFor(dir.filePath("projects.csv"), dir.path()));
        const ConversionResult result = copyRecords(back, *writer);
        QVERIFY2(result.outcome == ConversionResult::Done, qPrintable(result.error));
        compareRecords(catalogueRecords(result.target), madeProjectRows());
    }

    void csvRoundTripsAwkwardTextByteForByte()
    {
        QTemporaryDir dir;
        const QList<ImportRecord> records = awkwardRecords(3000);
        ListSource memory(records);
        auto first = SqliteCatalogueWriter::newCatalogue([&](int a) { return a ? QString() : dir.filePath("a.res"); });
        QCOMPARE(copyRecords(memory, *first).outcome, ConversionResult::Done);

        CatalogueRecordSource catalogue(dir.filePath("a.res"));
        CsvCatalogueWriter exported(dir.filePath("a.csv"));
        QCOMPARE(copyRecords(catalogue, exported).outcome, ConversionResult::Done);

        CsvRecordSource csv(dir.filePath("a.csv"));
        auto second = SqliteCatalogueWriter::newCatalogue([&](int a) { return a ? QString() : dir.filePath("b.res"); });
        const ConversionResult imported = copyRecords(csv, *second);
        QVERIFY2(imported.outcome == ConversionResult::Done, qPrintable(imported.error));
        compareRecords(catalogueRecords(dir.filePath("b.res")), records);

        CatalogueRecordSource again(dir.filePath("b.res"));
        CsvCatalogueWriter reexported(dir.filePath("b.csv"));
        QCOMPARE(copyRecords(again, reexported).outcome, ConversionResult::Done);
        QCOMPARE(readFile(dir.filePath("b.csv")), readFile(dir.filePath("a.csv")));
    }

    void readingCsvNamesTheLineOfAMalformedRow_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("says");
        QTest::addColumn<int>("records");
        QTest::newRow("LF endings") << QByteArray("1,a,,,,,,\n2,b,,,,,,\n") << "" << 2;
        QTest::newRow("CR LF endings, no last one") << QByteArray("1,a,,,,,,\r\n2,b,,,,,,") << "" << 2;
        QTest::newRow("blank lines") << QByteArray("\r\n1,a,,,,,,\r\n\r\n") << "" << 1;
        QTest::newRow("too few fields") << QByteArray("1,a,,,,,,\n2,b,,,,,\n") << "line 3: the row has 7 fields" << 0;
        QTest::newRow("too many fields") << QByteArray("1,a,,,,,,,\n") << "line 2: the row has 9 fields" << 0;
        QTest::newRow("lines inside quotes count")
            << QByteArray("1,\"a\r\nb\nc\",,,,,,\n2,b\n") << "line 5: the row has 2 fields" << 0;
        QTest::newRow("quote never closed")
            << QByteArray("1,a,,,,,,\n2,\"open,,,,,,\n3,c,,,,,,\n") << "line 3: a quoted field is not closed" << 0;
        QTest::newRow("text after a quote")
            << QByteArray("1,\"a\"b,,,,,,\n") << "line 2: text follows the closing quote" << 0;
        QTest::newRow("quote inside a field") << QByteArray("1,a\"b,,,,,,\n") << "line 2: a quote stands inside" << 0;
        QTest::newRow("not UTF-8") << QByteArray("1,caf\xE9,,,,,,\n") << "line 2: the text is not UTF-8" << 0;
    }
    void readingCsvNamesTheLineOfAMalformedRow()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, says);
        QFETCH(int, records);
        QTemporaryDir dir;
        const QByteArray header = "JobNumber,ProjectName,ProjectDescription,ClientName,County,Date,Drawing Number,"
                                  "Drawing Directory&Name\n";
        CsvRecordSource source(writeFile(dir.filePath("in.csv"), header + body));
        auto writer = SqliteCatalogueWriter::newCatalogue([&](int a) { return a ? QString() : dir.filePath("o.res"); });
        const ConversionResult result = copyRecords(source, *writer);
        if (says.isEmpty()) {
            QVERIFY2(result.outcome == ConversionResult::Done, qPrintable(result.error));
            QCOMPARE(result.records, records);
        } else {
            QCOMPARE(result.outcome, ConversionResult::Failed);
            QVERIFY2(result.error.contains(says), qPrintable(result.error));
            QVERIFY(!QFile::exists(dir.filePath("o.res")));
        }
    }

    void aCsvHeaderMustNameEveryField()
    {
        QTemporaryDir dir;
        CsvRecordSource source(writeFile(dir.filePath("in.csv"),
                                         "\xEF\xBB\xBF"
                                         "JobNumber,ProjectName,Extra\n1,a,b\n"));
        QVERIFY(!source.open());
        QVERIFY2(source.error().contains("(line 1) has no field \"ProjectDescription\", \"ClientName\""),
                 qPrintable(source.error()));
    }
};

QTEST_GUILESS_MAIN(TestConversion)
#include "tst_conversion.moc"
