#include "catalogue/Recordset.h"

#include "catalogue/Connection.h"
#include "catalogue/LeadingNumber.h"

#include <QTimer>
#include <algorithm>
#include <unordered_set>

Recordset::Recordset(Connection &connection, const QString &table, LockType lock, const QStringList &requiredFields)
    : connection_(connection), table_(table), lock_(lock), required_(requiredFields)
{
    // Taken in at once, so that a walk the window waited for answers at once.
    connect(&buildWatcher_, &QFutureWatcherBase::finished, this, [this] {
        if (build_.isValid() && build_.isFinished()) {
            waitForSearchText();
            emit searchTextReady();
        }
    });
}

Recordset::~Recordset()
{
    // The background work ends first: the key index it may be making holds the file.
    stopSearchBuild();
    keepOrder();
}

CatalogueStore &Recordset::store() const
{
    return connection_.store();
}

bool Recordset::fail(const QString &text) const
{
    error_ = text;
    return false;
}

bool Recordset::ensureOpen() const
{
    return open_ || const_cast<Recordset *>(this)->Open();
}

// Every operation starts from the catalogue as it is now, except the record
// on screen when it is stored or deleted: that acts on the version the user
// saw, and the store finds out whether it still is the one stored.
bool Recordset::readyFor(bool writing, bool onCurrent)
{
    if (!ensureOpen())
        return false;
    error_.clear();
    failure_ = {};
    if (writing && lock_ == ReadOnly)
        return fail(QStringLiteral("The catalogue is open for reading only."));
    // A view that cannot catch up now (the file busy) does so at the next look.
    holdCurrent_ = onCurrent;
    refresh();
    holdCurrent_ = false;
    return true;
}

int Recordset::columnIndex(const QString &field) const
{
    return int(columns_.indexOf(field));
}

QVariant Recordset::sortValueOf(const FieldValues &values) const
{
    return sortColumn_ >= 0 ? values[size_t(sortColumn_)] : QVariant();
}

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

bool Recordset::Open()
{
    stopSearchBuild();
    keepOrder();
    searchText_ = SearchCorpus();
    error_.clear();
    failure_ = {};
    open_ = false;
    order_.clear();
    pending_.clear();
    adding_ = false;
    current_ = {};
    unreadableId_ = -1;
    if (!connection_.isOpen() && !connection_.Open())
        return fail(connection_.lastError());

    const std::optional<QStringList> columns = store().columns(table_, error_);
    if (!columns)
        return false;
    columns_ = *columns;
    for (const QString &field : required_) {
        if (!columns_.contains(field))
            return fail(QStringLiteral("The table \"%1\" of the catalogue \"%2\" has no field \"%3\".")
                            .arg(table_, connection_.ConnectionString, field));
    }
    sortColumn_ = sort_.isEmpty() ? -1 : columnIndex(sort_);
    order_.setSorted(sortColumn_ >= 0);
    if (!sort_.isEmpty() && sortColumn_ < 0)
        return fail(QStringLiteral("The table \"%1\" of the catalogue \"%2\" has no field \"%3\" to sort by.")
                        .arg(table_, connection_.ConnectionString, sort_));
    // The cursor first: a change made while the keys are read shows at the next refresh.
    const qint64 cursor = store().changeCursor(table_);
    store().mayHaveChanged();
    if (!readKeptOrder()) {
        changeCursor_ = cursor;
        if (!scanRows())
            return false;
    }
    open_ = true;
    pos_ = 0;
    // The search text is read once the window is on screen, not before.
    searchBuildPending_ = !searchFields_.isEmpty();
    emit currentChanged();
    return true;
}

// Reads the row ids and sort keys of the whole table.
bool Recordset::scanRows()
{
    order_.clear();
    // Room made once: growing by doubling would hold both copies for a moment.
    constexpr qint64 LargestHint = 50'000'000, KeyBytesPerRow = 8;
    const qint64 hint = std::clamp<qint64>(store().sizeHint(table_), 0, LargestHint);
    order_.reserveRoom(size_t(hint), size_t(hint * KeyBytesPerRow));
    const bool scanned = store().scanKeys(
        table_, sortColumn_, [this](qint64 id, FieldBytes key) { order_.appendScanned(id, key); }, error_);
    if (!scanned) {
        order_.clear();
        return false;
    }
    order_.sortAll();
    return true;
}

