#pragma once

#include "stores/CatalogueStore.h"

#include <QStringList>

struct sqlite3;

// The history of a table's records in a catalogue file: a table beside it
// that triggers fill on every insert, update and delete, whoever makes them
// (an older program too), in the change's own transaction. Each entry holds
// the record's lineage (an id kept through updates, new at every insert),
// the job number, the time, the kind of change and the values before and
// after as JSON arrays. The user is signed by this program after its own
// changes, in the same transaction; others' entries have none.
namespace SqliteHistory {

QString tableFor(const QString &table);
// Statements that add the history to a table (none of them fails when it is there).
QStringList creation(const QString &table, const QStringList &columns);
// Whether the file holds all of the table's history triggers.
inline constexpr char TriggerPattern[] = "MorvoII keeps history %";
inline constexpr int TriggerCount = 3;

// The newest entry; a change made after it is signed with signSince.
qint64 newest(sqlite3 *db, const QString &table);
// Puts the login name, and the kind of change when given, on the entries
// after since: those of the current transaction.
bool signSince(sqlite3 *db, const QString &table, qint64 since, const char *change);

std::optional<std::vector<RecordVersion>> versions(sqlite3 *db, const QString &table, const QString &key,
                                                   QString &error);
std::optional<std::vector<RecordVersion>> deleted(sqlite3 *db, const QString &table, QString &error);
std::optional<qint64> prune(sqlite3 *db, const QString &table, const QString &before, QString &error);

}
