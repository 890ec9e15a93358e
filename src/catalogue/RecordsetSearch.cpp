// The search side of the record set: the upper-cased text of the records,
// read in the background after every open, and the walks over it.
#include "catalogue/Recordset.h"

#include "catalogue/Connection.h"
#include "catalogue/KeptSearchText.h"
#include "catalogue/RowSearch.h"
#include "program/WorkPool.h"

#include <QTimer>
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
    adoption_.reset();
    keyIndex_.waitForFinished();
    keyIndex_ = {};
    buildCancelled_.reset();
}

void Recordset::startKeyIndex()
{
    if (sortColumn_ < 0 || !buildCancelled_ || keyIndex_.isValid())
        return;
    keyIndex_ = QtConcurrent::run(workPool(),
                                  [&store = store(), table = table_, column = columns_[sortColumn_],
                                   cancelled = buildCancelled_] { store.indexKeys(table, column, *cancelled); });
}

void Recordset::startSearchBuild()
{
    stopSearchBuild();
    searchBuildPending_ = false;
    // A server walks for a text itself; its catalogue is never read whole.
    if (searchFields_.isEmpty() || store().searchesItself())
        return;
    RowIdRange ids{0, -1, qint64(order_.size())};
    if (!order_.empty()) {
        const auto [lowest, highest] = std::minmax_element(
            order_.rows.begin(), order_.rows.end(), [](const Row &a, const Row &b) { return a.rowid < b.rowid; });
        ids.first = lowest->rowid;
        ids.last = highest->rowid;
    }
    searchTextComplete_ = false;
    buildCancelled_ = std::make_shared<std::atomic<bool>>(false);
    build_ = QtConcurrent::run(
        workPool(),
        [&store = store(), table = table_, fields = searchFields_, ids, kept = keptSearchText(),
         cancelled = buildCancelled_]() mutable {
            if (!kept.file.isEmpty()) {
                if (std::optional<SearchCorpusBuild> read = KeptSearchText::read(kept.file, kept.stamp)) {
                    read->stale = std::move(kept.stale);
                    return std::make_shared<SearchCorpusBuild>(std::move(*read));
                }
            }
            return std::make_shared<SearchCorpusBuild>(buildSearchCorpus(store, table, fields, ids, *cancelled));
        });
    buildWatcher_.setFuture(build_);
}

// The kept search text the build may map instead of reading every record:
// trusted while the catalogue's history holds its stamp and few records
// changed since (those are read anew).
Recordset::KeptSearch Recordset::keptSearchText()
{
    KeptSearch kept;
    const QString file = KeptSearchText::fileFor(store().location(), table_, searchFields_);
    const std::optional<KeptFile::Stamp> stamp = KeptSearchText::stampOf(file);
    if (!stamp || !store().historyHolds(table_, stamp->cursor, stamp->history))
        return kept;
    qint64 cursor = stamp->cursor;
    QString error;
    const std::optional<std::vector<RecordChange>> changes = store().changesSince(table_, cursor, error);
    if (!changes || changes->size() > order_.size() / 100 + 100)
        return kept;
    for (const RecordChange &change : *changes)
        kept.stale.insert(change.id);
    kept.file = file;
    kept.stamp = *stamp;
    return kept;
}

// Written when the text holds every record as of the cursor, and holds more
// than the kept file already does.
void Recordset::keepSearchText()
{
    if (!open_ || !searchTextComplete_ || build_.isValid() || searchFields_.isEmpty() || !connection_.isOpen()
        || &store() != keptStore_ || !changes_.settled() || store().searchesItself())
        return;
    const qint64 cursor = changes_.cursor();
    const quint64 bytes = searchText_.byteCount();
    if (cursor == searchKeptCursor_ && bytes == searchKeptBytes_)
        return;
    std::vector<KeptSearchText::IdSpan> spans;
    spans.reserve(order_.size());
    quint64 live = 0;
    for (const Row &row : order_.rows) {
        if (!row.search.isSet())
            return;
        spans.push_back({row.rowid, row.search});
        live += row.search.length + 1;
    }
    // What updates left behind is carried along; past a quarter more, the
    // next session reads the catalogue anew instead.
    if (bytes > live + live / 4 + SearchCorpus::ChunkSize)
        return;
    std::sort(spans.begin(), spans.end(), [](const auto &a, const auto &b) { return a.id < b.id; });
    const QByteArray history = store().historyMark(table_, cursor);
    if (!history.isEmpty()
        && KeptSearchText::write(KeptSearchText::fileFor(store().location(), table_, searchFields_), {history, cursor},
                                 searchText_, spans)) {
        searchKeptCursor_ = cursor;
        searchKeptBytes_ = bytes;
    }
}

