#include "stores/sqlite/SqliteStore.h"

#include "stores/sqlite/SqlStatement.h"
#include "stores/sqlite/SqliteHistory.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int BusyTimeoutMs = CatalogueStore::UserLockWaitMs;
// Every committed write of a rollback-journal database increments this
// big-endian counter in the file's header.
constexpr off_t ChangeCounterOffset = 24;

// Only a regular file can be a catalogue: opening a FIFO or a device would
// block or read garbage, so they are refused before anything opens them.
QString unusablePathReason(const QString &path)
{
    if (path.trimmed().isEmpty())
        return QStringLiteral("No catalogue file was given.");
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return QStringLiteral("The catalogue file \"%1\" does not exist.").arg(path);
        return QStringLiteral("The catalogue file \"%1\" cannot be reached (%2).")
            .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("\"%1\" is a folder, not a catalogue file.").arg(path);
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("\"%1\" is not an ordinary file (it is a pipe, a socket or a device), so it cannot be a "
                              "catalogue.")
            .arg(path);
    return {};
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    return a.isNull() == b.isNull() && a.toString() == b.toString();
}

QString joined(const QStringList &names, const QString &suffix = {})
{
    QStringList quoted;
    for (const QString &name : names)
        quoted << quoteIdentifier(name) + suffix;
    return quoted.join(u',');
}

// The log's triggers: every insert, update and delete of the table leaves the
// record's id with the next number of the catalogue's history; "born" keeps
// the number of the insert, so a reused id is told from the record it had.
QStringList changeLogSql(const QString &table)
{
    const QString log = quoteIdentifier(SqliteStore::changeLogTable(table));
    const QString target = quoteIdentifier(table);
    const QString next = QStringLiteral("(SELECT coalesce(max(seq), 0) + 1 AS s FROM %1)").arg(log);
    const auto trigger = [&](const char *event, const char *row, const QString &born, int gone) {
        return QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER %2 ON %3 BEGIN "
                              "INSERT OR REPLACE INTO %4 (id, seq, born, gone) SELECT %5.rowid, s, %6, %7 FROM %8; END")
            .arg(quoteIdentifier(QStringLiteral("MorvoII logs %1 of %2").arg(QString::fromLatin1(event), table)),
                 QString::fromLatin1(event), target, log, QString::fromLatin1(row), born)
            .arg(gone)
            .arg(next);
    };
    const auto keptBirth = [&](const char *row) {
        return QStringLiteral("coalesce((SELECT born FROM %1 WHERE id = %2.rowid), 0)")
            .arg(log, QString::fromLatin1(row));
    };
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (id INTEGER PRIMARY KEY, seq INTEGER NOT NULL, "
                       "born INTEGER NOT NULL, gone INTEGER NOT NULL)")
            .arg(log),
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (seq)")
            .arg(quoteIdentifier(SqliteStore::changeLogTable(table) + QStringLiteral(" by seq")), log),
        trigger("INSERT", "new", QStringLiteral("s"), 0),
        trigger("UPDATE", "new", keptBirth("new"), 0),
        trigger("DELETE", "old", keptBirth("old"), 1),
    };
}

// A write transaction that rolls back unless committed.
class WriteTransaction
{
public:
    explicit WriteTransaction(sqlite3 *db) : db_(db)
    {
        code_ = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    }
    ~WriteTransaction() { rollback(); }
    bool begun() const { return code_ == SQLITE_OK; }
    int code() const { return code_; }
    bool commit()
    {
        code_ = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        return code_ == SQLITE_OK;
    }
    void rollback()
    {
        if (sqlite3_get_autocommit(db_) == 0)
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }

private:
    sqlite3 *db_;
    int code_;
};
}

QString SqliteStore::changeLogTable(const QString &table)
{
    return QStringLiteral("MorvoII changes to ") + table;
}

SqliteStore::SqliteStore(const QString &path, sqlite3 *db, bool readOnly)
    : path_(path),
      db_(db),
      readOnly_(readOnly),
      counterFile_(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC))
{
}

SqliteStore::~SqliteStore()
{
    sqlite3_close_v2(db_);
    // Closed only after SQLite: closing any descriptor of the file drops the
    // process's locks on it.
    if (counterFile_ >= 0)
        ::close(counterFile_);
}

