// The record set following the others' changes: a look at the change log
// before every operation and on a timer, the changed records put in place.
#include "catalogue/Recordset.h"

#include <QTimer>
#include <algorithm>

void Recordset::enableLiveView(int intervalMs)
{
    if (!liveTimer_) {
        liveTimer_ = new QTimer(this);
        connect(liveTimer_, &QTimer::timeout, this, [this] {
            if (open_)
                refresh();
        });
    }
    liveTimer_->start(intervalMs);
}

bool Recordset::refresh()
{
    if (!open_ || !(changes_.due() || store().mayHaveChanged()))
        return true;
    // Another program in the middle of a store holds the file for a moment:
    // look again later rather than hold up the window.
    store().setLockWait(CatalogueStore::BackgroundLockWaitMs);
    const bool caughtUp = catchUp();
    store().setLockWait(CatalogueStore::UserLockWaitMs);
    changes_.setDue(!caughtUp || changes_.holdsBack());
    return caughtUp;
}

bool Recordset::catchUp()
{
    const qint64 before = changes_.cursor();
    QString error;
    const std::optional<std::vector<RecordChange>> changes = changes_.take(store(), error);
    if (!changes)
        return error.isEmpty() && rescanAll();
    if (changes->empty() || applyChanges(*changes))
        return true;
    changes_.rewind(before); // try again at the next look
    return false;
}

// Takes the changed records out and puts their new versions back in their
// sorted places: a few one by one, many in one pass over the rows. The
// record being edited stays as read: its store will meet the change.
bool Recordset::applyChanges(const std::vector<RecordChange> &changes)
{
    const bool hadCurrent = hasCurrent() && !edit_.adding();
    const qint64 currentId = hadCurrent ? order_.rows[size_t(pos_)].rowid : -1;
    const bool holdCurrent = hadCurrent && (editPending() || holdCurrent_);
    std::optional<ChangeFeed::ChangedRows> changed = changes_.read(
        store(), changes, currentId, holdCurrent, [this](const StoredRecord &record) { return rowOf(record); });
    if (!changed)
        return false;
    order_.replace(changed->ids, std::move(changed->placed));
    const std::optional<StoredRecord> &currentNow = changed->held;

    if (edit_.adding()) {
        pos_ = qint64(order_.size());
        return true;
    }
    if (!hadCurrent)
        return true;
    if (const auto index = order_.indexOf(currentId)) {
        pos_ = *index;
        if (currentNow && currentNow->values != current_.values) {
            current_ = *currentNow;
            emit currentChanged();
        } else if (currentNow) {
            current_ = *currentNow;
        }
        return true;
    }
    // The record on screen was deleted by someone else: its neighbour takes its place.
    pos_ = std::min<qint64>(pos_, qint64(order_.size()) - 1);
    current_ = {};
    emit currentChanged();
    return true;
}

// Without a change log (a file this program may not change) the keys are read again.
bool Recordset::rescanAll()
{
    const qint64 currentId = hasCurrent() && !edit_.adding() ? order_.rows[size_t(pos_)].rowid : -1;
    stopSearchBuild();
    searchText_ = SearchCorpus();
    searchKeptCursor_ = -1;
    if (!scanRows())
        return false;
    const std::optional<qint64> index = currentId >= 0 ? order_.indexOf(currentId) : std::nullopt;
    pos_ = edit_.adding() ? qint64(order_.size()) : index.value_or(std::min<qint64>(pos_, qint64(order_.size()) - 1));
    if (!editPending())
        current_ = {};
    searchBuildPending_ = !searchFields_.isEmpty();
    startPendingSearchBuild();
    emit currentChanged();
    return true;
}
