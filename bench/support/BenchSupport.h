#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <vector>

// Shared by the benchmarks: realistic catalogues of any size (cached between
// runs), timing with medians, and the process's peak memory.
namespace BenchSupport {

// A catalogue of `records` realistic jobs under $MORVO_BENCH_DIR (default
// /tmp/morvo-bench), written once and reused.
QString catalogue(qint64 records);
// The same records as one CSV file, for comparing against command-line tools.
QString catalogueCsv(qint64 records);

struct Stats
{
    double median, min, max; // milliseconds
};
Stats measure(int runs, const std::function<void()> &work);
Stats summarize(std::vector<double> samples);
// Runs each size in a child process of its own, so that its peak memory is its
// own; with a size as the argument, runs just that size on the offscreen platform.
int runEachSize(int argc, char *argv[], std::initializer_list<qint64> sizes, int (*runOne)(qint64 records));
double millisecondsOf(const std::function<void()> &work);
double peakMemoryMb();
void printRow(const QString &what, const Stats &stats);
}
