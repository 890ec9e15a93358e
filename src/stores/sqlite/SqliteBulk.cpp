#include "stores/sqlite/SqliteBulk.h"

#include "stores/sqlite/SqlStatement.h"

#include <QFile>

namespace {
constexpr int LockWaitMs = 5000;

QString quotedList(const QStringList &columns)
{
    QStringList quoted;
    for (const QString &column : columns)
        quoted << quoteIdentifier(column);
    return quoted.join(u',');
}

sqlite3 *openFile(const QString &file, int flags, QString &error)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        error = QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, LockWaitMs);
    return db;
}

bool exec(sqlite3 *db, const QString &sql, QString &error)
{
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    error = QString::fromUtf8(sqlite3_errmsg(db));
    return false;
}
}

namespace SqliteBulk {

std::optional<QStringList> tableColumns(sqlite3 *db, const QString &table, QString &error)
{
    SqlStatement info(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(table)));
    QStringList columns;
    while (info.step())
        columns << info.text(1).toString();
    if (!info.done()) {
        error = QString::fromUtf8(sqlite3_errmsg(db));
        return std::nullopt;
    }
    return columns;
}

QString createTableSql(const QString &table, const QStringList &columns)
{
    QStringList definitions;
    for (const QString &column : columns)
        definitions << quoteIdentifier(column) + QStringLiteral(" TEXT");
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdentifier(table), definitions.join(u','));
}

QString insertSql(const QString &table, const QStringList &columns)
{
    const QStringList places(columns.size(), QStringLiteral("?"));
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(quoteIdentifier(table), quotedList(columns), places.join(u','));
}

std::unique_ptr<Writer> Writer::intoNewFile(const QString &file, const QString &table, const QStringList &columns,
                                            QString &error)
{
    std::unique_ptr<Writer> writer(new Writer);
    return writer->begin(file, table, columns, true, error) ? std::move(writer) : nullptr;
}

std::unique_ptr<Writer> Writer::intoFile(const QString &file, const QString &table, const QStringList &columns,
                                         QString &error)
{
    std::unique_ptr<Writer> writer(new Writer);
    writer->db_ = openFile(file, SQLITE_OPEN_READWRITE, error);
    return writer->db_ && writer->begin(file, table, columns, false, error) ? std::move(writer) : nullptr;
}

bool Writer::begin(const QString &file, const QString &table, const QStringList &columns, bool fresh, QString &error)
{
    if (fresh) {
        db_ = openFile(file, SQLITE_OPEN_READWRITE, error);
        if (!db_ || !exec(db_, QStringLiteral("PRAGMA journal_mode=OFF"), error)
            || !exec(db_, QStringLiteral("PRAGMA synchronous=OFF"), error)
            || !exec(db_, createTableSql(table, columns), error))
            return false;
    }
    if (!exec(db_, fresh ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"), error))
        return false;
    const QByteArray sql = insertSql(table, columns).toUtf8();
    if (sqlite3_prepare_v2(db_, sql.constData(), -1, &insert_, nullptr) == SQLITE_OK)
        return true;
    error = QString::fromUtf8(sqlite3_errmsg(db_));
    return false;
}

Writer::~Writer()
{
    sqlite3_finalize(insert_);
    if (db_) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
    }
}

bool Writer::write(ConstRow row, QString &error)
{
    for (size_t i = 0; i < row.size(); ++i) {
        const int place = int(i) + 1;
        if (row[i])
            sqlite3_bind_text(insert_, place, row[i]->constData(), int(row[i]->size()), SQLITE_STATIC);
        else
            sqlite3_bind_null(insert_, place);
    }
    const int rc = sqlite3_step(insert_);
    sqlite3_reset(insert_);
    if (rc == SQLITE_DONE)
        return true;
    error = QString::fromUtf8(sqlite3_errmsg(db_));
    return false;
}

bool Writer::commit(QString &error)
{
    sqlite3_finalize(insert_);
    insert_ = nullptr;
    if (!exec(db_, QStringLiteral("COMMIT"), error))
        return false;
    const bool closed = sqlite3_close(db_) == SQLITE_OK;
    if (!closed)
        error = QString::fromUtf8(sqlite3_errmsg(db_));
    db_ = nullptr;
    return closed;
}

std::unique_ptr<Reader> Reader::open(const QString &file, QString &error)
{
    std::unique_ptr<Reader> reader(new Reader);
    reader->db_ = openFile(file, SQLITE_OPEN_READONLY, error);
    return reader->db_ ? std::move(reader) : nullptr;
}

Reader::~Reader()
{
    sqlite3_finalize(select_);
    sqlite3_close(db_);
}

std::optional<QStringList> Reader::columns(const QString &table, QString &error) const
{
    return tableColumns(db_, table, error);
}

std::optional<qint64> Reader::select(const QString &table, const QStringList &columns, QString &error)
{
    qint64 count = 0;
    {
        SqlStatement counting(db_, QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(table)));
        if (counting.step())
            count = counting.int64(0);
    }
    const QByteArray sql =
        QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(quotedList(columns), quoteIdentifier(table)).toUtf8();
    if (sqlite3_prepare_v2(db_, sql.constData(), -1, &select_, nullptr) != SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errmsg(db_));
        return std::nullopt;
    }
    return count;
}

bool Reader::next(Row row, QString &error)
{
    const int rc = sqlite3_step(select_);
    if (rc != SQLITE_ROW) {
        if (rc != SQLITE_DONE)
            error = QString::fromUtf8(sqlite3_errmsg(db_));
        return false;
    }
    for (int i = 0; i < int(row.size()); ++i) {
        if (sqlite3_column_type(select_, i) == SQLITE_NULL) {
            row[size_t(i)].reset();
        } else {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(select_, i));
            row[size_t(i)] = QByteArray(text, sqlite3_column_bytes(select_, i));
        }
    }
    return true;
}

}
