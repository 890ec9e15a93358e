#include "stores/postgres/PgSchema.h"

#include "stores/CatalogueStore.h"
#include "stores/SearchKey.h"

namespace {
// Every writer takes this lock before its change gets its number, so numbers
// are committed in order and a reader that has seen number n has seen all
// below it.
constexpr const char *ChangeOrderLock = "pg_advisory_xact_lock(7347001)";
constexpr const char *HistoryTrigger = "history";
}

QString PgSchema::quoted(const QString &name)
{
    QString text = name;
    text.replace(u'"', QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

QString PgSchema::changeLogTable(const QString &table)
{
    return table + QStringLiteral(" changes");
}

QString PgSchema::historyTable(const QString &table)
{
    return table + QStringLiteral(" history");
}

QString PgSchema::historyTimeSql()
{
    return QStringLiteral("to_char(time AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"')");
}

namespace {
// One entry of the history as the trigger writes it: the row, its job number,
// the kind (the session's word first), before, after.
struct HistoryEntry
{
    QString columns, values;
};
HistoryEntry historyEntry(const QString &table, const QStringList &fields, const char *row, const char *change,
                          const QString &before, const QString &after)
{
    using PgSchema::quoted;
    const bool keyed = fields.contains(QLatin1String(HistoryKeyColumn));
    const QString job =
        keyed ? QString::fromLatin1(row) + u'.' + quoted(QLatin1String(HistoryKeyColumn)) : QStringLiteral("NULL");
    return {QStringLiteral("INSERT INTO %1 (row_id, job, login, change, before, after)")
                .arg(quoted(PgSchema::historyTable(table))),
            QStringLiteral("%1.row_id, %2, nullif(current_setting('morvo.login', true), ''), coalesce(nullif("
                           "current_setting('morvo.change', true), ''), '%3'), %4, %5")
                .arg(QString::fromLatin1(row), job, QString::fromLatin1(change), before, after)};
}

QString jsonOf(const char *row, const QStringList &fields)
{
    QStringList values;
    for (const QString &field : fields)
        values << QString::fromLatin1(row) + u'.' + PgSchema::quoted(field);
    return QStringLiteral("json_build_array(%1)").arg(values.join(u','));
}
}

QStringList PgSchema::historyStatements(const QString &table, const QStringList &fields)
{
    const QString history = quoted(historyTable(table)), function = quoted(table + QStringLiteral(" keeps history"));
    QStringList changed;
    for (const QString &field : fields)
        changed << QStringLiteral("NEW.%1 IS DISTINCT FROM OLD.%1").arg(quoted(field));
    const auto entry = [&](const char *row, const char *change, const QString &before, const QString &after) {
        const HistoryEntry e = historyEntry(table, fields, row, change, before, after);
        return e.columns + QStringLiteral(" VALUES (") + e.values + QStringLiteral(");");
    };
    const QString oldJson = jsonOf("OLD", fields), newJson = jsonOf("NEW", fields);
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (seq bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, row_id "
                       "bigint NOT NULL, job text, time timestamptz NOT NULL DEFAULT now(), login text, role text NOT "
                       "NULL DEFAULT current_user, change text NOT NULL, before json, after json)")
            .arg(history),
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (job)")
            .arg(quoted(historyTable(table) + QStringLiteral(" by job")), history),
        QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (row_id, seq)")
            .arg(quoted(historyTable(table) + QStringLiteral(" by row")), history),
        QStringLiteral("CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN IF TG_OP = "
                       "'INSERT' THEN %2 ELSIF TG_OP = 'UPDATE' THEN IF %3 THEN %4 END IF; ELSE %5 END IF; RETURN "
                       "NULL; END $$")
            .arg(function, entry("NEW", "add", QStringLiteral("NULL"), newJson), changed.join(QStringLiteral(" OR ")),
                 entry("NEW", "update", oldJson, newJson), entry("OLD", "delete", oldJson, QStringLiteral("NULL"))),
        QStringLiteral("CREATE OR REPLACE TRIGGER %3 AFTER INSERT OR UPDATE OR DELETE ON %1 FOR EACH ROW "
                       "EXECUTE FUNCTION %2()")
            .arg(quoted(table), function, QLatin1String(HistoryTrigger)),
    };
}

QString PgSchema::notifyChannel(const QString &table)
{
    return QStringLiteral("morvo ") + table;
}

bool PgSchema::isStoreColumn(const QString &column)
{
    return column == QLatin1String(RowId) || column == QLatin1String(RowVersion) || column == QLatin1String(SortNumber)
        || column == QLatin1String(SearchColumn);
}

QString PgSchema::sortKeySql(const QString &sortField, bool descending)
{
    const QString direction = descending ? QStringLiteral(" DESC") : QString();
    return QStringLiteral("%1%4, (coalesce(%2, '') COLLATE \"C\")%4, %3%4")
        .arg(QLatin1String(SortNumber), quoted(sortField), QLatin1String(RowId), direction);
}

QByteArray PgSchema::searchText(std::span<const std::optional<QByteArray>> fields)
{
    std::string text;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            text += FieldSeparator;
        if (fields[i])
            SearchKey::appendUpper(text, fields[i]->constData(), int(fields[i]->size()));
    }
    return QByteArray(text.data(), qsizetype(text.size()));
}

namespace {
using PgSchema::quoted;

QString sequenceOf(const QString &table)
{
    return quoted(table + QStringLiteral(" change seq"));
}

QStringList tableStatements(const QString &table, const QStringList &fields)
{
    using namespace PgSchema;
    const QString t = quoted(table), log = quoted(changeLogTable(table));
    QStringList columns;
    for (const QString &field : fields)
        columns << quoted(field) + QStringLiteral(" text");
    return {
        QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_trgm"),
        QStringLiteral("CREATE SEQUENCE %1").arg(sequenceOf(table)),
        // The job number's leading decimal number, blanks ignored, as the program reads it;
        // one expression without a subquery, so that the server inlines it rather than call it per record.
        QStringLiteral("CREATE OR REPLACE FUNCTION morvo_leading_number(t text) RETURNS double precision LANGUAGE "
                       "sql IMMUTABLE PARALLEL SAFE AS $$ SELECT coalesce(left(substring(regexp_replace(t, "
                       "'[ \\t\\n\\r]', '', 'g') FROM '^[+-]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)'), 64)::double "
                       "precision, 0) $$"),
        QStringLiteral("CREATE TABLE %1 (%2 bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, %3 bigint NOT NULL "
                       "DEFAULT 0, %4, %5 double precision GENERATED ALWAYS AS (morvo_leading_number(%6)) STORED, "
                       "%7 text)")
            .arg(t, QLatin1String(RowId), QLatin1String(RowVersion), columns.join(QStringLiteral(", ")),
                 QLatin1String(SortNumber), quoted(fields.value(0)), QLatin1String(SearchColumn)),
        QStringLiteral("CREATE TABLE %1 (row_id bigint PRIMARY KEY, change_seq bigint NOT NULL, gone boolean NOT NULL)")
            .arg(log),
        QStringLiteral("CREATE INDEX ON %1 (change_seq)").arg(log),
    };
}

// Until a load ends, versions come straight from the sequence; afterwards the trigger draws them.
QString versionsFromSequence(const QString &table)
{
    return QStringLiteral("ALTER TABLE %1 ALTER %2 SET DEFAULT nextval('%3')")
        .arg(quoted(table), QLatin1String(PgSchema::RowVersion), sequenceOf(table));
}

QString versionsFromTrigger(const QString &table)
{
    return QStringLiteral("ALTER TABLE %1 ALTER %2 SET DEFAULT 0")
        .arg(quoted(table), QLatin1String(PgSchema::RowVersion));
}

// A row of the change log written again moves its number on and is no longer gone.
constexpr const char *LoggedAgain = "ON CONFLICT (row_id) DO UPDATE SET change_seq = excluded.change_seq, gone = false";

// The walks' and the sort's indexes.
QStringList indexStatements(const QString &table, const QStringList &fields)
{
    using namespace PgSchema;
    const QString t = quoted(table);
    return {
        // The key itself rides along, so that the window's key scan reads the index alone.
        QStringLiteral("CREATE INDEX ON %1 (%2) INCLUDE (%3)")
            .arg(t, sortKeySql(fields.value(0)), quoted(fields.value(0))),
        QStringLiteral("CREATE INDEX ON %1 (%2)").arg(t, quoted(fields.value(0))),
        QStringLiteral("CREATE INDEX ON %1 USING gin (%2 gin_trgm_ops)").arg(t, QLatin1String(SearchColumn)),
    };
}

// The triggers that keep versions, the log and the notifications.
QStringList triggerStatements(const QString &table, const QStringList &fields)
{
    using namespace PgSchema;
    const QString t = quoted(table), log = quoted(changeLogTable(table)), seq = sequenceOf(table);
    QStringList fieldsOfNew, fieldsOfOld;
    for (const QString &field : fields) {
        fieldsOfNew << QStringLiteral("coalesce(NEW.%1, '')").arg(quoted(field));
        fieldsOfOld << QStringLiteral("NEW.%1 IS DISTINCT FROM OLD.%1").arg(quoted(field));
    }
    return {
        // Every store moves the version on; text stored by other tools is
        // upper-cased by the server for the search column.
        QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN PERFORM %2; "
                       "NEW.%3 := nextval('%4'); IF NEW.%5 IS NULL OR (TG_OP = 'UPDATE' AND NEW.%5 IS NOT DISTINCT "
                       "FROM OLD.%5 AND (%6)) THEN NEW.%5 := upper(concat_ws(chr(1), %7)); END IF; RETURN NEW; END $$")
            .arg(quoted(table + QStringLiteral(" versions")), QLatin1String(ChangeOrderLock), QLatin1String(RowVersion),
                 seq, QLatin1String(SearchColumn), fieldsOfOld.join(QStringLiteral(" OR ")),
                 fieldsOfNew.join(QStringLiteral(", "))),
        QStringLiteral("CREATE TRIGGER versions BEFORE INSERT OR UPDATE ON %1 FOR EACH ROW EXECUTE FUNCTION %2()")
            .arg(t, quoted(table + QStringLiteral(" versions"))),
        QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN IF TG_OP = 'DELETE' THEN "
                       "PERFORM %2; INSERT INTO %3 VALUES (OLD.row_id, nextval('%4'), true) ON CONFLICT (row_id) DO "
                       "UPDATE SET change_seq = excluded.change_seq, gone = true; ELSE INSERT INTO %3 VALUES "
                       "(NEW.row_id, NEW.row_version, false) %6; END IF; PERFORM pg_notify('%5', ''); RETURN NULL; "
                       "END $$")
            .arg(quoted(table + QStringLiteral(" log")), QLatin1String(ChangeOrderLock), log, seq, notifyChannel(table),
                 QLatin1String(LoggedAgain)),
        QStringLiteral("CREATE TRIGGER log AFTER INSERT OR UPDATE OR DELETE ON %1 FOR EACH ROW EXECUTE FUNCTION %2()")
            .arg(t, quoted(table + QStringLiteral(" log"))),
    };
}
}