void SqliteStore::setLockWait(int milliseconds)
{
    sqlite3_busy_timeout(db_, milliseconds);
}

std::unique_ptr<SqliteStore> SqliteStore::open(const QString &path, bool readOnly, QString &error)
{
    error = unusablePathReason(path);
    if (!error.isEmpty())
        return nullptr;
    sqlite3 *db = nullptr;
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    std::unique_ptr<SqliteStore> store(new SqliteStore(path, db, readOnly));
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, BusyTimeoutMs);
        // Reading the schema is the cheapest way to find a foreign or damaged file.
        rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        error = store->describe(rc);
        return nullptr;
    }
    return store;
}

QString SqliteStore::describe(int code) const
{
    const QString detail = db_ && sqlite3_errcode(db_) != SQLITE_OK ? QString::fromUtf8(sqlite3_errmsg(db_))
                                                                    : QString::fromUtf8(sqlite3_errstr(code));
    switch (code & 0xff) {
    case SQLITE_NOTADB:
        return QStringLiteral("The file \"%1\" is not a catalogue: it is not a SQLite database.").arg(path_);
    case SQLITE_CORRUPT:
        return QStringLiteral("The catalogue \"%1\" is damaged (%2).").arg(path_, detail);
    case SQLITE_READONLY:
        return QStringLiteral("The catalogue \"%1\" cannot be changed: the file or its folder is read-only (%2).")
            .arg(path_, detail);
    case SQLITE_FULL:
        return QStringLiteral("The disk holding the catalogue \"%1\" is full (%2).").arg(path_, detail);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("The catalogue \"%1\" is locked by another program; nothing was changed (%2).")
            .arg(path_, detail);
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_IOERR:
        return QStringLiteral("The catalogue \"%1\" cannot be read or written (%2).").arg(path_, detail);
    default:
        return QStringLiteral("The catalogue \"%1\" cannot be used (%2).").arg(path_, detail);
    }
}

StoreResult SqliteStore::failed(int code)
{
    // Worded before the rollback, which would reset the connection's error.
    return {StoreStatus::Failed, {}, describe(code)};
}

std::optional<QStringList> SqliteStore::columns(const QString &table, QString &error)
{
    QStringList names;
    SqlStatement info(db_, QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(table)));
    while (info.step())
        names << info.text(1).toString();
    if (!info.done()) {
        error = describe(info.code());
        return std::nullopt;
    }
    if (names.isEmpty()) {
        error = QStringLiteral("The catalogue \"%1\" has no table \"%2\".").arg(path_, table);
        return std::nullopt;
    }
    return names;
}

qint64 SqliteStore::sizeHint(const QString &table)
{
    // The highest row id: found in the table's tree without reading it.
    SqlStatement last(db_, QStringLiteral("SELECT max(rowid) FROM %1").arg(quoteIdentifier(table)));
    return last.step() ? last.int64(0) : 0;
}

bool SqliteStore::scanKeys(const QString &table, int column, const KeyVisitor &row, QString &error)
{
    QString key = QStringLiteral("NULL");
    if (column >= 0) {
        const std::optional<QStringList> names = columns(table, error);
        if (!names || column >= names->size())
            return false;
        key = quoteIdentifier(names->at(column));
    }
    SqlStatement scan(db_, QStringLiteral("SELECT rowid, %1 FROM %2").arg(key, quoteIdentifier(table)));
    if (!scan.ok()) {
        error = describe(scan.code());
        return false;
    }
    while (scan.step()) {
        // Straight from SQLite's buffer: no QString per record.
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(scan.get(), 1));
        row(scan.int64(0), {text, sqlite3_column_bytes(scan.get(), 1)});
    }
    if (!scan.done()) {
        error = describe(scan.code());
        return false;
    }
    return true;
}