QString Recordset::readOnlyReason() const
{
    return ensureOpen() ? store().readOnlyReason(table_) : QString();
}

bool Recordset::setSort(const QString &field)
{
    sort_ = field;
    return Open();
}

qint64 Recordset::RecordCount() const
{
    if (!ensureOpen())
        return 0;
    return qint64(order_.size()) + (adding_ ? 1 : 0);
}

bool Recordset::BOF() const
{
    return !ensureOpen() || RecordCount() == 0 || pos_ < 0;
}

bool Recordset::EOF_() const
{
    return !ensureOpen() || RecordCount() == 0 || pos_ >= RecordCount();
}

qint64 Recordset::AbsolutePosition() const
{
    if (BOF())
        return PosBOF;
    if (EOF_())
        return PosEOF;
    return pos_ + 1;
}

bool Recordset::hasCurrent() const
{
    return !BOF() && !EOF_();
}

bool Recordset::moveTo(qint64 index)
{
    if (!storePending())
        return false;
    const qint64 count = qint64(order_.size());
    pos_ = count == 0 ? 0 : std::clamp<qint64>(index, -1, count);
    current_ = {};
    unreadableId_ = -1;
    emit currentChanged();
    return true;
}

bool Recordset::MoveFirst()
{
    return readyFor(false) && moveTo(0);
}

bool Recordset::MoveLast()
{
    // The new record is stored first; the last record is then known.
    if (!readyFor(false) || !storePending())
        return false;
    return moveTo(qint64(order_.size()) - 1);
}

bool Recordset::MoveNext()
{
    if (!readyFor(false) || !storePending())
        return false;
    return EOF_() ? true : moveTo(pos_ + 1);
}

bool Recordset::MovePrevious()
{
    if (!readyFor(false) || !storePending())
        return false;
    return BOF() ? true : moveTo(pos_ - 1);
}

bool Recordset::setAbsolutePosition(qint64 position)
{
    if (!readyFor(false) || !storePending())
        return false;
    if (position < 1 || position > qint64(order_.size()))
        return fail(QStringLiteral("There is no record at position %1.").arg(position));
    return moveTo(position - 1);
}

bool Recordset::AddNew()
{
    // The new job number comes from the view before this look: whatever
    // others stored after that may clash with it.
    const qint64 since = changeCursor_;
    if (!readyFor(true) || !storePending())
        return false;
    adding_ = true;
    editSince_ = since;
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
    return {sortColumn_, editSince_};
}

// What the user would store: the record as read with the typed fields over it.
FieldValues Recordset::mineOver(const FieldValues &base) const
{
    FieldValues mine = base;
    mine.resize(size_t(columns_.size()));
    for (auto it = pending_.begin(); it != pending_.end(); ++it)
        mine[size_t(it.key())] = it.value();
    return mine;
}