QStringList PgSchema::createStatements(const QString &table, const QStringList &fields, Filling filling)
{
    if (filling == Filling::Empty)
        return tableStatements(table, fields) + indexStatements(table, fields) + triggerStatements(table, fields)
            + historyStatements(table, fields);
    return tableStatements(table, fields) << versionsFromSequence(table);
}

QStringList PgSchema::afterBulkLoadStatements(const QString &table, const QStringList &fields)
{
    return QStringList{versionsFromTrigger(table)} + indexStatements(table, fields) + triggerStatements(table, fields)
        + historyStatements(table, fields)
        << QStringLiteral("ANALYZE %1").arg(quoted(table));
}

bool PgSchema::refillable(const QStringList &triggers)
{
    const QStringList own{QStringLiteral("log"), QStringLiteral("versions")};
    return triggers == own || triggers == QStringList{QLatin1String(HistoryTrigger)} + own;
}

QStringList PgSchema::beforeRefillStatements(const QString &table, const QStringList &triggers,
                                             const QStringList &indexes)
{
    QStringList statements{QStringLiteral("SELECT %1").arg(QLatin1String(ChangeOrderLock)),
                           versionsFromSequence(table)};
    for (const QString &trigger : triggers)
        statements << QStringLiteral("ALTER TABLE %1 DISABLE TRIGGER %2").arg(quoted(table), quoted(trigger));
    for (const QString &index : indexes)
        statements << QStringLiteral("DROP INDEX %1").arg(index);
    return statements;
}

