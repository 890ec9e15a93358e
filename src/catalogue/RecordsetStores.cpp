// The record set's stores and deletes of the record on screen, and the
// user's decisions when someone else changed it meanwhile.
#include "catalogue/Recordset.h"

#include "catalogue/Connection.h"
#include "catalogue/LeadingNumber.h"

#include <algorithm>

bool Recordset::AddNew()
{
    // The new job number comes from the view before this look: whatever
    // others stored after that may clash with it.
    const qint64 since = changes_.cursor();
    if (!readyFor(true) || !storePending())
        return false;
    edit_.beginAdding(since);
    pos_ = qint64(order_.size());
    current_ = {};
    current_.values.assign(size_t(columns_.size()), QVariant());
    emit currentChanged();
    return true;
}

bool Recordset::Update()
{
    return readyFor(false, true) && storePending();
}

StoreRules Recordset::rules() const
{
    return {sortColumn_, edit_.since(), edit_.change()};
}

FieldValues Recordset::mine() const
{
    return edit_.over(current_.values, size_t(columns_.size()));
}

bool Recordset::storePending()
{
    if (!editPending())
        return true;
    if (lock_ == ReadOnly)
        return fail(QStringLiteral("The catalogue is open for reading only."));
    const std::map<int, QString> changes = edit_.changesOver(current_.values);
    if (!edit_.adding() && changes.empty()) {
        edit_.clear();
        return true;
    }
    if (edit_.adding())
        return handleStoreResult(store().insert(table_, changes, rules()), false);
    return handleStoreResult(store().update(table_, current_, changes, rules()), false);
}

// Shows what the catalogue now holds, or keeps the typed text and says why not.
bool Recordset::handleStoreResult(const StoreResult &result, bool deleting)
{
    switch (result.status) {
    case StoreStatus::Done:
        break;
    case StoreStatus::Failed:
        failure_ = {Conflict::Failed, deleting, mine(), {}, {}};
        return fail(result.error);
    case StoreStatus::Changed:
        failure_ = {Conflict::Changed, deleting, mine(), result.record.values, {}};
        return fail(QStringLiteral("Someone else changed this record in the catalogue \"%1\" since it was read.")
                        .arg(connection_.ConnectionString));
    case StoreStatus::Gone:
        if (deleting) {
            // Someone else deleted it already: what the user wanted has happened.
            removeCurrentRow();
            return true;
        }
        failure_ = {Conflict::Gone, deleting, mine(), {}, {}};
        return fail(QStringLiteral("The record is no longer in the catalogue \"%1\": someone else deleted it.")
                        .arg(connection_.ConnectionString));
    case StoreStatus::DuplicateJobNumber: {
        refresh(); // brings in the record that took the number
        const QString taken = edit_.typed(sortColumn_).value_or(QString());
        const QString last = order_.lastKey();
        failure_ = {Conflict::DuplicateJobNumber, false, mine(), {}, LeadingNumber::nextAfter(last)};
        return fail(QStringLiteral("The job number %1 was stored by someone else meanwhile.").arg(taken));
    }
    }
    if (deleting) {
        removeCurrentRow();
        return true;
    }
    const StoredRecord &stored = result.record;
    changes_.noteStored(stored.id, stored.version);
    const Row row = rowOf(stored);
    const bool atPosition =
        !edit_.adding() && pos_ >= 0 && pos_ < qint64(order_.size()) && order_.rows[size_t(pos_)].rowid == stored.id;
    if (atPosition && order_.sameKey(order_.rows[size_t(pos_)], row)) {
        order_.rows[size_t(pos_)] = row; // the sort key is unchanged: the record keeps its place
    } else {
        if (!edit_.adding()) {
            if (const auto index = atPosition ? std::optional<qint64>(pos_) : order_.indexOf(stored.id))
                order_.erase(*index);
        }
        pos_ = qint64(order_.insert(row));
    }
    edit_.clear();
    current_ = stored;
    emit recordStored(stored.id);
    emit currentChanged();
    return true;
}

void Recordset::removeCurrentRow()
{
    const qint64 rowid = current_.id;
    // The record on screen is at the cursor, unless a refresh moved things meanwhile.
    const bool atPosition = pos_ >= 0 && pos_ < qint64(order_.size()) && order_.rows[size_t(pos_)].rowid == rowid;
    if (const auto index = atPosition ? std::optional<qint64>(pos_) : order_.indexOf(rowid))
        order_.erase(*index);
    changes_.noteTakenOut(rowid);
    edit_.clear();
    current_ = {};
    emit recordDeleted(rowid);
}

bool Recordset::Delete()
{
    if (!readyFor(true, true))
        return false;
    if (edit_.adding()) {
        edit_.clear();
        return true;
    }
    if (!hasCurrent())
        return true;
    // A record nobody read since the move, changed by someone else since (even
    // deleted and stored anew under its id): the set never had that version.
    const qint64 rowid = order_.rows[size_t(pos_)].rowid;
    const bool changedUnread = current_.id != rowid && changes_.isHeldBack(rowid);
    if (!loadCurrent())
        return fail(unreadable_);
    if (changedUnread) {
        failure_ = {Conflict::Changed, true, mine(), current_.values, {}};
        return fail(QStringLiteral("Someone else changed this record in the catalogue \"%1\" since it was read.")
                        .arg(connection_.ConnectionString));
    }
    return handleStoreResult(store().remove(table_, current_, rules()), true);
}

bool Recordset::storeMineOverTheirs()
{
    if (failure_.conflict != Conflict::Changed || failure_.deleting)
        return false;
    // Their version becomes the one read: only a further change conflicts again.
    current_.values = failure_.theirs;
    return Update();
}

bool Recordset::deleteAnyway()
{
    if (failure_.conflict != Conflict::Changed || !failure_.deleting)
        return false;
    current_ = {};
    return loadCurrent() ? Delete() : fail(unreadable_);
}

bool Recordset::takeTheirs()
{
    const Conflict conflict = failure_.conflict;
    failure_ = {};
    error_.clear();
    const bool wasAdding = edit_.adding();
    edit_.clear();
    if (wasAdding) {
        pos_ = qint64(order_.size()) - 1;
    } else if (conflict == Conflict::Gone) {
        removeCurrentRow();
        pos_ = std::min<qint64>(pos_, qint64(order_.size()) - 1);
    }
    current_ = {};
    emit currentChanged();
    return refresh();
}

bool Recordset::storeAsNewRecord()
{
    if (failure_.conflict != Conflict::Gone)
        return false;
    const FieldValues values = failure_.mine;
    removeCurrentRow();
    // Its job number is checked against every record stored since the user's
    // edit began, not only since this choice: someone may have stored it anew.
    edit_.addAsNew(values);
    return Update();
}

bool Recordset::useFreeJobNumber()
{
    if (failure_.conflict != Conflict::DuplicateJobNumber || sortColumn_ < 0)
        return false;
    edit_.type(sortColumn_, failure_.freeJobNumber, changes_.cursor());
    return Update();
}
