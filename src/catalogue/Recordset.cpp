#include "catalogue/Recordset.h"

#include "catalogue/Connection.h"

#include <QTimer>
#include <algorithm>

Recordset::Recordset(Connection &connection, const QString &table, LockType lock, const QStringList &requiredFields)
    : connection_(connection), table_(table), lock_(lock), required_(requiredFields), changes_(table)
{
    // Taken in as soon as it is read, so that a walk the window waited for answers at once.
    connect(&buildWatcher_, &QFutureWatcherBase::finished, this, [this] {
        if (build_.isValid() && build_.isFinished()) {
            beginAdoption();
            adoptSlice();
        }
    });
}

Recordset::~Recordset()
{
    // The background work ends first: the key index it may be making holds the file.
    stopSearchBuild();
    keepOrder();
    keepSearchText();
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

RowOrder::Row Recordset::rowOf(const StoredRecord &record)
{
    return order_.make(record.id, sortValueOf(record.values), searchSpanFor(record.values));
}

bool Recordset::Open()
{
    stopSearchBuild();
    keepOrder();
    keepSearchText();
    searchText_ = SearchCorpus();
    searchKeptCursor_ = -1;
    error_.clear();
    failure_ = {};
    open_ = false;
    order_.clear();
    edit_.clear();
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
        changes_.startAt(cursor);
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

std::optional<std::vector<RecordVersion>> Recordset::versions(const QString &jobNumber)
{
    if (!ensureOpen())
        return std::nullopt;
    error_.clear();
    return store().versions(table_, jobNumber, error_);
}

std::optional<std::vector<RecordVersion>> Recordset::deletedRecords()
{
    if (!ensureOpen())
        return std::nullopt;
    error_.clear();
    return store().deletedRecords(table_, error_);
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
    return qint64(order_.size()) + (edit_.adding() ? 1 : 0);
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

bool Recordset::loadCurrent() const
{
    if (edit_.adding() && pos_ == qint64(order_.size()))
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
    if (const std::optional<QString> typed = edit_.typed(column))
        return *typed;
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
    edit_.type(column, text, changes_.cursor());
    return true;
}
