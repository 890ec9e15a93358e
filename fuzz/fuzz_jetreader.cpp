// Feeds arbitrary bytes, as a catalogue file, to the header check and to the
// Jet reader process (morvo-jetreader, built with the sanitizers too) through
// the program's own JetRecordSource. Whatever libmdb does with the file, the
// read must end within the reader's limit with records or a message: a
// parent left waiting, a fault of the parent, or a sanitizer report from the
// reader's own code is a finding (abort); libmdb's own faults are counted.
// Seeds in fuzz/seeds/fuzz_jetreader: the damaged samples and made Projects
// files of tests/data/jet. The reader reads the table whose name the file holds.
#include "import/CatalogueFile.h"
#include "import/JetRecordSource.h"
#include "import/JetVerdict.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr int LimitSeconds = 3;
constexpr qint64 GraceMs = 2000;

struct Table
{
    const char *name;
    QStringList fields;
};
const Table Tables[] = {
    {"Projects",
     {"JobNumber", "ProjectName", "ProjectDescription", "ClientName", "County", "Date", "Drawing Number",
      "Drawing Directory&Name"}},
    {"Carbon Data", {"ID", "Name", "Apparent Density", "Type"}},
    {"Table1", {"A", "B", "C", "G"}},
    {"MSP_PROJECTS", {"PROJ_ID", "PROJ_NAME", "PROJ_PROP_AUTHOR", "PROJ_OPT_CALC_ACT_COSTS"}},
};

struct Counts
{
    long runs = 0, notJet = 0, refusedByHeader = 0, read = 0, records = 0, damaged = 0, faults = 0, timeouts = 0,
         cutShort = 0;
} counts;

QTemporaryDir *work;

void printCounts()
{
    std::fprintf(stderr,
                 "fuzz_jetreader: %ld runs: %ld no Jet file, %ld refused by the header, %ld read (%ld records), "
                 "%ld damaged (%ld time-outs); %ld faults of libmdb in the reader (%ld reports cut short)\n",
                 counts.runs, counts.notJet, counts.refusedByHeader, counts.read, counts.records, counts.damaged,
                 counts.timeouts, counts.faults, counts.cutShort);
}

// A sanitizer report of the reader whose fault lies outside libmdb (in the
// reader's own code) is a finding; a fault inside libmdb is libmdb's.
void checkReaderReports()
{
    const QStringList reports = QDir(work->filePath("reports")).entryList(QDir::Files);
    for (const QString &name : reports) {
        QFile report(work->filePath("reports/" + name));
        report.open(QIODevice::ReadOnly);
        const QByteArray text = report.readAll();
        report.remove();
        const qsizetype summary = text.indexOf("SUMMARY:");
        if (summary < 0) {
            ++counts.cutShort; // the reader was stopped at its limit while it wrote the report
            continue;
        }
        const QByteArray where = text.mid(summary, text.indexOf('\n', summary) - summary);
        if (!where.contains("libmdb")) {
            std::fprintf(stderr, "%s\n", text.constData());
            std::abort();
        }
        ++counts.faults;
    }
}

// The table whose name the file holds (as Jet 3 or Jet 4 text), so that
// the reader goes on to its rows; the catalogue's table otherwise.
const Table &tableNamedIn(const QByteArray &bytes)
{
    for (const Table &table : Tables) {
        const QByteArray name(table.name);
        QByteArray unicode;
        for (const char c : name)
            unicode += QByteArray(1, c) + '\0';
        if (bytes.contains(name) || bytes.contains(unicode))
            return table;
    }
    return Tables[0];
}
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    work = new QTemporaryDir;
    QDir(work->path()).mkpath("reports");
    // The reader's own sanitizer reports go to files; leaks of libmdb are no finding.
    // Unsymbolized, a report is written at once; its summary still names the module at fault.
    const QByteArray options =
        "log_path=" + QFile::encodeName(work->filePath("reports/report")) + ":detect_leaks=0:symbolize=0";
    qputenv("ASAN_OPTIONS", options);
    qputenv("UBSAN_OPTIONS", options + ":print_stacktrace=1");
    std::atexit(printCounts);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ++counts.runs;
    const QString path = work->filePath("input.mdb");
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    const CatalogueFile inspected = inspectCatalogueFile(path);
    if (inspected.kind != CatalogueFile::Jet) {
        ++counts.notJet;
        return 0;
    }
    if (!judgeJetFile(path, inspected).convertible)
        ++counts.refusedByHeader; // read all the same: the reader must cope with anything

    const Table &table = tableNamedIn(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    QElapsedTimer timer;
    timer.start();
    JetRecordSource source(path, QStringLiteral(MORVO_JETREADER), {LimitSeconds, 0});
    source.setTable(QString::fromLatin1(table.name), table.fields);
    ImportRecord record;
    if (source.open()) {
        while (source.next(record))
            ++counts.records;
    }
    if (timer.elapsed() > LimitSeconds * 1000 + GraceMs) {
        std::fprintf(stderr, "the read took %lld ms, over its limit\n", timer.elapsed());
        std::abort();
    }
    const QString error = source.error();
    if (error.isEmpty())
        ++counts.read;
    else if (error.contains(QLatin1String("damaged"))) {
        ++counts.damaged;
        counts.timeouts += error.contains(QLatin1String("did not end within"));
    }
    checkReaderReports();
    return 0;
}
