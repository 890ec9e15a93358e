#include "platform/Recordset.h"

#include "platform/Connection.h"
#include "platform/LeadingNumber.h"
#include "platform/SqlStatement.h"

#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

Recordset::Recordset(Connection &connection, const QString &table, LockType lock,
                     const QStringList &requiredFields)
    : connection_(connection), table_(table), lock_(lock), required_(requiredFields)
{
}

Recordset::~Recordset()
{
    stopSearchBuild();
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
    buildCancelled_.reset();
}

void Recordset::startSearchBuild()
{
    stopSearchBuild();
    searchBuildPending_ = false;
    if (searchFields_.isEmpty())
        return;
    std::vector<qint64> rowids(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i)
        rowids[i] = rows_[i].rowid;
    buildGeneration_ = structureGeneration_;
    buildCancelled_ = std::make_shared<std::atomic<bool>>(false);
    build_ = QtConcurrent::run([path = connection_.ConnectionString, table = table_, fields = searchFields_,
                                rowids = std::move(rowids), cancelled = buildCancelled_] {
        return std::make_shared<SearchTextBuild>(buildSearchText(path, table, fields, rowids, *cancelled));
    });
}

bool Recordset::waitForSearchText()
{
    startPendingSearchBuild();
    if (!build_.isValid())
        return false;
    build_.waitForFinished();
    const std::shared_ptr<SearchTextBuild> result = build_.result();
    build_ = {};
    if (!result->complete || buildGeneration_ != structureGeneration_ || result->spans.size() != rows_.size()) {
        // Records came or went while the text was read: read it again.
        startSearchBuild();
        return waitForSearchText();
    }
    const quint32 shift = searchText_.adopt(std::move(result->text));
    for (size_t i = 0; i < rows_.size(); ++i) {
        SearchText::Span span = result->spans[i];
        if (!rows_[i].search.isSet() && span.isSet()) {
            span.chunk += shift;
            rows_[i].search = span;
        }
    }
    return true;
}

SearchText::Span Recordset::searchSpanFor(const std::vector<QVariant> &values)
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
    if (!rows_[index].search.isSet()) {
        // Text not read yet (the background read failed): read this record now.
        std::vector<QVariant> values;
        readRow(rows_[index].rowid, values);
        rows_[index].search = searchSpanFor(values);
    }
    return searchText_.contains(rows_[index].search, needle);
}

// The walks scan whole runs of records that lie one after another in the
// search text with one search each, and test records apart from any run
// (edited or added since the open) one by one.
size_t Recordset::runEnd(size_t first) const
{
    size_t last = first;
    while (last + 1 < rows_.size() && SearchText::followsDirectly(rows_[last].search, rows_[last + 1].search))
        ++last;
    return last;
}

size_t Recordset::runStart(size_t last) const
{
    size_t first = last;
    while (first > 0 && SearchText::followsDirectly(rows_[first - 1].search, rows_[first].search))
        --first;
    return first;
}

// The record of a run [first, last] whose text holds the byte at offset.
size_t Recordset::rowAtOffset(size_t first, size_t last, qint64 offset) const
{
    auto begin = rows_.begin() + qsizetype(first), end = rows_.begin() + qsizetype(last) + 1;
    auto after = std::upper_bound(begin, end, offset, [](qint64 at, const Row &row) { return at < qint64(row.search.offset); });
    return size_t(after - rows_.begin()) - 1;
}

qint64 Recordset::findForward(const QByteArray &needle, qint64 fromIndex)
{
    if (!ensureOpen())
        return -1;
    waitForSearchText();
    for (size_t i = size_t(std::max<qint64>(fromIndex, 0)); i < rows_.size();) {
        if (!rows_[i].search.isSet()) {
            if (matchesAt(i, needle))
                return qint64(i);
            ++i;
            continue;
        }
        const size_t last = runEnd(i);
        const SearchText::Span &a = rows_[i].search, &b = rows_[last].search;
        const qint64 hit = searchText_.findFirst(a.chunk, a.offset, b.offset + b.length, needle);
        if (hit >= 0)
            return qint64(rowAtOffset(i, last, hit));
        i = last + 1;
    }
    return -1;
}

qint64 Recordset::findBackward(const QByteArray &needle, qint64 fromIndex)
{
    if (!ensureOpen())
        return -1;
    waitForSearchText();
    // Backward runs are scanned in blocks from their end, so that a match near
    // the start record is found without scanning the whole run.
    constexpr quint32 BlockBytes = 1u << 20;
    for (qint64 i = std::min<qint64>(fromIndex, qint64(rows_.size()) - 1); i >= 0;) {
        if (!rows_[size_t(i)].search.isSet()) {
            if (matchesAt(size_t(i), needle))
                return i;
            --i;
            continue;
        }
        const size_t first = runStart(size_t(i));
        for (qint64 blockEnd = i; blockEnd >= qint64(first);) {
            const SearchText::Span &b = rows_[size_t(blockEnd)].search;
            qint64 blockStart = blockEnd;
            while (blockStart > qint64(first) && b.offset + b.length - rows_[size_t(blockStart) - 1].search.offset <= BlockBytes)
                --blockStart;
            const SearchText::Span &a = rows_[size_t(blockStart)].search;
            const qint64 hit = searchText_.findLast(a.chunk, a.offset, b.offset + b.length, needle);
            if (hit >= 0)
                return qint64(rowAtOffset(size_t(blockStart), size_t(blockEnd), hit));
            blockEnd = blockStart - 1;
        }
        i = qint64(first) - 1;
    }
    return -1;
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
        return fail(QStringLiteral("The catalogue \"%1\" has no table \"%2\".").arg(connection_.ConnectionString, table_));
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

void Recordset::startPendingSearchBuild()
{
    if (searchBuildPending_)
        startSearchBuild();
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
    auto at = std::upper_bound(rows_.begin(), rows_.end(), row,
                               [this](const Row &a, const Row &b) { return rowLess(a, b); });
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
    SqlStatement statement(connection_.handle(), QStringLiteral("SELECT * FROM %1 WHERE rowid=?").arg(quoteIdentifier(table_)));
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
