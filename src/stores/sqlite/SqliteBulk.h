#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <span>

struct sqlite3;
struct sqlite3_stmt;

// A catalogue file read or written whole, a row of text columns after another,
// as a conversion or an import does: no change log, no store's checks. Each
// failure comes back worded by SQLite in error.
namespace SqliteBulk {

using Row = std::span<std::optional<QByteArray>>;
using ConstRow = std::span<const std::optional<QByteArray>>;

// The table's columns as the file has them; empty when it has no such table.
std::optional<QStringList> tableColumns(sqlite3 *db, const QString &table, QString &error);
// The statements that make the table with these TEXT columns, and that insert
// a row of them ("?" for each).
QString createTableSql(const QString &table, const QStringList &columns);
QString insertSql(const QString &table, const QStringList &columns);

class Writer
{
public:
    // A file just made for a new catalogue: the table is made with these TEXT
    // columns. It is nobody's before it is complete, so it keeps no journal.
    static std::unique_ptr<Writer> intoNewFile(const QString &file, const QString &table, const QStringList &columns,
                                               QString &error);
    // An existing catalogue whose table has these columns (see Reader::columns):
    // all rows go in one transaction, which waits up to five seconds for others'.
    static std::unique_ptr<Writer> intoFile(const QString &file, const QString &table, const QStringList &columns,
                                            QString &error);
    ~Writer(); // rolls back what was not committed
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    bool write(ConstRow row, QString &error);
    // Commits and closes the file.
    bool commit(QString &error);

private:
    Writer() = default;
    bool begin(const QString &file, const QString &table, const QStringList &columns, bool fresh, QString &error);
    sqlite3 *db_ = nullptr;
    sqlite3_stmt *insert_ = nullptr;
};

class Reader
{
public:
    // A catalogue file to read: its columns first, then its rows in the order
    // they were stored.
    static std::unique_ptr<Reader> open(const QString &file, QString &error);
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    std::optional<QStringList> columns(const QString &table, QString &error) const;
    // Starts reading these columns of the table; the number of its rows.
    std::optional<qint64> select(const QString &table, const QStringList &columns, QString &error);
    // The next row into row; false at the end, or with error set on a failure.
    bool next(Row row, QString &error);

private:
    Reader() = default;
    sqlite3 *db_ = nullptr;
    sqlite3_stmt *select_ = nullptr;
};

}
