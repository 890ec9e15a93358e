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
            rows_.reserve(withRoomToGrow(count));
            keyText_.reserve(withRoomToGrow(keyBytes));
            rows_.resize(count);
            return reinterpret_cast<char *>(rows_.data());
        },
        keyText_);
    if (stamp && keptRowsHold() && takeInChangesSince(stamp->cursor)) {
        keptCursor_ = stamp->cursor;
        return true;
    }
    rows_.clear();
    keyText_.clear();
    return false;
}

// Rows of another version of the order, or garbled past the checksum, are
// not used: each key lies in the text, and the rows are strictly in order.
bool Recordset::keptRowsHold()
{
    for (Row &row : rows_) {
        if (size_t(row.keyOffset) + row.keyLength > keyText_.size())
            return false;
        row.search = {}; // the text of this session is yet to be read
    }
    return std::adjacent_find(rows_.begin(), rows_.end(), [this](const Row &a, const Row &b) { return !rowLess(a, b); })
        == rows_.end();
}

bool Recordset::takeInChangesSince(qint64 cursor)
{
    QString error;
    const std::optional<std::vector<RecordChange>> changes = store().changesSince(table_, cursor, error);
    // Each change costs a read of its record: past about one record in a
    // hundred, reading every key is the cheaper way.
    if (!changes || changes->size() > rows_.size() / 100 + 100)
        return false;
    std::optional<ChangedRows> changed = readChanges(*changes, -1, false);
    if (!changed)
        return false;
    replaceRows(changed->ids, std::move(changed->placed));
    changeCursor_ = cursor;
    return true;
}

// Written only when the rows hold every change up to the cursor (the set's
// own stores past it are taken in again harmlessly), and only when they hold
// more than the kept file already does.
void Recordset::keepOrder()
{
    if (!open_ || keptFile_.isEmpty() || !connection_.isOpen() || &store() != keptStore_ || catchUpDue_
        || !deferred_.empty() || keptCursor_ == changeCursor_)
        return;
    const QByteArray history = store().historyMark(table_, changeCursor_);
    if (history.isEmpty())
        return;
    // Pieces of rows, their keys' offsets those of the keys written after
    // them, one after another: what updates left behind in keyText_ goes.
    constexpr size_t RowsAPiece = 32768;
    size_t next = 0, keyBytes = 0;
    std::vector<Row> piece;
    const auto rows = [&]() -> std::string_view {
        piece.clear();
        for (; next < rows_.size() && piece.size() < RowsAPiece; ++next) {
            Row row = rows_[next];
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
        for (; nextKey < rows_.size() && keyPiece.size() < RowsAPiece * 8; ++nextKey)
            keyPiece.append(keyText_, rows_[nextKey].keyOffset, rows_[nextKey].keyLength);
        return keyPiece;
    };
    if (KeptOrder::write(keptFile_, {history, changeCursor_}, sizeof(Row), rows, keys))
        keptCursor_ = changeCursor_;
}
