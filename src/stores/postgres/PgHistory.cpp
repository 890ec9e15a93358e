// The server store's side of the history: made on first writable use where
// the role may, read by job number, pruned by date.
#include "stores/RecordHistory.h"
#include "stores/postgres/PgSchema.h"
#include "stores/postgres/PgStore.h"
#include "stores/postgres/PgStoreResult.h"

using PgSchema::quoted;

namespace {
// Who stored it: the desktop's login name, and the server's role.
QString userOf(const QVariant &login, const QVariant &role)
{
    return login.isNull() ? role.toString() : QStringLiteral("%1 (role %2)").arg(login.toString(), role.toString());
}
}

bool PgStore::keepsHistory(const QString &table)
{
    if (const auto known = keepsHistory_.constFind(table); known != keepsHistory_.cend())
        return *known;
    QString error;
    if (!connected(error))
        return false;
    const Result probe = exec(QStringLiteral("SELECT EXISTS (SELECT 1 FROM pg_trigger WHERE tgrelid = to_regclass($1) "
                                             "AND tgname = 'history') AND to_regclass($2) IS NOT NULL"),
                              {quoted(table), quoted(PgSchema::historyTable(table))});
    bool keeps = probe.ok() && probe.text(0, 0).toString() == QLatin1String("t");
    const std::optional<QStringList> fields = keeps || readOnly_ ? std::nullopt : userColumns(table, error);
    if (fields) {
        // An older catalogue gets its history where the role may add it.
        exec(QStringLiteral("BEGIN"));
        keeps = execAll(PgSchema::historyStatements(table, *fields) << QStringLiteral("COMMIT"), error);
        if (!keeps)
            exec(QStringLiteral("ROLLBACK"));
    }
    keepsHistory_.insert(table, keeps);
    return keeps;
}

std::optional<std::vector<RecordVersion>> PgStore::versions(const QString &table, const QString &key, QString &error)
{
    if (!keepsHistory(table))
        return CatalogueStore::versions(table, key, error);
    const Result result = exec(QStringLiteral("SELECT row_id, %1, login, role, change, before::text, after::text FROM "
                                              "%2 WHERE row_id IN (SELECT row_id FROM %2 WHERE job = $1) ORDER BY seq")
                                   .arg(PgSchema::historyTimeSql(), quoted(PgSchema::historyTable(table))),
                               {key});
    if (!result.ok()) {
        error = describe(result);
        return std::nullopt;
    }
    std::vector<RecordHistory::Entry> entries;
    for (int row = 0; row < result.rows(); ++row)
        entries.push_back({result.int64(row, 0), result.text(row, 1).toString(),
                           userOf(result.text(row, 2), result.text(row, 3)), result.text(row, 4).toString(),
                           result.text(row, 5), result.text(row, 6), result.int64(row, 0)});
    return RecordHistory::versionsOf(entries);
}

std::optional<std::vector<RecordVersion>> PgStore::deletedRecords(const QString &table, QString &error)
{
    if (!keepsHistory(table))
        return CatalogueStore::deletedRecords(table, error);
    const Result result = exec(QStringLiteral("SELECT row_id, %1, login, role, before::text FROM %2 JOIN (SELECT "
                                              "max(seq) AS seq FROM %2 GROUP BY row_id) AS newest USING (seq) WHERE "
                                              "change = 'delete' ORDER BY seq DESC")
                                   .arg(PgSchema::historyTimeSql(), quoted(PgSchema::historyTable(table))));
    if (!result.ok()) {
        error = describe(result);
        return std::nullopt;
    }
    std::vector<RecordHistory::Entry> entries;
    for (int row = 0; row < result.rows(); ++row)
        entries.push_back({result.int64(row, 0),
                           result.text(row, 1).toString(),
                           userOf(result.text(row, 2), result.text(row, 3)),
                           {},
                           result.text(row, 4),
                           {},
                           result.int64(row, 0)});
    return RecordHistory::deletedOf(entries);
}

std::optional<qint64> PgStore::pruneHistory(const QString &table, const QString &before, QString &error)
{
    if (!keepsHistory(table))
        return CatalogueStore::pruneHistory(table, before, error);
    const Result result = exec(QStringLiteral("WITH gone AS (DELETE FROM %1 WHERE time < $1::timestamptz RETURNING 1) "
                                              "SELECT count(*) FROM gone")
                                   .arg(quoted(PgSchema::historyTable(table))),
                               {before});
    if (!result.ok()) {
        error = describe(result);
        return std::nullopt;
    }
    return result.int64(0, 0);
}
