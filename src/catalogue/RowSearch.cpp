#include "catalogue/RowSearch.h"

#include <algorithm>
#include <thread>

// The walks scan whole runs of records that lie one after another in the
// search text with one search each; records apart from any run (edited or
// added since the open) are runs of one.
size_t RowSearch::runEnd(size_t first) const
{
    size_t last = first;
    while (last + 1 < rows_.size() && SearchCorpus::followsDirectly(rows_[last].search, rows_[last + 1].search))
        ++last;
    return last;
}

size_t RowSearch::runStart(size_t last) const
{
    size_t first = last;
    while (first > 0 && SearchCorpus::followsDirectly(rows_[first - 1].search, rows_[first].search))
        --first;
    return first;
}

// The record of a run [first, last] whose text holds the byte at offset.
size_t RowSearch::rowAtOffset(size_t first, size_t last, qint64 offset) const
{
    auto begin = rows_.begin() + qsizetype(first), end = rows_.begin() + qsizetype(last) + 1;
    auto after = std::upper_bound(begin, end, offset,
                                  [](qint64 at, const RowOrder::Row &row) { return at < qint64(row.search.offset); });
    return size_t(after - rows_.begin()) - 1;
}

// The nearest record of rows [lo, hi) in the walk's direction whose text holds
// the needle; -1 when there is none, or when stop was raised.
qint64 RowSearch::scanRange(size_t lo, size_t hi, const QByteArray &needle, bool forward,
                            const std::atomic<bool> &stop) const
{
    // A run's own text is searched in one go; the values its records share
    // are checked record by record up to that hit, where any of them match.
    SearchCorpus::SharedMatches shared(corpus_, needle);
    if (forward) {
        for (size_t i = lo; i < hi && !stop.load(std::memory_order_relaxed);) {
            const size_t last = std::min(runEnd(i), hi - 1);
            const SearchCorpus::Span &a = rows_[i].search, &b = rows_[last].search;
            if (!a.isSet()) { // no text to search: its record could not be read
                i = last + 1;
                continue;
            }
            const qint64 hit = corpus_.findFirst(a.chunk, a.offset, b.offset + b.length, needle);
            const size_t hitRow = hit >= 0 ? rowAtOffset(i, last, hit) : last + 1;
            if (shared.anyIn(a.chunk))
                for (size_t j = i; j < hitRow; ++j)
                    if (shared.holds(rows_[j].search))
                        return qint64(j);
            if (hit >= 0)
                return qint64(hitRow);
            i = last + 1;
        }
        return -1;
    }
    for (size_t i = hi; i > lo && !stop.load(std::memory_order_relaxed);) {
        const size_t first = std::max(runStart(i - 1), lo);
        const SearchCorpus::Span &a = rows_[first].search, &b = rows_[i - 1].search;
        if (!a.isSet()) {
            i = first;
            continue;
        }
        const qint64 hit = corpus_.findLast(a.chunk, a.offset, b.offset + b.length, needle);
        const size_t afterHit = hit >= 0 ? rowAtOffset(first, i - 1, hit) + 1 : first;
        if (shared.anyIn(a.chunk))
            for (size_t j = i; j > afterHit; --j)
                if (shared.holds(rows_[j - 1].search))
                    return qint64(j - 1);
        if (hit >= 0)
            return qint64(afterHit - 1);
        i = first;
    }
    return -1;
}

// Rows [lo, hi) are split between two threads; the half nearer the start
// record decides when it has a match, and the other half then stops.
qint64 RowSearch::walk(const QByteArray &needle, size_t lo, size_t hi, bool forward) const
{
    if (lo >= hi)
        return -1;
    const std::atomic<bool> never{false};
    constexpr size_t RowsWorthAThread = 20000;
    if (hi - lo < RowsWorthAThread)
        return scanRange(lo, hi, needle, forward, never);
    const size_t middle = lo + (hi - lo) / 2;
    std::atomic<bool> stopFar{false};
    qint64 far = -1;
    std::thread farThread([&] {
        far = forward ? scanRange(middle, hi, needle, true, stopFar) : scanRange(lo, middle, needle, false, stopFar);
    });
    const qint64 near =
        forward ? scanRange(lo, middle, needle, true, never) : scanRange(middle, hi, needle, false, never);
    if (near >= 0)
        stopFar = true;
    farThread.join();
    return near >= 0 ? near : far;
}
