#include "catalogue/Recordset.h"

#include "catalogue/Connection.h"
#include "catalogue/LeadingNumber.h"
#include "catalogue/SqlStatement.h"

#include <QTimer>
#include <algorithm>

Recordset::Recordset(Connection &connection, const QString &table, LockType lock, const QStringList &requiredFields)
    : connection_(connection), table_(table), lock_(lock), required_(requiredFields)
{
}

Recordset::~Recordset()
{
    stopSearchBuild();
}

bool Recordset::fail(const QString &text) const
{
    error_ = text;
    return false;
}

bool Recordset::failSqlite(int code) const
{
    return fail(connection_.describeSqliteError(code));
}

bool Recordset::ensureOpen() const
{
    return open_ || const_cast<Recordset *>(this)->Open();
}

int Recordset::columnIndex(const QString &field) const
{
    return int(columns_.indexOf(field));
}

bool Recordset::Open()
{
    stopSearchBuild();
    searchText_ = SearchText();
    ++structureGeneration_;
    error_.clear();
    open_ = false;
    rows_.clear();
    keyText_.clear();
    pending_.clear();
    adding_ = false;
    cachedRowId_ = -1;
    if (!connection_.isOpen() && !connection_.Open())
        return fail(connection_.lastError());
    sqlite3 *db = connection_.handle();

    columns_.clear();
    SqlStatement info(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(table_)));
    while (info.step())
        columns_ << info.text(1).toString();
    if (!info.done())
        return failSqlite(info.code());
    if (columns_.isEmpty())
        return fail(
            QStringLiteral("The catalogue \"%1\" has no table \"%2\".").arg(connection_.ConnectionString, table_));
    for (const QString &field : required_) {
        if (!columns_.contains(field))
            return fail(QStringLiteral("The table \"%1\" of the catalogue \"%2\" has no field \"%3\".")
                            .arg(table_, connection_.ConnectionString, field));
    }
    sortColumn_ = sort_.isEmpty() ? -1 : columnIndex(sort_);
    if (!sort_.isEmpty() && sortColumn_ < 0)
        return fail(QStringLiteral("The table \"%1\" of the catalogue \"%2\" has no field \"%3\" to sort by.")
                        .arg(table_, connection_.ConnectionString, sort_));

    if (!scanRows(db))
        return false;
    if (sortColumn_ >= 0)
        std::stable_sort(rows_.begin(), rows_.end(), [this](const Row &a, const Row &b) { return rowLess(a, b); });
    open_ = true;
    pos_ = 0;
    // The search text is read once the window is on screen, not before.
    searchBuildPending_ = !searchFields_.isEmpty();
    QTimer::singleShot(0, this, &Recordset::startPendingSearchBuild);
    emit currentChanged();
    return true;
}

// Reads the row ids and sort keys of the whole table.
bool Recordset::scanRows(sqlite3 *db)
{
    const QString sortExpr = sortColumn_ < 0 ? QStringLiteral("NULL") : quoteIdentifier(sort_);
    SqlStatement scan(db, QStringLiteral("SELECT rowid, %1 FROM %2").arg(sortExpr, quoteIdentifier(table_)));
    if (!scan.ok())
        return failSqlite(scan.code());
    while (scan.step()) {
        // Read the key straight from SQLite's buffer: no QString per row.
        Row row{scan.int64(0), 0.0, quint32(keyText_.size()), 0, {}};
        if (sortColumn_ >= 0) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(scan.get(), 1));
            const int length = sqlite3_column_bytes(scan.get(), 1);
            if (text) {
                row.number = LeadingNumber::parse(std::string_view(text, size_t(length)));
                keyText_.append(text, size_t(length));
                row.keyLength = quint32(length);
            }
        }
        rows_.push_back(row);
    }
    if (!scan.done()) {
        rows_.clear();
        keyText_.clear();
        return failSqlite(scan.code());
    }
    return true;
}

bool Recordset::setSort(const QString &field)
{
    sort_ = field;
    return Open();
}