bool SqliteStore::hasChangeLog(const QString &table)
{
    if (logged_.contains(table))
        return true;
    if (unlogged_.contains(table))
        return false;
    SqlStatement probe(db_,
                       QStringLiteral("SELECT coalesce(sum(name LIKE 'MorvoII logs %'), 0), coalesce(sum(name LIKE "
                                      "'%1'), 0) FROM sqlite_master WHERE type = 'trigger' AND tbl_name = ?")
                           .arg(QLatin1String(SqliteHistory::TriggerPattern)));
    probe.bind(1, QVariant(table));
    if (!probe.step())
        return false; // the file is busy: look again next time
    const bool logs = probe.int64(0) == 3, keeps = probe.int64(1) == SqliteHistory::TriggerCount;
    if (logs && keeps) {
        logged_.insert(table);
        kept_.insert(table);
        return true;
    }
    if (readOnly_ || sqlite3_db_readonly(db_, "main") == 1) {
        (logs ? logged_ : unlogged_).insert(table);
        return logs;
    }
    QString error;
    const std::optional<QStringList> names = columns(table, error);
    if (!names)
        return false;
    // The log and the history come together, as one change of the file.
    WriteTransaction transaction(db_);
    if (!transaction.begun())
        return false;
    for (const QString &statement : changeLogSql(table) + SqliteHistory::creation(table, *names)) {
        const int rc = sqlite3_exec(db_, statement.toUtf8().constData(), nullptr, nullptr, nullptr);
        if ((rc & 0xff) == SQLITE_READONLY || (rc & 0xff) == SQLITE_PERM)
            unlogged_.insert(table);
        if (rc != SQLITE_OK)
            return false;
    }
    if (!transaction.commit())
        return false;
    logged_.insert(table);
    kept_.insert(table);
    return true;
}

qint64 SqliteStore::historyBefore(const QString &table)
{
    return kept_.contains(table) ? SqliteHistory::newest(db_, table) : -1;
}

bool SqliteStore::signHistory(const QString &table, qint64 before, const StoreRules &rules)
{
    return before < 0 || SqliteHistory::signSince(db_, table, before, rules.change);
}

std::optional<std::vector<RecordVersion>> SqliteStore::versions(const QString &table, const QString &key,
                                                                QString &error)
{
    hasChangeLog(table);
    if (!kept_.contains(table))
        return CatalogueStore::versions(table, key, error);
    return SqliteHistory::versions(db_, table, key, error);
}

std::optional<std::vector<RecordVersion>> SqliteStore::deletedRecords(const QString &table, QString &error)
{
    hasChangeLog(table);
    if (!kept_.contains(table))
        return CatalogueStore::deletedRecords(table, error);
    return SqliteHistory::deleted(db_, table, error);
}

std::optional<qint64> SqliteStore::pruneHistory(const QString &table, const QString &before, QString &error)
{
    if (!hasChangeLog(table) || !kept_.contains(table))
        return CatalogueStore::pruneHistory(table, before, error);
    return SqliteHistory::prune(db_, table, before, error);
}

std::optional<StoredRecord> SqliteStore::readIn(const QString &table, qint64 id, QString &error)
{
    const bool logged = logged_.contains(table);
    const QString sql = logged ? QStringLiteral("SELECT p.*, coalesce(c.seq, 0), coalesce(c.born, 0) FROM %1 AS p "
                                                "LEFT JOIN %2 AS c ON c.id = p.rowid WHERE p.rowid = ?")
                                     .arg(quoteIdentifier(table), quoteIdentifier(changeLogTable(table)))
                               : QStringLiteral("SELECT *, 0, 0 FROM %1 WHERE rowid = ?").arg(quoteIdentifier(table));
    SqlStatement select(db_, sql);
    select.bind(1, id);
    if (!select.step()) {
        if (!select.done())
            error = describe(select.code());
        return std::nullopt;
    }
    const int count = sqlite3_column_count(select.get()) - 2;
    StoredRecord record{id, select.int64(count), select.int64(count + 1), {}};
    record.values.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        record.values.push_back(select.text(i));
    return record;
}

std::optional<StoredRecord> SqliteStore::read(const QString &table, qint64 id, QString &error)
{
    hasChangeLog(table);
    return readIn(table, id, error);
}

std::optional<QStringList> SqliteStore::distinctValues(const QString &table, const QString &column, QString &error)
{
    SqlStatement select(db_,
                        QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %1 IS NOT NULL")
                            .arg(quoteIdentifier(column), quoteIdentifier(table)));
    QStringList values;
    while (select.step())
        values.append(select.text(0).toString());
    if (!select.done()) {
        error = describe(select.code());
        return std::nullopt;
    }
    return values;
}

