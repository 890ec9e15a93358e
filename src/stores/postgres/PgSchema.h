#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <span>

// A catalogue's table on a PostgreSQL server: the eight text fields plus what
// several people need: an id that is never reused, a version that every store
// moves on, a log of changed and deleted ids, a notification per change, the
// sort key as the record window sorts (leading number, then the text as bytes,
// then the id) and a trigram index on the upper-cased text for walks.
namespace PgSchema {
// A table's or column's name as SQL: in double quotes, whatever it holds.
QString quoted(const QString &name);
// The statements that make the table, in order (the field names as given).
// A table about to be filled in bulk gets its indexes and triggers after the
// load (afterBulkLoadStatements): built once, they cost a fraction of what
// keeping them up row by row does. Nobody sees the table before the load's
// transaction ends, so no change needs logging meanwhile.
enum class Filling { Empty, Bulk };
QStringList createStatements(const QString &table, const QStringList &fields, Filling filling = Filling::Empty);
QStringList afterBulkLoadStatements(const QString &table, const QStringList &fields);
// An empty table with its indexes and triggers (as --create-catalogue leaves
// it) is filled the same way: for the load its triggers are paused and its
// indexes dropped, then what the triggers write for each added record (the
// change log, the history where it is kept) is written for all at once and
// the indexes are built again from their definitions. The caller holds the
// table alone meanwhile.
bool refillable(const QStringList &triggers); // enabled ones by name, in order; any other stops a refill
QStringList beforeRefillStatements(const QString &table, const QStringList &triggers, const QStringList &indexes);
QStringList afterRefillStatements(const QString &table, const QStringList &fields, const QStringList &triggers,
                                  const QStringList &indexDefinitions);

// Columns of the table that belong to the store, not to the catalogue.
inline constexpr const char *RowId = "row_id";
inline constexpr const char *RowVersion = "row_version";
inline constexpr const char *SortNumber = "job_sort";
inline constexpr const char *SearchColumn = "search_text";
bool isStoreColumn(const QString &column);

QString changeLogTable(const QString &table); // id, change_seq, gone
// Every version of the table's records: a trigger writes the values before
// and after each change in the change's own transaction, with the role and
// the login name the program puts in the session's "morvo.login" (and the
// kind of change in "morvo.change" when it is not the plain one).
QString historyTable(const QString &table);
// Makes the history of a table (none of the statements fails when it is there).
QStringList historyStatements(const QString &table, const QStringList &fields);
// The time of an entry as ISO 8601 in UTC, as SQL over the column "time".
QString historyTimeSql();
QString notifyChannel(const QString &table);
// The sort order as SQL, for ORDER BY and row comparisons.
QString sortKeySql(const QString &sortField, bool descending = false);
// Separates the fields in the search column; no needle holds it.
inline constexpr char FieldSeparator = '\x01';
// The search column's text of a record (UTF-8 fields, an empty one NULL):
// its fields upper-cased as the file's search text is.
QByteArray searchText(std::span<const std::optional<QByteArray>> fields);
}
