#include "catalogue/ChangeFeed.h"

#include <algorithm>

void ChangeFeed::startAt(qint64 cursor)
{
    cursor_ = cursor;
    due_ = false;
    deferred_.clear();
    own_.clear();
}

bool ChangeFeed::isHeldBack(qint64 id) const
{
    return std::ranges::find(deferred_, id) != deferred_.end();
}

std::optional<std::vector<RecordChange>> ChangeFeed::take(CatalogueStore &store, QString &error)
{
    std::optional<std::vector<RecordChange>> changes = store.changesSince(table_, cursor_, error);
    if (!changes)
        return std::nullopt;
    // Our own stores are in the view already, and the records we took out are out.
    std::erase_if(*changes, [this](const RecordChange &change) {
        const auto own = own_.find(change.id);
        return own != own_.end() && (own->second == change.version || (own->second == TakenOut && change.gone));
    });
    own_.clear();
    // Changes held back from the record on screen are taken in once it is free.
    for (const qint64 id : std::exchange(deferred_, {}))
        changes->push_back({id, false, 0});
    return changes;
}

std::optional<ChangeFeed::ChangedRows> ChangeFeed::read(CatalogueStore &store, const std::vector<RecordChange> &changes,
                                                        qint64 heldId, bool hold,
                                                        const std::function<Row(const StoredRecord &)> &rowOf)
{
    ChangedRows changed;
    for (const RecordChange &change : changes) {
        if (change.id == heldId && hold) {
            deferred_.push_back(change.id);
            continue;
        }
        if (!changed.ids.insert(change.id).second || change.gone)
            continue;
        QString error;
        std::optional<StoredRecord> record = store.read(table_, change.id, error);
        if (!record) {
            if (!error.isEmpty())
                return std::nullopt;
            continue; // deleted again since
        }
        changed.placed.push_back(rowOf(*record));
        if (record->id == heldId)
            changed.held = std::move(record);
    }
    return changed;
}