bool Recordset::isSearchTextReady()
{
    if (open_ && store().searchesItself())
        return true;
    startPendingSearchBuild();
    return !build_.isValid() && !adoption_;
}

bool Recordset::waitForSearchText()
{
    if (open_ && store().searchesItself())
        return true;
    startPendingSearchBuild();
    if (build_.isValid()) {
        build_.waitForFinished();
        beginAdoption();
    }
    if (adoption_)
        adoptRows(order_.size());
    return searchTextComplete_;
}

void Recordset::beginAdoption()
{
    const std::shared_ptr<SearchCorpusBuild> result = build_.result();
    build_ = {};
    adoption_ = Adoption{result, searchText_.adopt(std::move(result->text)), 0};
}

// Records stored, added or changed by others since the build began carry a
// text of their own already; the build fills in only the others.
bool Recordset::adoptRows(size_t count)
{
    Adoption &adoption = *adoption_;
    const size_t end = std::min(order_.size(), adoption.next + count);
    for (; adoption.next < end; ++adoption.next) {
        Row &row = order_.rows[adoption.next];
        if (!row.search.isSet())
            row.search = SearchCorpus::shifted(adoption.result->spanOf(row.rowid), adoption.shift);
    }
    if (adoption.next < order_.size())
        return false;
    searchTextComplete_ = adoption.result->complete;
    if (adoption.result->keptCursor >= 0) {
        searchKeptCursor_ = adoption.result->keptCursor;
        searchKeptBytes_ = searchText_.byteCount();
    }
    adoption_.reset();
    startKeyIndex();
    return true;
}

// Millions of rows take longer than a frame: a slice at a time, the window's
// events in between. A walk asked for meanwhile finishes the rest at once.
void Recordset::adoptSlice()
{
    constexpr size_t RowsPerSlice = 1u << 18;
    if (!adoption_)
        return;
    if (adoptRows(RowsPerSlice))
        emit searchTextReady();
    else
        QTimer::singleShot(0, this, [this] { adoptSlice(); });
}

SearchCorpus::Span Recordset::searchSpanFor(const FieldValues &values)
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
    if (!order_.rows[index].search.isSet()) {
        // Text not read yet (the background read failed): read this record now.
        QString error;
        if (const std::optional<StoredRecord> record = store().read(table_, order_.rows[index].rowid, error))
            order_.rows[index].search = searchSpanFor(record->values);
    }
    return searchText_.contains(order_.rows[index].search, needle);
}

// The server's answer, as an index into the set (which catches up with a
// record it has not seen yet).
qint64 Recordset::findOnServer(const QByteArray &needle, qint64 fromIndex, bool forward)
{
    if (fromIndex < 0 || fromIndex >= qint64(order_.size()))
        return -1;
    const Row &from = order_.rows[size_t(fromIndex)];
    const CatalogueStore::SortPlace place{QByteArray(order_.keyText.data() + from.keyOffset, qsizetype(from.keyLength)),
                                          from.rowid};
    QString error;
    const std::optional<qint64> id = store().findFrom(table_, sortColumn_, place, forward, needle, error);
    if (!id) {
        if (!error.isEmpty())
            fail(error);
        return -1;
    }
    std::optional<qint64> index = order_.indexOf(*id);
    if (!index && refresh())
        index = order_.indexOf(*id);
    return index.value_or(-1);
}

// Records whose text the background read missed are read now, here.
qint64 Recordset::walk(const QByteArray &needle, size_t lo, size_t hi, bool forward)
{
    for (size_t i = lo; i < hi; ++i) {
        if (!order_.rows[i].search.isSet())
            matchesAt(i, needle);
    }
    return RowSearch(order_.rows, searchText_).walk(needle, lo, hi, forward);
}

qint64 Recordset::findForward(const QByteArray &needle, qint64 fromIndex)
{
    if (!ensureOpen())
        return -1;
    refresh();
    if (store().searchesItself())
        return findOnServer(needle, std::max<qint64>(fromIndex, 0), true);
    waitForSearchText();
    return walk(needle, size_t(std::max<qint64>(fromIndex, 0)), order_.size(), true);
}

qint64 Recordset::findBackward(const QByteArray &needle, qint64 fromIndex)
{
    if (!ensureOpen())
        return -1;
    refresh();
    if (store().searchesItself())
        return findOnServer(needle, std::min<qint64>(fromIndex, qint64(order_.size()) - 1), false);
    waitForSearchText();
    return walk(needle, 0, size_t(std::clamp<qint64>(fromIndex + 1, 0, qint64(order_.size()))), false);
}
