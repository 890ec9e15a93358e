#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
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
// Makes a copy of that catalogue in `folder` the catalogue in use, with the
// program, its settings and the user's data folder all in `folder` (never the
// user's own); returns the copy. Not named as the program's example, which
// start-up would replace with the user's copy of it.
QString useCatalogueCopy(const QString &folder, qint64 records);

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

// The longest time the window's event loop went without running, while it lives.
class StallMeter : public QObject
{
public:
    StallMeter()
    {
        clock_.start();
        timer_.setInterval(1);
        connect(&timer_, &QTimer::timeout, this, [this] { longest_ = std::max(longest_, clock_.restart()); });
        timer_.start();
    }
    qint64 longest() const { return longest_; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};
}