bool Recordset::storePending()
{
    if (!editPending())
        return true;
    if (lock_ == ReadOnly)
        return fail(QStringLiteral("The catalogue is open for reading only."));
    std::map<int, QString> changes;
    for (auto it = pending_.begin(); it != pending_.end(); ++it) {
        // What the user did not change is never written back, not even unchanged.
        // A new record has no values read to compare with.
        if (adding_ || current_.values[size_t(it.key())].isNull()
            || current_.values[size_t(it.key())].toString() != it.value())
            changes.emplace(it.key(), it.value());
    }
    if (!adding_ && changes.empty()) {
        pending_.clear();
        return true;
    }
    if (adding_)
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
        failure_ = {Conflict::Failed, deleting, mineOver(current_.values), {}, {}};
        return fail(result.error);
    case StoreStatus::Changed:
        failure_ = {Conflict::Changed, deleting, mineOver(current_.values), result.record.values, {}};
        return fail(QStringLiteral("Someone else changed this record in the catalogue \"%1\" since it was read.")
                        .arg(connection_.ConnectionString));
    case StoreStatus::Gone:
        if (deleting) {
            // Someone else deleted it already: what the user wanted has happened.
            removeCurrentRow();
            return true;
        }
        failure_ = {Conflict::Gone, deleting, mineOver(current_.values), {}, {}};
        return fail(QStringLiteral("The record is no longer in the catalogue \"%1\": someone else deleted it.")
                        .arg(connection_.ConnectionString));
    case StoreStatus::DuplicateJobNumber: {
        refresh(); // brings in the record that took the number
        const QString taken = pending_.value(sortColumn_);
        const QString last = order_.lastKey();
        failure_ = {Conflict::DuplicateJobNumber, false, mineOver(current_.values), {}, LeadingNumber::nextAfter(last)};
        return fail(QStringLiteral("The job number %1 was stored by someone else meanwhile.").arg(taken));
    }
    }
    if (deleting) {
        removeCurrentRow();
        return true;
    }
    const StoredRecord &stored = result.record;
    ownStores_[stored.id] = stored.version;
    const Row row = order_.make(stored.id, sortValueOf(stored.values), searchSpanFor(stored.values));
    const bool atPosition =
        !adding_ && pos_ >= 0 && pos_ < qint64(order_.size()) && order_.rows[size_t(pos_)].rowid == stored.id;
    if (atPosition && order_.sameKey(order_.rows[size_t(pos_)], row)) {
        order_.rows[size_t(pos_)] = row; // the sort key is unchanged: the record keeps its place
    } else {
        if (!adding_) {
            if (const auto index = atPosition ? std::optional<qint64>(pos_) : order_.indexOf(stored.id))
                order_.erase(*index);
        }
        pos_ = qint64(order_.insert(row));
    }
    adding_ = false;
    pending_.clear();
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
    ownStores_[rowid] = TakenOut;
    pending_.clear();
    current_ = {};
    emit recordDeleted(rowid);
}

