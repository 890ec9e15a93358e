// Converting a Windows catalogue end to end: the Jet reader process, the
// frames, and the new SQLite catalogue (synced and renamed), on a Jet 4
// Projects file of 100 000 records; then exporting that catalogue as CSV and
// importing the CSV again.
//   bench_jetimport [RECORDS] [RUNS]
// The Jet file is made once under $MORVO_BENCH_DIR (default /tmp/morvo-bench)
// by appending the benchmark catalogue's records to the made Jet 4 sample.
#include "BenchSupport.h"
#include "JetAppend.h"

#include "import/CatalogueRecordSource.h"
#include "import/Conversion.h"
#include "import/CsvCatalogueWriter.h"
#include "import/CsvRecordSource.h"
#include "import/JetRecordSource.h"
#include "import/SqliteCatalogueWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

using namespace BenchSupport;

namespace {
const std::atomic<bool> NotCancelled{false};

QString benchFolder()
{
    const QString dir = qEnvironmentVariable("MORVO_BENCH_DIR", QStringLiteral("/tmp/morvo-bench"));
    QDir().mkpath(dir);
    return dir;
}

// The benchmark catalogue's records with Windows drawing paths, in a Jet 4 file.
QString jetCatalogue(qint64 records)
{
    const QString path = benchFolder() + QStringLiteral("/projects-%1.mdb").arg(records);
    if (QFileInfo::exists(path))
        return path;
    QList<ImportRecord> rows;
    CatalogueRecordSource source(catalogue(records));
    ImportRecord record;
    if (!source.open())
        qFatal("%s", qPrintable(source.error()));
    while (source.next(record)) {
        QByteArray &drawing = *record.back();
        drawing.replace("/srv/drawings/", "P:\\Drawings\\").replace('/', '\\');
        rows << record;
    }
    std::fprintf(stderr, "appending %lld records to a copy of the Jet 4 sample in %s ...\n", records, qPrintable(path));
    const QString partial = path + QStringLiteral(".partial");
    QFile::remove(partial);
    QFile::copy(QStringLiteral(MORVO_JET_SAMPLE), partial);
    QFile::setPermissions(partial, QFile::ReadOwner | QFile::WriteOwner);
    std::string why;
    const bool made = JetAppend::appendRows(
        QFile::encodeName(partial).toStdString(), "Projects", long(rows.size()),
        [&rows](long i) {
            JetAppend::Row row;
            for (const auto &field : rows[i])
                row.push_back(field ? std::optional(field->toStdString()) : std::nullopt);
            return row;
        },
        &why);
    if (!made)
        qFatal("cannot make the Jet file: %s", why.c_str());
    QFile::rename(partial, path);
    return path;
}

struct Timed
{
    double ms = 0;
    qint64 records = 0;
};

Timed timedCopy(RecordSource &source, CatalogueWriter &writer)
{
    ConversionResult result;
    const double ms = millisecondsOf([&] { result = convertRecords(source, writer, NotCancelled); });
    if (result.outcome != ConversionResult::Done)
        qFatal("%s", qPrintable(result.error));
    return {ms, result.records};
}

void report(const char *what, const std::vector<Timed> &runs)
{
    std::vector<double> ms;
    for (const Timed &run : runs)
        ms.push_back(run.ms);
    const Stats stats = summarize(ms);
    printRow(QString::fromLatin1(what), stats);
    std::printf("  %-46s %.0f records/s (median), %lld records\n", "",
                double(runs.front().records) * 1000.0 / stats.median, runs.front().records);
    std::fflush(stdout);
}
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const qint64 records = argc > 1 ? QString::fromLocal8Bit(argv[1]).toLongLong() : 100000;
    const int runs = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 5;
    const QString jet = jetCatalogue(records);
    const QString work = benchFolder() + QStringLiteral("/jetimport");
    QDir(work).removeRecursively();
    QDir().mkpath(work);
    std::printf("Jet 4 file: %s (%.1f MB), reader %s\n", qPrintable(jet), double(QFileInfo(jet).size()) / 1e6,
                MORVO_JETREADER);

    std::vector<Timed> convert, exportCsv, importCsv;
    for (int run = 0; run < runs; ++run) {
        const QString catalogueFile = work + QStringLiteral("/converted.res");
        const QString csv = work + QStringLiteral("/exported.csv");
        const QString again = work + QStringLiteral("/again.res");
        for (const QString &file : {catalogueFile, csv, again})
            QFile::remove(file);
        JetRecordSource jetSource(jet, QStringLiteral(MORVO_JETREADER), jetReaderLimitsFor(QFileInfo(jet).size()));
        auto writer = SqliteCatalogueWriter::newCatalogue([&](int a) { return a ? QString() : catalogueFile; });
        convert.push_back(timedCopy(jetSource, *writer));

        CatalogueRecordSource converted(catalogueFile);
        CsvCatalogueWriter csvWriter(csv);
        exportCsv.push_back(timedCopy(converted, csvWriter));

        CsvRecordSource csvSource(csv);
        auto back = SqliteCatalogueWriter::newCatalogue([&](int a) { return a ? QString() : again; });
        importCsv.push_back(timedCopy(csvSource, *back));
    }
    report("Jet 4 -> new catalogue (reader process included)", convert);
    report("catalogue -> CSV", exportCsv);
    report("CSV -> new catalogue", importCsv);
    return 0;
}
