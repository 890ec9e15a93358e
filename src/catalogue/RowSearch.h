#pragma once

#include "catalogue/RowOrder.h"
#include "catalogue/SearchCorpus.h"

#include <QByteArray>
#include <atomic>

// A walk for a text over a record set's rows and the search corpus they point
// into; it owns neither. Large ranges fork onto a second thread, which joins
// before the walk returns. Every row must have its text (Span set) or be
// passed by: a row whose record could not be read has none.
class RowSearch
{
public:
    RowSearch(const RowOrder::Rows &rows, const SearchCorpus &corpus) : rows_(rows), corpus_(corpus) {}

    // The nearest row of [lo, hi) in the walk's direction whose text holds the
    // needle (upper case, UTF-8); -1 when there is none.
    qint64 walk(const QByteArray &needle, size_t lo, size_t hi, bool forward) const;

private:
    qint64 scanRange(size_t lo, size_t hi, const QByteArray &needle, bool forward, const std::atomic<bool> &stop) const;
    size_t runEnd(size_t first) const;
    size_t runStart(size_t last) const;
    size_t rowAtOffset(size_t first, size_t last, qint64 offset) const;

    const RowOrder::Rows &rows_;
    const SearchCorpus &corpus_;
};