bool Recordset::Delete()
{
    if (!readyFor(true, true))
        return false;
    if (adding_) {
        adding_ = false;
        pending_.clear();
        return true;
    }
    if (!hasCurrent())
        return true;
    // A record nobody read since the move, changed by someone else since (even
    // deleted and stored anew under its id): the set never had that version.
    const qint64 rowid = order_.rows[size_t(pos_)].rowid;
    const bool changedUnread = current_.id != rowid && std::ranges::find(deferred_, rowid) != deferred_.end();
    if (!loadCurrent())
        return fail(unreadable_);
    if (changedUnread) {
        failure_ = {Conflict::Changed, true, mineOver(current_.values), current_.values, {}};
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
    pending_.clear();
    if (adding_) {
        adding_ = false;
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
    const FieldValues mine = failure_.mine;
    removeCurrentRow();
    // Its job number is checked against every record stored since the user's
    // edit began, not only since this choice: someone may have stored it anew.
    adding_ = true;
    for (size_t column = 0; column < mine.size(); ++column) {
        if (!mine[column].isNull())
            pending_.insert(int(column), mine[column].toString());
    }
    return Update();
}

bool Recordset::useFreeJobNumber()
{
    if (failure_.conflict != Conflict::DuplicateJobNumber || sortColumn_ < 0)
        return false;
    pending_.insert(sortColumn_, failure_.freeJobNumber);
    return Update();
}

bool Recordset::loadCurrent() const
{
    if (adding_ && pos_ == qint64(order_.size()))
        return true;
    const qint64 rowid = order_.rows[size_t(pos_)].rowid;
    if (current_.id == rowid)
        return true;
    if (unreadableId_ == rowid)
        return false;
    QString error;
    const std::optional<StoredRecord> record = store().read(table_, rowid, error);
    if (!record) {
        // Reported once; the boxes stay empty and nothing is stored over the record.
        unreadable_ = error.isEmpty()
            ? QStringLiteral("The record is no longer in the catalogue \"%1\": someone else deleted it.")
                  .arg(connection_.ConnectionString)
            : error;
        unreadableId_ = rowid;
        current_ = {};
        QTimer::singleShot(
            0, const_cast<Recordset *>(this),
            [self = const_cast<Recordset *>(this), reason = unreadable_] { emit self->recordUnreadable(reason); });
        return false;
    }
    current_ = *record;
    return true;
}

QVariant Recordset::value(const QString &field) const
{
    const int column = columnIndex(field);
    if (column < 0 || !hasCurrent())
        return QVariant();
    if (pending_.contains(column))
        return pending_.value(column);
    if (!loadCurrent())
        return QVariant();
    return current_.values[size_t(column)];
}

bool Recordset::setValue(const QString &field, const QString &text)
{
    const int column = columnIndex(field);
    if (column < 0)
        return fail(QStringLiteral("The table \"%1\" has no field \"%2\".").arg(table_, field));
    if (!hasCurrent())
        return fail(QStringLiteral("There is no current record."));
    if (!loadCurrent())
        return fail(unreadable_);
    if (!editPending())
        editSince_ = changeCursor_;
    pending_.insert(column, text);
    return true;
}

bool Recordset::refresh()
{
    if (!open_ || !(catchUpDue_ || store().mayHaveChanged()))
        return true;
    // Another program in the middle of a store holds the file for a moment:
    // look again later rather than hold up the window.
    store().setLockWait(CatalogueStore::BackgroundLockWaitMs);
    const bool caughtUp = catchUp();
    store().setLockWait(CatalogueStore::UserLockWaitMs);
    catchUpDue_ = !caughtUp || !deferred_.empty();
    return caughtUp;
}

bool Recordset::catchUp()
{
    const qint64 before = changeCursor_;
    QString error;
    std::optional<std::vector<RecordChange>> changes = store().changesSince(table_, changeCursor_, error);
    if (!changes)
        return error.isEmpty() && rescanAll();
    // Our own stores are in the view already, and the records we took out are out.
    std::erase_if(*changes, [this](const RecordChange &change) {
        const auto own = ownStores_.find(change.id);
        return own != ownStores_.end() && (own->second == change.version || (own->second == TakenOut && change.gone));
    });
    ownStores_.clear();
    // Changes held back from the record on screen are taken in once it is free.
    for (const qint64 id : std::exchange(deferred_, {}))
        changes->push_back({id, false, 0});
    if (changes->empty() || applyChanges(*changes))
        return true;
    changeCursor_ = before; // try again at the next look
    return false;
}

std::optional<Recordset::ChangedRows> Recordset::readChanges(const std::vector<RecordChange> &changes, qint64 currentId,
                                                             bool holdCurrent)
{
    ChangedRows changed;
    for (const RecordChange &change : changes) {
        if (change.id == currentId && holdCurrent) {
            deferred_.push_back(change.id);
            continue;
        }
        if (!changed.ids.insert(change.id).second || change.gone)
            continue;
        QString error;
        std::optional<StoredRecord> record = store().read(table_, change.id, error);
        if (!record) {
            if (!error.isEmpty())
                return std::nullopt;
            continue; // deleted again since
        }
        changed.placed.push_back(order_.make(record->id, sortValueOf(record->values), searchSpanFor(record->values)));
        if (record->id == currentId)
            changed.current = std::move(record);
    }
    return changed;
}

// Takes the changed records out and puts their new versions back in their
// sorted places: a few one by one, many in one pass over the rows. The
// record being edited stays as read: its store will meet the change.
bool Recordset::applyChanges(const std::vector<RecordChange> &changes)
{
    const bool hadCurrent = hasCurrent() && !adding_;
    const qint64 currentId = hadCurrent ? order_.rows[size_t(pos_)].rowid : -1;
    const bool holdCurrent = hadCurrent && (editPending() || holdCurrent_);
    std::optional<ChangedRows> changed = readChanges(changes, currentId, holdCurrent);
    if (!changed)
        return false;
    order_.replace(changed->ids, std::move(changed->placed));
    const std::optional<StoredRecord> &currentNow = changed->current;

    if (adding_) {
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
    const qint64 currentId = hasCurrent() && !adding_ ? order_.rows[size_t(pos_)].rowid : -1;
    stopSearchBuild();
    searchText_ = SearchCorpus();
    if (!scanRows())
        return false;
    const std::optional<qint64> index = currentId >= 0 ? order_.indexOf(currentId) : std::nullopt;
    pos_ = adding_ ? qint64(order_.size()) : index.value_or(std::min<qint64>(pos_, qint64(order_.size()) - 1));
    if (!editPending())
        current_ = {};
    searchBuildPending_ = !searchFields_.isEmpty();
    startPendingSearchBuild();
    emit currentChanged();
    return true;
}
