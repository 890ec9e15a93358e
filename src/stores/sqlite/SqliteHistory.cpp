#include "stores/sqlite/SqliteHistory.h"

#include "stores/LoginName.h"
#include "stores/RecordHistory.h"
#include "stores/sqlite/SqlStatement.h"

namespace {
QString describe(sqlite3 *db)
{
    return QStringLiteral("The history of the catalogue cannot be read: %1.")
        .arg(QString::fromUtf8(sqlite3_errmsg(db)));
}

// The row's values as one JSON array, NULL kept as null.
QString jsonOf(const char *row, const QStringList &columns)
{
    QStringList values;
    for (const QString &column : columns)
        values << QString::fromLatin1(row) + u'.' + quoteIdentifier(column);
    return QStringLiteral("json_array(%1)").arg(values.join(u','));
}
}

QString SqliteHistory::tableFor(const QString &table)
{
    return QStringLiteral("MorvoII history of ") + table;
}

QStringList SqliteHistory::creation(const QString &table, const QStringList &columns)
{
    const QString history = quoteIdentifier(tableFor(table));
    const QString target = quoteIdentifier(table);
    const auto job = [&](const char *row) {
        return columns.contains(QLatin1String(HistoryKeyColumn))
            ? QString::fromLatin1(row) + u'.' + quoteIdentifier(QLatin1String(HistoryKeyColumn))
            : QStringLiteral("NULL");
    };
    const QString fresh = QStringLiteral("(SELECT coalesce(max(seq), 0) + 1 FROM %1)").arg(history);
    const QString lineageOfOld =
        QStringLiteral("coalesce((SELECT lineage FROM %1 WHERE row_id = old.rowid ORDER BY seq DESC LIMIT 1), %2)")
            .arg(history, fresh);
    const auto trigger = [&](const QString &name, const QString &event, const QString &when, const QString &lineage,
                             const char *row, const char *change, const QString &before, const QString &after) {
        return QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER %2 ON %3 %4 BEGIN INSERT INTO %5 "
                              "(lineage, row_id, job, time, change, before, after) VALUES (%6, %7.rowid, %8, "
                              "strftime('%Y-%m-%dT%H:%M:%SZ', 'now'), '%9', %10, %11); END")
            .arg(quoteIdentifier(QStringLiteral("MorvoII keeps history %1 %2").arg(name, table)), event, target, when,
                 history, lineage, QString::fromLatin1(row), job(row), QString::fromLatin1(change))
            .arg(before, after);
    };
    const QString oldValues = jsonOf("old", columns), newValues = jsonOf("new", columns);
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (seq INTEGER PRIMARY KEY, lineage INTEGER NOT NULL, "
                       "row_id INTEGER NOT NULL, job TEXT, time TEXT NOT NULL, user TEXT, change TEXT NOT NULL, "
                       "before TEXT, after TEXT)")
            .arg(history),
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (job)")
            .arg(quoteIdentifier(tableFor(table) + " by job"), history),
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (row_id, seq)")
            .arg(quoteIdentifier(tableFor(table) + " by row"), history),
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (lineage, seq)")
            .arg(quoteIdentifier(tableFor(table) + " by lineage"), history),
        trigger("of inserts into", "INSERT", {}, fresh, "new", "add", "NULL", newValues),
        // An update that changes nothing is no version.
        trigger("of updates of", "UPDATE", QStringLiteral("WHEN %1 IS NOT %2").arg(oldValues, newValues), lineageOfOld,
                "new", "update", oldValues, newValues),
        trigger("of deletes from", "DELETE", {}, lineageOfOld, "old", "delete", oldValues, "NULL"),
    };
}

qint64 SqliteHistory::newest(sqlite3 *db, const QString &table)
{
    SqlStatement last(db, QStringLiteral("SELECT coalesce(max(seq), 0) FROM %1").arg(quoteIdentifier(tableFor(table))));
    return last.step() ? last.int64(0) : 0;
}

bool SqliteHistory::signSince(sqlite3 *db, const QString &table, qint64 since, const char *change)
{
    SqlStatement sign(db,
                      QStringLiteral("UPDATE %1 SET user = ?, change = coalesce(?, change) WHERE seq > ?")
                          .arg(quoteIdentifier(tableFor(table))));
    sign.bind(1, QVariant(loginName()));
    sign.bind(2, change ? QVariant(QString::fromLatin1(change)) : QVariant());
    sign.bind(3, since);
    sign.step();
    return sign.done();
}

std::optional<std::vector<RecordVersion>> SqliteHistory::versions(sqlite3 *db, const QString &table, const QString &key,
                                                                  QString &error)
{
    const QString history = quoteIdentifier(tableFor(table));
    SqlStatement select(db,
                        QStringLiteral("SELECT lineage, time, user, change, before, after, row_id FROM %1 WHERE "
                                       "lineage IN (SELECT lineage FROM %1 WHERE job = ?) ORDER BY seq")
                            .arg(history));
    select.bind(1, QVariant(key));
    std::vector<RecordHistory::Entry> entries;
    while (select.step())
        entries.push_back({select.int64(0), select.text(1).toString(), select.text(2).toString(),
                           select.text(3).toString(), select.text(4), select.text(5), select.int64(6)});
    if (!select.done()) {
        error = describe(db);
        return std::nullopt;
    }
    return RecordHistory::versionsOf(entries);
}

std::optional<std::vector<RecordVersion>> SqliteHistory::deleted(sqlite3 *db, const QString &table, QString &error)
{
    SqlStatement select(db,
                        QStringLiteral("SELECT h.lineage, h.time, h.user, h.before, h.row_id FROM %1 AS h JOIN "
                                       "(SELECT max(seq) AS seq FROM %1 GROUP BY lineage) USING (seq) WHERE "
                                       "h.change = 'delete' ORDER BY h.seq DESC")
                            .arg(quoteIdentifier(tableFor(table))));
    std::vector<RecordHistory::Entry> entries;
    while (select.step())
        entries.push_back({select.int64(0),
                           select.text(1).toString(),
                           select.text(2).toString(),
                           {},
                           select.text(3),
                           {},
                           select.int64(4)});
    if (!select.done()) {
        error = describe(db);
        return std::nullopt;
    }
    return RecordHistory::deletedOf(entries);
}

std::optional<qint64> SqliteHistory::prune(sqlite3 *db, const QString &table, const QString &before, QString &error)
{
    SqlStatement remove(db, QStringLiteral("DELETE FROM %1 WHERE time < ?").arg(quoteIdentifier(tableFor(table))));
    remove.bind(1, QVariant(before));
    remove.step();
    if (!remove.done()) {
        error = describe(db);
        return std::nullopt;
    }
    return sqlite3_changes64(db);
}