// Numeric value first, then the text, so that one more than the last value is new.
bool Recordset::rowLess(const Row &a, const Row &b) const
{
    if (a.number != b.number)
        return a.number < b.number;
    const std::string_view ka(keyText_.data() + a.keyOffset, a.keyLength);
    const std::string_view kb(keyText_.data() + b.keyOffset, b.keyLength);
    if (ka != kb)
        return ka < kb;
    return a.rowid < b.rowid;
}

Recordset::Row Recordset::makeRow(qint64 rowid, const QVariant &sortValue)
{
    Row row{rowid, 0.0, quint32(keyText_.size()), 0, {}};
    if (sortColumn_ >= 0 && !sortValue.isNull()) {
        const QString text = sortValue.toString();
        const QByteArray utf8 = text.toUtf8();
        row.number = LeadingNumber::parse(text);
        keyText_.append(utf8.constData(), size_t(utf8.size()));
        row.keyLength = quint32(utf8.size());
    }
    return row;
}

size_t Recordset::sortedIndexFor(const Row &row) const
{
    if (sortColumn_ < 0)
        return rows_.size();
    auto at =
        std::upper_bound(rows_.begin(), rows_.end(), row, [this](const Row &a, const Row &b) { return rowLess(a, b); });
    return size_t(at - rows_.begin());
}

void Recordset::placeRow(Row row)
{
    const size_t index = sortedIndexFor(row);
    rows_.insert(rows_.begin() + qsizetype(index), row);
    ++structureGeneration_;
    pos_ = qint64(index);
}

void Recordset::eraseRow(qint64 index)
{
    rows_.erase(rows_.begin() + qsizetype(index));
    ++structureGeneration_;
}

qint64 Recordset::RecordCount() const
{
    if (!ensureOpen())
        return 0;
    return qint64(rows_.size()) + (adding_ ? 1 : 0);
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
    if (!ensureOpen())
        return false;
    error_.clear();
    if (!storePending())
        return false;
    const qint64 count = qint64(rows_.size());
    pos_ = count == 0 ? 0 : std::clamp<qint64>(index, -1, count);
    cachedRowId_ = -1;
    emit currentChanged();
    return true;
}

bool Recordset::MoveFirst()
{
    return moveTo(0);
}

bool Recordset::MoveLast()
{
    // The new record is stored first; the last record is then known.
    if (!ensureOpen() || !storePending())
        return false;
    return moveTo(qint64(rows_.size()) - 1);
}

bool Recordset::MoveNext()
{
    if (!ensureOpen() || !storePending())
        return false;
    return EOF_() ? true : moveTo(pos_ + 1);
}

bool Recordset::MovePrevious()
{
    if (!ensureOpen() || !storePending())
        return false;
    return BOF() ? true : moveTo(pos_ - 1);
}

bool Recordset::setAbsolutePosition(qint64 position)
{
    if (!ensureOpen() || !storePending())
        return false;
    if (position < 1 || position > qint64(rows_.size()))
        return fail(QStringLiteral("There is no record at position %1.").arg(position));
    return moveTo(position - 1);
}

bool Recordset::AddNew()
{
    if (!ensureOpen())
        return false;
    if (lock_ == ReadOnly)
        return fail(QStringLiteral("The catalogue is open for reading only."));
    if (!storePending())
        return false;
    adding_ = true;
    pos_ = qint64(rows_.size());
    cachedRowId_ = -1;
    emit currentChanged();
    return true;
}

bool Recordset::Update()
{
    if (!ensureOpen())
        return false;
    error_.clear();
    return storePending();
}

