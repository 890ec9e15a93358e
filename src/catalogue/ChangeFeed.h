#pragma once

#include "catalogue/RowOrder.h"
#include "stores/CatalogueStore.h"

#include <functional>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The others' changes to one table of the catalogue a record set is open on,
// as it takes them in: the change
// cursor it has seen them up to, its own stores (already in its rows, so
// passed over), and the changes to the record on screen, held back while the
// user edits, stores or deletes it.
class ChangeFeed
{
public:
    using Row = RowOrder::Row;

    // The new versions of changed records, read one by one; nothing when the
    // catalogue could not be read.
    struct ChangedRows
    {
        std::unordered_set<qint64> ids;
        std::vector<Row> placed;
        std::optional<StoredRecord> held; // the record on screen as it is now
    };

    explicit ChangeFeed(const QString &table) : table_(table) {}

    // A fresh view read at this cursor: nothing is held back or owned any more.
    void startAt(qint64 cursor);
    qint64 cursor() const { return cursor_; }
    // Every change up to the cursor is in the rows.
    bool settled() const { return !due_ && deferred_.empty(); }
    // Changes to the record on screen wait to be taken in.
    bool holdsBack() const { return !deferred_.empty(); }
    bool due() const { return due_; }
    void setDue(bool due) { due_ = due; }

    void noteStored(qint64 id, qint64 version) { own_[id] = version; }
    void noteTakenOut(qint64 id) { own_[id] = TakenOut; }
    bool isHeldBack(qint64 id) const;

    // The changes since the cursor, the set's own passed over and the held
    // back ones added; the cursor moves past them. Nothing, with the error
    // empty, when the store keeps no log of changes.
    std::optional<std::vector<RecordChange>> take(CatalogueStore &store, QString &error);
    // Reads the new versions, holding back those of heldId when hold is set.
    std::optional<ChangedRows> read(CatalogueStore &store, const std::vector<RecordChange> &changes, qint64 heldId,
                                    bool hold, const std::function<Row(const StoredRecord &)> &rowOf);
    // Takes in the changes again from this cursor at the next look.
    void rewind(qint64 cursor) { cursor_ = cursor; }

private:
    static constexpr qint64 TakenOut = -1; // as the version: the set took the record out

    QString table_;
    qint64 cursor_ = 0;
    bool due_ = false; // the last look could not take in every change
    std::vector<qint64> deferred_;
    std::unordered_map<qint64, qint64> own_; // id, version
};
