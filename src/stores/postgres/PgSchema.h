#pragma once

#include <QString>
#include <QStringList>

// A catalogue's table on a PostgreSQL server: the eight text fields plus what
// several people need: an id that is never reused, a version that every store
// moves on, a log of changed and deleted ids, a notification per change, the
// sort key as the record window sorts (leading number, then the text as bytes,
// then the id) and a trigram index on the upper-cased text for walks.
namespace PgSchema {
// The statements that make the table, in order (the field names as given).
QStringList createStatements(const QString &table, const QStringList &fields);

// Columns of the table that belong to the store, not to the catalogue.
inline constexpr const char *RowId = "row_id";
inline constexpr const char *RowVersion = "row_version";
inline constexpr const char *SortNumber = "job_sort";
inline constexpr const char *SearchColumn = "search_text";
bool isStoreColumn(const QString &column);

QString changeLogTable(const QString &table); // id, change_seq, gone
QString notifyChannel(const QString &table);
// The sort order as SQL, for ORDER BY and row comparisons.
QString sortKeySql(const QString &sortField, bool descending = false);
// Separates the fields in the search column; no needle holds it.
inline constexpr char FieldSeparator = '\x01';
}