bool Recordset::storePending()
{
    if (!editPending())
        return true;
    if (lock_ == ReadOnly)
        return fail(QStringLiteral("The catalogue is open for reading only."));
    sqlite3 *db = connection_.handle();
    QList<int> columns = pending_.keys();
    std::sort(columns.begin(), columns.end());

    QString sql;
    if (adding_) {
        QStringList names, marks;
        for (int column : columns) {
            names << quoteIdentifier(columns_[column]);
            marks << QStringLiteral("?");
        }
        sql = names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(table_))
                              : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(quoteIdentifier(table_), names.join(u','), marks.join(u','));
    } else {
        QStringList sets;
        for (int column : columns)
            sets << quoteIdentifier(columns_[column]) + QStringLiteral("=?");
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(quoteIdentifier(table_), sets.join(u','));
    }

    int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return failSqlite(rc);
    qint64 rowid = adding_ ? 0 : rows_[size_t(pos_)].rowid;
    {
        SqlStatement statement(db, sql);
        if (!statement.ok()) {
            const int code = statement.code();
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            return failSqlite(code);
        }
        int index = 1;
        for (int column : columns)
            statement.bind(index++, QVariant(pending_.value(column)));
        if (!adding_)
            statement.bind(index, rowid);
        statement.step();
        const bool gone = !adding_ && statement.done() && sqlite3_changes(db) == 0;
        if (!statement.done() || gone) {
            const int code = statement.code();
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            return gone ? fail(QStringLiteral("The record is no longer in the catalogue \"%1\".")
                                   .arg(connection_.ConnectionString))
                        : failSqlite(code);
        }
        if (adding_)
            rowid = sqlite3_last_insert_rowid(db);
    }
    rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return failSqlite(rc);
    }

    // Show what the file now holds, and keep the record current in its new place.
    std::vector<QVariant> stored;
    readRow(rowid, stored);
    if (!adding_)
        eraseRow(pos_);
    Row row = makeRow(rowid, sortColumn_ >= 0 ? stored[size_t(sortColumn_)] : QVariant());
    row.search = searchSpanFor(stored);
    placeRow(row);
    adding_ = false;
    pending_.clear();
    cachedRowId_ = rowid;
    cached_ = std::move(stored);
    emit recordStored(rowid);
    emit currentChanged();
    return true;
}

bool Recordset::Delete()
{
    if (!ensureOpen())
        return false;
    error_.clear();
    if (lock_ == ReadOnly)
        return fail(QStringLiteral("The catalogue is open for reading only."));
    if (adding_) {
        adding_ = false;
        pending_.clear();
        return true;
    }
    if (!hasCurrent())
        return true;
    sqlite3 *db = connection_.handle();
    const qint64 rowid = rows_[size_t(pos_)].rowid;
    SqlStatement statement(db, QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(quoteIdentifier(table_)));
    statement.bind(1, rowid);
    // A single statement outside BEGIN is its own transaction.
    statement.step();
    if (!statement.done())
        return failSqlite(statement.code());
    eraseRow(pos_);
    pending_.clear();
    cachedRowId_ = -1;
    emit recordDeleted(rowid);
    return true;
}

bool Recordset::readRow(qint64 rowid, std::vector<QVariant> &values) const
{
    values.assign(size_t(columns_.size()), QVariant());
    SqlStatement statement(connection_.handle(),
                           QStringLiteral("SELECT * FROM %1 WHERE rowid=?").arg(quoteIdentifier(table_)));
    statement.bind(1, rowid);
    if (!statement.step())
        return false;
    for (int i = 0; i < columns_.size(); ++i)
        values[size_t(i)] = statement.text(i);
    return true;
}

void Recordset::loadCurrent() const
{
    if (adding_ && pos_ == qint64(rows_.size())) {
        cached_.assign(size_t(columns_.size()), QVariant());
        cachedRowId_ = -1;
        return;
    }
    const qint64 rowid = rows_[size_t(pos_)].rowid;
    if (cachedRowId_ != rowid) {
        readRow(rowid, cached_);
        cachedRowId_ = rowid;
    }
}

QVariant Recordset::value(const QString &field) const
{
    const int column = columnIndex(field);
    if (column < 0 || !hasCurrent())
        return QVariant();
    if (pending_.contains(column))
        return pending_.value(column);
    loadCurrent();
    return cached_[size_t(column)];
}

bool Recordset::setValue(const QString &field, const QString &text)
{
    const int column = columnIndex(field);
    if (column < 0)
        return fail(QStringLiteral("The table \"%1\" has no field \"%2\".").arg(table_, field));
    if (!hasCurrent())
        return fail(QStringLiteral("There is no current record."));
    pending_.insert(column, text);
    return true;
}