bool SqliteStore::keyTakenSince(const QString &table, const StoreRules &rules, const QVariant &key, qint64 ownId,
                                QString &error)
{
    if (rules.keyColumn < 0 || !logged_.contains(table))
        return false;
    const QStringList names = columns(table, error).value_or(QStringList());
    if (rules.keyColumn >= names.size())
        return false;
    SqlStatement clash(db_,
                       QStringLiteral("SELECT 1 FROM %1 AS c JOIN %2 AS p ON p.rowid = c.id WHERE c.seq > ? "
                                      "AND c.gone = 0 AND c.id <> ? AND p.%3 IS ? LIMIT 1")
                           .arg(quoteIdentifier(changeLogTable(table)), quoteIdentifier(table),
                                quoteIdentifier(names[rules.keyColumn])));
    clash.bind(1, rules.keySince);
    clash.bind(2, ownId);
    clash.bind(3, key);
    const bool taken = clash.step();
    if (!taken && !clash.done())
        error = describe(clash.code());
    return taken;
}

StoreResult SqliteStore::update(const QString &table, const StoredRecord &asRead, const std::map<int, QString> &changes,
                                const StoreRules &rules)
{
    const bool logged = hasChangeLog(table);
    QString error;
    const std::optional<QStringList> names = columns(table, error);
    if (!names)
        return {StoreStatus::Failed, {}, error};
    WriteTransaction transaction(db_);
    if (!transaction.begun())
        return failed(transaction.code());
    const std::optional<StoredRecord> current = readIn(table, asRead.id, error);
    if (!current)
        return {error.isEmpty() ? StoreStatus::Gone : StoreStatus::Failed, {}, error};
    if (logged && current->born != asRead.born)
        return {StoreStatus::Gone, {}, {}};
    // Someone else's change to other fields is kept; to the same fields, or to
    // the key that tells which record this is, it is the user's decision.
    if (!logged || current->version != asRead.version) {
        for (const auto &[column, text] : changes) {
            if (!sameValue(current->values[size_t(column)], asRead.values[size_t(column)]))
                return {StoreStatus::Changed, *current, {}};
        }
        const auto key = size_t(rules.keyColumn);
        if (rules.keyColumn >= 0 && !changes.contains(rules.keyColumn)
            && !sameValue(current->values[key], asRead.values[key]))
            return {StoreStatus::Changed, *current, {}};
    }
    if (changes.contains(rules.keyColumn)
        && keyTakenSince(table, rules, QVariant(changes.at(rules.keyColumn)), asRead.id, error))
        return {StoreStatus::DuplicateJobNumber, *current, {}};
    if (!error.isEmpty())
        return {StoreStatus::Failed, {}, error};

    QStringList sets;
    for (const auto &change : changes)
        sets << quoteIdentifier(names->at(change.first)) + QStringLiteral("=?");
    const qint64 historyAt = historyBefore(table);
    SqlStatement statement(
        db_, QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?").arg(quoteIdentifier(table), sets.join(u',')));
    int index = 1;
    for (const auto &change : changes)
        statement.bind(index++, QVariant(change.second));
    statement.bind(index, asRead.id);
    statement.step();
    if (!statement.done() || !signHistory(table, historyAt, rules))
        return failed(sqlite3_errcode(db_));
    std::optional<StoredRecord> stored = readIn(table, asRead.id, error);
    if (!stored)
        return {StoreStatus::Failed, {}, error};
    if (!transaction.commit())
        return failed(transaction.code());
    return {StoreStatus::Done, *stored, {}};
}

StoreResult SqliteStore::insert(const QString &table, const std::map<int, QString> &values, const StoreRules &rules)
{
    hasChangeLog(table);
    QString error;
    const std::optional<QStringList> names = columns(table, error);
    if (!names)
        return {StoreStatus::Failed, {}, error};
    WriteTransaction transaction(db_);
    if (!transaction.begun())
        return failed(transaction.code());
    if (values.contains(rules.keyColumn)
        && keyTakenSince(table, rules, QVariant(values.at(rules.keyColumn)), -1, error))
        return {StoreStatus::DuplicateJobNumber, {}, {}};
    if (!error.isEmpty())
        return {StoreStatus::Failed, {}, error};
    QStringList set, marks;
    for (const auto &value : values) {
        set << names->at(value.first);
        marks << QStringLiteral("?");
    }
    const qint64 historyAt = historyBefore(table);
    SqlStatement statement(db_,
                           set.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(table))
                                         : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                               .arg(quoteIdentifier(table), joined(set), marks.join(u',')));
    int index = 1;
    for (const auto &value : values)
        statement.bind(index++, QVariant(value.second));
    statement.step();
    if (!statement.done())
        return failed(statement.code());
    const qint64 id = sqlite3_last_insert_rowid(db_);
    if (!signHistory(table, historyAt, rules))
        return failed(sqlite3_errcode(db_));
    std::optional<StoredRecord> stored = readIn(table, id, error);
    if (!stored)
        return {StoreStatus::Failed, {}, error};
    if (!transaction.commit())
        return failed(transaction.code());
    return {StoreStatus::Done, *stored, {}};
}

