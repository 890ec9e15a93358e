// The search side of the record set: the upper-cased text of the records,
// read in the background after every open, and the walks over it.
#include "catalogue/Recordset.h"

#include "catalogue/Connection.h"

#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

void Recordset::startPendingSearchBuild()
{
    if (searchBuildPending_)
        startSearchBuild();
}

void Recordset::enableSearch(const QStringList &fields)
{
    searchFields_ = fields;
    if (open_)
        startSearchBuild();
}

void Recordset::stopSearchBuild()
{
    if (buildCancelled_)
        buildCancelled_->store(true);
    build_.waitForFinished();
    build_ = {};
    buildCancelled_.reset();
}

void Recordset::startSearchBuild()
{
    stopSearchBuild();
    searchBuildPending_ = false;
    // A server walks for a text itself; its catalogue is never read whole.
    if (searchFields_.isEmpty() || store().searchesItself())
        return;
    std::vector<qint64> rowids(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i)
        rowids[i] = rows_[i].rowid;
    buildCancelled_ = std::make_shared<std::atomic<bool>>(false);
    build_ = QtConcurrent::run([&store = store(), table = table_, fields = searchFields_, rowids = std::move(rowids),
                                cancelled = buildCancelled_]() mutable {
        return std::make_shared<SearchTextBuild>(buildSearchText(store, table, fields, std::move(rowids), *cancelled));
    });
}

bool Recordset::waitForSearchText()
{
    if (open_ && store().searchesItself())
        return true;
    startPendingSearchBuild();
    if (!build_.isValid())
        return false;
    build_.waitForFinished();
    const std::shared_ptr<SearchTextBuild> result = build_.result();
    build_ = {};
    // Records stored, added or changed by others since the build began carry
    // a text of their own already; the build fills in only the others.
    const quint32 shift = searchText_.adopt(std::move(result->text));
    const auto &spans = result->spans;
    for (Row &row : rows_) {
        if (row.search.isSet())
            continue;
        const auto at = std::lower_bound(spans.begin(), spans.end(), row.rowid,
                                         [](const auto &entry, qint64 id) { return entry.first < id; });
        if (at != spans.end() && at->first == row.rowid) {
            row.search = at->second;
            row.search.chunk += shift;
        }
    }
    return result->complete;
}

SearchText::Span Recordset::searchSpanFor(const FieldValues &values)
{
    if (searchFields_.isEmpty())
        return {};
    std::vector<QVariant> fields;
    for (const QString &field : searchFields_) {
        const int column = columnIndex(field);
        fields.push_back(column < 0 ? QVariant() : values[size_t(column)]);
    }
    return searchText_.append(fields);
}

bool Recordset::matchesAt(size_t index, const QByteArray &needle)
{
    if (!rows_[index].search.isSet()) {
        // Text not read yet (the background read failed): read this record now.
        QString error;
        if (const std::optional<StoredRecord> record = store().read(table_, rows_[index].rowid, error))
            rows_[index].search = searchSpanFor(record->values);
    }
    return searchText_.contains(rows_[index].search, needle);
}

// The walks scan whole runs of records that lie one after another in the
// search text with one search each, and test records apart from any run
// (edited or added since the open) one by one.
size_t Recordset::runEnd(size_t first) const
{
    size_t last = first;
    while (last + 1 < rows_.size() && SearchText::followsDirectly(rows_[last].search, rows_[last + 1].search))
        ++last;
    return last;
}

size_t Recordset::runStart(size_t last) const
{
    size_t first = last;
    while (first > 0 && SearchText::followsDirectly(rows_[first - 1].search, rows_[first].search))
        --first;
    return first;
}

// The record of a run [first, last] whose text holds the byte at offset.
size_t Recordset::rowAtOffset(size_t first, size_t last, qint64 offset) const
{
    auto begin = rows_.begin() + qsizetype(first), end = rows_.begin() + qsizetype(last) + 1;
    auto after =
        std::upper_bound(begin, end, offset, [](qint64 at, const Row &row) { return at < qint64(row.search.offset); });
    return size_t(after - rows_.begin()) - 1;
}

// The server's answer, as an index into the set (which catches up with a
// record it has not seen yet).
qint64 Recordset::findOnServer(const QByteArray &needle, qint64 fromIndex, bool forward)
{
    if (fromIndex < 0 || fromIndex >= qint64(rows_.size()))
        return -1;
    const Row &from = rows_[size_t(fromIndex)];
    const CatalogueStore::SortPlace place{QByteArray(keyText_.data() + from.keyOffset, qsizetype(from.keyLength)),
                                          from.rowid};
    QString error;
    const std::optional<qint64> id = store().findFrom(table_, sortColumn_, place, forward, needle, error);
    if (!id) {
        if (!error.isEmpty())
            fail(error);
        return -1;
    }
    std::optional<qint64> index = indexOfRow(*id);
    if (!index && refresh())
        index = indexOfRow(*id);
    return index.value_or(-1);
}

qint64 Recordset::findForward(const QByteArray &needle, qint64 fromIndex)
{
    if (!ensureOpen())
        return -1;
    refresh();
    if (store().searchesItself())
        return findOnServer(needle, std::max<qint64>(fromIndex, 0), true);
    waitForSearchText();
    for (size_t i = size_t(std::max<qint64>(fromIndex, 0)); i < rows_.size();) {
        if (!rows_[i].search.isSet()) {
            if (matchesAt(i, needle))
                return qint64(i);
            ++i;
            continue;
        }
        const size_t last = runEnd(i);
        const SearchText::Span &a = rows_[i].search, &b = rows_[last].search;
        const qint64 hit = searchText_.findFirst(a.chunk, a.offset, b.offset + b.length, needle);
        if (hit >= 0)
            return qint64(rowAtOffset(i, last, hit));
        i = last + 1;
    }
    return -1;
}

qint64 Recordset::findBackward(const QByteArray &needle, qint64 fromIndex)
{
    if (!ensureOpen())
        return -1;
    refresh();
    if (store().searchesItself())
        return findOnServer(needle, std::min<qint64>(fromIndex, qint64(rows_.size()) - 1), false);
    waitForSearchText();
    // Backward runs are scanned in blocks from their end, so that a match near
    // the start record is found without scanning the whole run.
    constexpr quint32 BlockBytes = 1u << 20;
    for (qint64 i = std::min<qint64>(fromIndex, qint64(rows_.size()) - 1); i >= 0;) {
        if (!rows_[size_t(i)].search.isSet()) {
            if (matchesAt(size_t(i), needle))
                return i;
            --i;
            continue;
        }
        const size_t first = runStart(size_t(i));
        for (qint64 blockEnd = i; blockEnd >= qint64(first);) {
            const SearchText::Span &b = rows_[size_t(blockEnd)].search;
            qint64 blockStart = blockEnd;
            while (blockStart > qint64(first)
                   && b.offset + b.length - rows_[size_t(blockStart) - 1].search.offset <= BlockBytes)
                --blockStart;
            const SearchText::Span &a = rows_[size_t(blockStart)].search;
            const qint64 hit = searchText_.findLast(a.chunk, a.offset, b.offset + b.length, needle);
            if (hit >= 0)
                return qint64(rowAtOffset(size_t(blockStart), size_t(blockEnd), hit));
            blockEnd = blockStart - 1;
        }
        i = qint64(first) - 1;
    }
    return -1;
}
