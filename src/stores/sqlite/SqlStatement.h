#pragma once

#include <QString>
#include <QVariant>
#include <sqlite3.h>

// A prepared SQLite statement that finalizes itself.
class SqlStatement
{
public:
    SqlStatement(sqlite3 *db, const QString &sql)
    {
        rc_ = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt_, nullptr);
    }
    ~SqlStatement() { sqlite3_finalize(stmt_); }
    SqlStatement(const SqlStatement &) = delete;
    SqlStatement &operator=(const SqlStatement &) = delete;

    bool ok() const { return rc_ == SQLITE_OK || rc_ == SQLITE_ROW || rc_ == SQLITE_DONE; }
    int code() const { return rc_; }
    sqlite3_stmt *get() const { return stmt_; }

    void bind(int index, const QVariant &value)
    {
        if (value.isNull()) {
            sqlite3_bind_null(stmt_, index);
        } else {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(stmt_, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
    }
    void bind(int index, qint64 value) { sqlite3_bind_int64(stmt_, index, value); }

    // Steps once; true while a row is available.
    bool step()
    {
        rc_ = sqlite3_step(stmt_);
        return rc_ == SQLITE_ROW;
    }
    bool done() const { return rc_ == SQLITE_DONE; }

    // A column as the program sees every field: text, or null for NULL.
    QVariant text(int column) const
    {
        if (sqlite3_column_type(stmt_, column) == SQLITE_NULL)
            return QVariant();
        const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(stmt_, column));
        return QString::fromUtf8(data, sqlite3_column_bytes(stmt_, column));
    }
    qint64 int64(int column) const { return sqlite3_column_int64(stmt_, column); }

private:
    sqlite3_stmt *stmt_ = nullptr;
    int rc_ = SQLITE_OK;
};

// Quotes an identifier for SQL: field names hold blanks and ampersands.
inline QString quoteIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}