QStringList PgSchema::afterRefillStatements(const QString &table, const QStringList &fields,
                                            const QStringList &triggers, const QStringList &indexDefinitions)
{
    const QString t = quoted(table), log = quoted(changeLogTable(table));
    QStringList statements{
        versionsFromTrigger(table),
        // Rows already in the log are moved on first, so that the rest go in by
        // a plain insert: one with ON CONFLICT took twice as long.
        QStringLiteral("UPDATE %1 AS log SET change_seq = NEW.row_version, gone = false FROM %2 AS NEW WHERE "
                       "log.row_id = NEW.row_id")
            .arg(log, t),
        QStringLiteral("INSERT INTO %1 SELECT row_id, row_version, false FROM %2 AS NEW WHERE NOT EXISTS (SELECT "
                       "FROM %1 AS log WHERE log.row_id = NEW.row_id)")
            .arg(log, t),
        QStringLiteral("SELECT pg_notify('%1', '')").arg(notifyChannel(table).replace(u'\'', QStringLiteral("''"))),
    };
    if (triggers.contains(QLatin1String(HistoryTrigger))) {
        // In the order the trigger would have written them, one per record.
        const HistoryEntry added =
            historyEntry(table, fields, "NEW", "add", QStringLiteral("NULL"), jsonOf("NEW", fields));
        statements << QStringLiteral("%1 SELECT %2 FROM %3 AS NEW ORDER BY row_id").arg(added.columns, added.values, t);
    }
    statements += indexDefinitions;
    for (const QString &trigger : triggers)
        statements << QStringLiteral("ALTER TABLE %1 ENABLE TRIGGER %2").arg(t, quoted(trigger));
    return statements;
}
