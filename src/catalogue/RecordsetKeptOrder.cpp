// The record set's side of the kept order: read at an open in place of every
// key, and written when the catalogue closes.
#include "catalogue/Recordset.h"

#include "catalogue/Connection.h"
#include "catalogue/KeptOrder.h"

#include <algorithm>

bool Recordset::readKeptOrder()
{
    keptFile_ = sortColumn_ >= 0 ? KeptOrder::fileFor(store().location(), table_, sort_) : QString();
    keptStore_ = &store();
    keptCursor_ = -1;
    if (keptFile_.isEmpty())
        return false;
    const std::optional<KeptOrder::Stamp> stamp = KeptOrder::read(
        keptFile_, sizeof(Row),
        [this](const KeptOrder::Stamp &kept) { return store().historyHolds(table_, kept.cursor, kept.history); },
        [this](size_t count, size_t keyBytes) {
            order_.reserveRoom(count, keyBytes);
            return reinterpret_cast<char *>(order_.rows.flatOf(count));
        },
        order_.keyText);
    if (stamp && order_.holdsKeptRows() && takeInChangesSince(stamp->cursor)) {
        keptCursor_ = stamp->cursor;
        return true;
    }
    order_.clear();
    return false;
}

bool Recordset::takeInChangesSince(qint64 cursor)
{
    QString error;
    const std::optional<std::vector<RecordChange>> changes = store().changesSince(table_, cursor, error);
    // Each change costs a read of its record: past about one record in a
    // hundred, reading every key is the cheaper way.
    if (!changes || changes->size() > order_.size() / 100 + 100)
        return false;
    std::optional<ChangeFeed::ChangedRows> changed =
        changes_.read(store(), *changes, -1, false, [this](const StoredRecord &record) { return rowOf(record); });
    if (!changed)
        return false;
    order_.replace(changed->ids, std::move(changed->placed));
    changes_.startAt(cursor);
    return true;
}

// Written only when the rows hold every change up to the cursor (the set's
// own stores past it are taken in again harmlessly), and only when they hold
// more than the kept file already does.
void Recordset::keepOrder()
{
    if (!open_ || keptFile_.isEmpty() || !connection_.isOpen() || &store() != keptStore_ || !changes_.settled()
        || keptCursor_ == changes_.cursor())
        return;
    const QByteArray history = store().historyMark(table_, changes_.cursor());
    if (history.isEmpty())
        return;
    // Pieces of rows, their keys' offsets those of the keys written after
    // them, one after another: what updates left behind in the key text goes.
    constexpr size_t RowsAPiece = 32768;
    size_t next = 0, keyBytes = 0;
    std::vector<Row> piece;
    const auto rows = [&]() -> std::string_view {
        piece.clear();
        for (; next < order_.size() && piece.size() < RowsAPiece; ++next) {
            Row row = order_.rows[next];
            row.keyOffset = quint32(keyBytes);
            row.search = {};
            keyBytes += row.keyLength;
            piece.push_back(row);
        }
        return {reinterpret_cast<const char *>(piece.data()), piece.size() * sizeof(Row)};
    };
    size_t nextKey = 0;
    std::string keyPiece;
    const auto keys = [&]() -> std::string_view {
        keyPiece.clear();
        for (; nextKey < order_.size() && keyPiece.size() < RowsAPiece * 8; ++nextKey)
            keyPiece.append(order_.keyText, order_.rows[nextKey].keyOffset, order_.rows[nextKey].keyLength);
        return keyPiece;
    };
    if (KeptOrder::write(keptFile_, {history, changes_.cursor()}, sizeof(Row), rows, keys))
        keptCursor_ = changes_.cursor();
}