StoreResult SqliteStore::remove(const QString &table, const StoredRecord &asRead, const StoreRules &rules)
{
    const bool logged = hasChangeLog(table);
    WriteTransaction transaction(db_);
    if (!transaction.begun())
        return failed(transaction.code());
    QString error;
    const std::optional<StoredRecord> current = readIn(table, asRead.id, error);
    if (!current || (logged && current->born != asRead.born))
        return {error.isEmpty() ? StoreStatus::Gone : StoreStatus::Failed, {}, error};
    const bool changed = logged ? current->version != asRead.version : current->values != asRead.values;
    if (changed)
        return {StoreStatus::Changed, *current, {}};
    const qint64 historyAt = historyBefore(table);
    SqlStatement statement(db_, QStringLiteral("DELETE FROM %1 WHERE rowid=?").arg(quoteIdentifier(table)));
    statement.bind(1, asRead.id);
    statement.step();
    if (!statement.done() || !signHistory(table, historyAt, rules))
        return failed(sqlite3_errcode(db_));
    if (!transaction.commit())
        return failed(transaction.code());
    return {StoreStatus::Done, *current, {}};
}

qint64 SqliteStore::changeCursor(const QString &table)
{
    if (!hasChangeLog(table))
        return 0;
    SqlStatement last(
        db_, QStringLiteral("SELECT coalesce(max(seq), 0) FROM %1").arg(quoteIdentifier(changeLogTable(table))));
    return last.step() ? last.int64(0) : 0;
}

bool SqliteStore::mayHaveChanged()
{
    // The header's counter, read without any lock: a read torn by a commit
    // only means one look more. Our own commits move it too.
    unsigned char bytes[4];
    if (counterFile_ < 0 || ::pread(counterFile_, bytes, sizeof bytes, ChangeCounterOffset) != sizeof bytes)
        return true;
    const quint32 counter = quint32(bytes[0]) << 24 | quint32(bytes[1]) << 16 | quint32(bytes[2]) << 8 | bytes[3];
    const bool changed = !counterSeen_ || counter != changeCounter_;
    changeCounter_ = counter;
    counterSeen_ = true;
    return changed;
}

std::optional<std::vector<RecordChange>> SqliteStore::changesSince(const QString &table, qint64 &cursor, QString &error)
{
    if (!hasChangeLog(table))
        return std::nullopt;
    SqlStatement select(db_,
                        QStringLiteral("SELECT id, gone, seq FROM %1 WHERE seq > ? ORDER BY seq")
                            .arg(quoteIdentifier(changeLogTable(table))));
    select.bind(1, cursor);
    std::vector<RecordChange> changes;
    qint64 last = cursor;
    while (select.step()) {
        changes.push_back({select.int64(0), select.int64(1) != 0, select.int64(2)});
        last = select.int64(2);
    }
    if (!select.done()) {
        error = describe(select.code());
        return std::nullopt;
    }
    cursor = last;
    return changes;
}

// The file as the system knows it: a file made anew in its place, even under
// the same name and inode number, has another birth time. No birth time, no identity.
QByteArray SqliteStore::fileIdentity() const
{
    struct statx info
    {};
    if (counterFile_ < 0 || ::statx(counterFile_, "", AT_EMPTY_PATH, STATX_INO | STATX_BTIME, &info) != 0
        || !(info.stx_mask & STATX_BTIME))
        return {};
    return QByteArray::number(info.stx_dev_major) + ':' + QByteArray::number(info.stx_dev_minor) + ':'
        + QByteArray::number(quint64(info.stx_ino)) + ':' + QByteArray::number(qint64(info.stx_btime.tv_sec)) + '.'
        + QByteArray::number(info.stx_btime.tv_nsec);
}

// The file, and the record the change at cursor was made to: the log keeps a
// record's latest change only, so a history that went another way (a copy
// put back over the file) has another record there, or another birth.
QByteArray SqliteStore::historyMark(const QString &table, qint64 cursor)
{
    const QByteArray file = fileIdentity();
    if (file.isEmpty() || !hasChangeLog(table))
        return {};
    if (cursor == 0)
        return file;
    SqlStatement at(
        db_, QStringLiteral("SELECT id, born FROM %1 WHERE seq = ?").arg(quoteIdentifier(changeLogTable(table))));
    at.bind(1, cursor);
    if (!at.step())
        return {}; // the record was changed again since: no mark for this point
    return file + ' ' + QByteArray::number(at.int64(0)) + ' ' + QByteArray::number(at.int64(1));
}

bool SqliteStore::historyHolds(const QString &table, qint64 cursor, const QByteArray &mark)
{
    const QByteArray file = fileIdentity();
    const QList<QByteArray> parts = mark.split(' ');
    if (file.isEmpty() || parts.value(0) != file || !hasChangeLog(table))
        return false;
    if (cursor == 0)
        return parts.size() == 1;
    if (parts.size() != 3)
        return false;
    // The record changed at cursor is the same one, changed then or later.
    SqlStatement at(
        db_, QStringLiteral("SELECT born, seq FROM %1 WHERE id = ?").arg(quoteIdentifier(changeLogTable(table))));
    at.bind(1, parts[1].toLongLong());
    return at.step() && at.int64(0) == parts[2].toLongLong() && at.int64(1) >= cursor;
}

// A connection of a background task's own, waiting for locks as the window's does.
sqlite3 *SqliteStore::ownConnection(int flags) const
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path_.toUtf8().constData(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, BusyTimeoutMs);
    return db;
}

// The index covers the key scan, so that a large catalogue opens from a few
// megabytes of index instead of every record; any SQLite program keeps it up.
void SqliteStore::indexKeys(const QString &table, const QString &column, const std::atomic<bool> &cancelled) const
{
    if (readOnly_)
        return;
    sqlite3 *db = ownConnection(SQLITE_OPEN_READWRITE);
    if (!db)
        return;
    // A cancel (the catalogue closes) interrupts the build, which then leaves nothing.
    sqlite3_progress_handler(
        db, 10000, [](void *flag) { return int(static_cast<const std::atomic<bool> *>(flag)->load()); },
        const_cast<std::atomic<bool> *>(&cancelled));
    const QString sql = QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                            .arg(quoteIdentifier(QStringLiteral("MorvoII keys of %1").arg(table)),
                                 quoteIdentifier(table), quoteIdentifier(column));
    sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

bool SqliteStore::scanRecords(const QString &table, const QStringList &columns, qint64 firstId, qint64 lastId,
                              const RecordVisitor &record, const std::atomic<bool> &cancelled) const
{
    sqlite3 *db = ownConnection(SQLITE_OPEN_READONLY);
    if (!db)
        return false;
    // One pass reads each page once: a page cache larger than the tree's upper
    // levels only holds memory while the search text is at its largest.
    sqlite3_exec(db, "PRAGMA cache_size = -256", nullptr, nullptr, nullptr);
    // Batches by id keep each read transaction short, so that a store of the
    // window is never held up for long.
    constexpr int Batch = 20000;
    const QString sql =
        QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid > ? AND rowid <= ? ORDER BY rowid LIMIT %3")
            .arg(joined(columns), quoteIdentifier(table))
            .arg(Batch);
    std::vector<FieldBytes> fields(size_t(columns.size()));
    qint64 after = firstId - 1;
    bool complete = false;
    while (!complete && !cancelled.load(std::memory_order_relaxed)) {
        SqlStatement select(db, sql);
        select.bind(1, after);
        select.bind(2, lastId);
        int rows = 0;
        while (select.step()) {
            ++rows;
            after = select.int64(0);
            for (int i = 0; i < columns.size(); ++i) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(select.get(), i + 1));
                fields[size_t(i)] = {text, sqlite3_column_bytes(select.get(), i + 1)};
            }
            record(after, fields);
        }
        if (!select.done())
            break;
        complete = rows < Batch;
    }
    sqlite3_close(db);
    return complete;
}
