#include "stores/postgres/PgStore.h"

#include "stores/LoginName.h"

#include "stores/postgres/PgCopyText.h"
#include "stores/postgres/PgSchema.h"
#include "stores/postgres/PgStoreResult.h"

#include <QUrl>
#include <algorithm>
#include <cstring>
#include <libpq-fe.h>
#include <utility>

namespace {
constexpr const char *ConnectTimeoutSeconds = "10";
// A statement that runs longer than this (a server under strain) fails with words, not a hang.
constexpr int StatementTimeoutMs = 30000;

PgStore::PasswordPrompt &passwordPrompt()
{
    static PgStore::PasswordPrompt prompt;
    return prompt;
}

using PgSchema::quoted;

pg_conn *connectTo(const QString &location, const QString &password)
{
    const QByteArray dbname = location.toUtf8(), secret = password.toUtf8();
    const char *keys[] = {
        "dbname", "connect_timeout", "application_name", "client_encoding", password.isEmpty() ? nullptr : "password",
        nullptr};
    const char *values[] = {dbname.constData(), ConnectTimeoutSeconds, "MorvoII", "UTF8", secret.constData(), nullptr};
    pg_conn *connection = PQconnectdbParams(keys, values, 1);
    // The server's notices ("extension exists, skipping") are no news to a user.
    PQsetNoticeProcessor(
        connection, [](void *, const char *) {}, nullptr);
    return connection;
}

// What a failed connection means for a person.
QString connectionFailure(const QString &shown, const QString &detail)
{
    if (detail.contains(QLatin1String("password")) || detail.contains(QLatin1String("authentication"))
        || detail.contains(QLatin1String("role \"")))
        return QStringLiteral("The server of the catalogue %1 refused the login (%2).").arg(shown, detail);
    if (detail.contains(QLatin1String("database \"")) && detail.contains(QLatin1String("does not exist")))
        return QStringLiteral("The catalogue %1 does not exist on its server (%2).").arg(shown, detail);
    return QStringLiteral("The server of the catalogue %1 cannot be reached (%2).").arg(shown, detail);
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    return a.isNull() == b.isNull() && a.toString() == b.toString();
}

// Text for LIKE: the needle's own % _ and \ match themselves.
QByteArray likePattern(const QByteArray &needle)
{
    QByteArray pattern = "%";
    for (const char c : needle) {
        if (c == '%' || c == '_' || c == '\\')
            pattern += '\\';
        pattern += c;
    }
    return pattern + '%';
}
}

void PgStore::setPasswordPrompt(PasswordPrompt prompt)
{
    passwordPrompt() = std::move(prompt);
}

bool PgStore::names(const QString &location)
{
    return location.startsWith(QLatin1String("postgresql://")) || location.startsWith(QLatin1String("postgres://"))
        || location.trimmed().startsWith(QLatin1String("service="));
}

QString PgStore::shown(const QString &location)
{
    QUrl url(location);
    if (url.isValid() && !url.password().isEmpty())
        url.setPassword(QStringLiteral("…"));
    return u'"'
        + (url.isValid() && names(location) && !location.trimmed().startsWith(QLatin1String("service="))
               ? url.toString()
               : location)
        + u'"';
}

PgStore::PgStore(const QString &location, pg_conn *connection, bool readOnly)
    : location_(location), connection_(connection), readOnly_(readOnly)
{
}

PgStore::~PgStore()
{
    PQfinish(connection_);
}

bool PgStore::holdsPassword(const QString &location)
{
    PQconninfoOption *options = PQconninfoParse(location.toUtf8().constData(), nullptr);
    bool holds = false;
    for (PQconninfoOption *option = options; option && option->keyword; ++option)
        holds = holds || (std::strcmp(option->keyword, "password") == 0 && option->val && *option->val);
    PQconninfoFree(options);
    return holds;
}

std::unique_ptr<PgStore> PgStore::open(const QString &location, bool readOnly, QString &error)
{
    // An address is kept in the settings file; a password in it would be kept there too.
    if (holdsPassword(location)) {
        error = QStringLiteral("The address of the catalogue %1 holds a password, which Morvo II never keeps. Put "
                               "the password in ~/.pgpass, or leave it out and type it when the server asks.")
                    .arg(shown(location));
        return nullptr;
    }
    pg_conn *connection = connectTo(location, {});
    if (PQstatus(connection) != CONNECTION_OK && PQconnectionNeedsPassword(connection) && passwordPrompt()) {
        const QString password = passwordPrompt()(shown(location));
        if (!password.isEmpty()) {
            PQfinish(connection);
            connection = connectTo(location, password);
        }
    }
    if (PQstatus(connection) != CONNECTION_OK) {
        error = connectionFailure(shown(location), QString::fromUtf8(PQerrorMessage(connection)).trimmed());
        PQfinish(connection);
        return nullptr;
    }
    std::unique_ptr<PgStore> store(new PgStore(location, connection, readOnly));
    store->exec(QStringLiteral("SET statement_timeout = %1").arg(StatementTimeoutMs));
    store->signSession();
    return store;
}

bool PgStore::create(const QString &location, const QString &table, const QStringList &fields, QString &error)
{
    std::unique_ptr<PgStore> store = open(location, false, error);
    if (!store)
        return false;
    if (store->exec(QStringLiteral("SELECT to_regclass($1)"), {quoted(table)}).text(0, 0).isValid()) {
        error = QStringLiteral("The catalogue %1 has a table \"%2\" already.").arg(shown(location), table);
        return false;
    }
    store->exec(QStringLiteral("BEGIN"));
    if (!store->execAll(PgSchema::createStatements(table, fields) << QStringLiteral("COMMIT"), error)) {
        store->exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

bool PgStore::execAll(const QStringList &statements, QString &error)
{
    for (const QString &statement : statements) {
        const Result result = exec(statement);
        if (!result.ok()) {
            error = describe(result);
            return false;
        }
    }
    return true;
}

bool PgStore::connected(QString &error)
{
    if (PQstatus(connection_) == CONNECTION_OK)
        return true;
    // The server restarted or the network dropped: the next operation connects again.
    PQreset(connection_);
    if (PQstatus(connection_) != CONNECTION_OK) {
        error = connectionError();
        return false;
    }
    exec(QStringLiteral("SET statement_timeout = %1").arg(StatementTimeoutMs));
    signSession();
    listening_.clear();
    reconnected_ = true;
    return true;
}

QString PgStore::connectionError() const
{
    return connectionFailure(shown(location_), QString::fromUtf8(PQerrorMessage(connection_)).trimmed());
}

PgStore::Result PgStore::exec(const QString &sql, const QList<QVariant> &parameters)
{
    std::vector<QByteArray> texts;
    std::vector<const char *> values;
    texts.reserve(size_t(parameters.size()));
    for (const QVariant &parameter : parameters) {
        texts.push_back(parameter.toString().toUtf8());
        values.push_back(parameter.isNull() ? nullptr : texts.back().constData());
    }
    return Result(PQexecParams(connection_, sql.toUtf8().constData(), int(values.size()), nullptr, values.data(),
                               nullptr, nullptr, 0));
}

QString PgStore::describe(const Result &result) const
{
    if (PQstatus(connection_) != CONNECTION_OK)
        return connectionError();
    const QString state = result.state(), detail = result.message();
    const QString where = shown(location_);
    if (state == QLatin1String("42501"))
        return QStringLiteral("You may not change the catalogue %1 (%2).").arg(where, detail);
    if (state == QLatin1String("55P03") || state == QLatin1String("40P01") || state == QLatin1String("40001"))
        return QStringLiteral("The catalogue %1 is locked by another program; nothing was changed (%2).")
            .arg(where, detail);
    if (state == QLatin1String("57014"))
        return QStringLiteral("The server of the catalogue %1 took too long; nothing was changed (%2).")
            .arg(where, detail);
    if (state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P")))
        return QStringLiteral("The server of the catalogue %1 cannot be reached (%2).").arg(where, detail);
    return QStringLiteral("The catalogue %1 cannot be used (%2).").arg(where, detail);
}

StoreResult PgStore::failed(const Result &result)
{
    // Worded before the rollback.
    const QString text = describe(result);
    exec(QStringLiteral("ROLLBACK"));
    return {StoreStatus::Failed, {}, text};
}

std::optional<QStringList> PgStore::tableColumns(const QString &table, QString &error)
{
    const Result result = exec(QStringLiteral("SELECT column_name FROM information_schema.columns WHERE table_schema "
                                              "= current_schema() AND table_name = $1 ORDER BY ordinal_position"),
                               {table});
    if (!result.ok()) {
        error = describe(result);
        return std::nullopt;
    }
    QStringList names;
    for (int row = 0; row < result.rows(); ++row)
        names << result.text(row, 0).toString();
    return names;
}

std::optional<QStringList> PgStore::userColumns(const QString &table, QString &error)
{
    if (const auto cached = columns_.find(table); cached != columns_.end())
        return *cached;
    if (!connected(error))
        return std::nullopt;
    std::optional<QStringList> names = tableColumns(table, error);
    if (!names)
        return std::nullopt;
    names->removeIf([](const QString &name) { return PgSchema::isStoreColumn(name); });
    if (names->isEmpty()) {
        error = QStringLiteral("The catalogue %1 has no table \"%2\".").arg(shown(location_), table);
        return std::nullopt;
    }
    columns_.insert(table, *names);
    return names;
}

std::optional<QStringList> PgStore::columns(const QString &table, QString &error)
{
    return userColumns(table, error);
}

void PgStore::listen(const QString &table)
{
    if (listening_.contains(table))
        return;
    exec(QStringLiteral("LISTEN %1").arg(quoted(PgSchema::notifyChannel(table))));
    listening_.insert(table);
}

qint64 PgStore::sizeHint(const QString &table)
{
    const Result result =
        exec(QStringLiteral("SELECT reltuples::bigint FROM pg_class WHERE oid = to_regclass($1)"), {quoted(table)});
    return result.ok() && result.rows() ? std::max<qint64>(0, result.int64(0, 0)) : 0;
}

bool PgStore::scanKeys(const QString &table, int column, const KeyVisitor &row, QString &error)
{
    const std::optional<QStringList> names = userColumns(table, error);
    if (!names)
        return false;
    const QString key = column < 0 ? QStringLiteral("NULL") : quoted(names->at(column));
    const QString order = column < 0 ? QString::fromLatin1(PgSchema::RowId) : PgSchema::sortKeySql(names->at(column));
    // COPY streams the ids and keys in sort order without holding them all in one result.
    const Result start = exec(QStringLiteral("COPY (SELECT %1, %2 FROM %3 ORDER BY %4) TO STDOUT")
                                  .arg(QLatin1String(PgSchema::RowId), key, quoted(table), order));
    if (PQresultStatus(start.get()) != PGRES_COPY_OUT) {
        error = describe(start);
        return false;
    }
    char *line = nullptr;
    int length;
    while ((length = PQgetCopyData(connection_, &line, 0)) > 0) {
        const char *end = line + length - 1; // the line's newline
        const char *tab = static_cast<const char *>(memchr(line, '\t', size_t(end - line)));
        const qint64 id = QByteArray(line, tab ? tab - line : end - line).toLongLong();
        const std::optional<QByteArray> text = tab ? PgCopyText::decode(tab + 1, end) : std::nullopt;
        row(id, {text ? text->constData() : nullptr, text ? int(text->size()) : 0});
        PQfreemem(line);
    }
    const Result finish(PQgetResult(connection_));
    while (PGresult *rest = PQgetResult(connection_))
        PQclear(rest);
    if (length == -2 || !finish.ok()) {
        error = describe(finish);
        return false;
    }
    return true;
}

std::optional<StoredRecord> PgStore::readRow(const QString &table, qint64 id, bool forUpdate, QString &error)
{
    const std::optional<QStringList> names = userColumns(table, error);
    if (!names)
        return std::nullopt;
    QStringList fields;
    for (const QString &name : *names)
        fields << quoted(name);
    const Result result =
        exec(QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 = $1%5")
                 .arg(QLatin1String(PgSchema::RowVersion), fields.join(u','), quoted(table),
                      QLatin1String(PgSchema::RowId), forUpdate ? QStringLiteral(" FOR UPDATE") : QString()),
             {id});
    if (!result.ok()) {
        error = describe(result);
        return std::nullopt;
    }
    if (result.rows() == 0)
        return std::nullopt;
    StoredRecord record{id, result.int64(0, 0), id, {}};
    for (int column = 1; column <= names->size(); ++column)
        record.values.push_back(result.text(0, column));
    return record;
}

std::optional<StoredRecord> PgStore::read(const QString &table, qint64 id, QString &error)
{
    if (!connected(error))
        return std::nullopt;
    return readRow(table, id, false, error);
}

std::optional<QStringList> PgStore::distinctValues(const QString &table, const QString &column, QString &error)
{
    if (!connected(error))
        return std::nullopt;
    const Result result =
        exec(QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %1 IS NOT NULL").arg(quoted(column), quoted(table)));
    if (!result.ok()) {
        error = describe(result);
        return std::nullopt;
    }
    QStringList values;
    for (int row = 0; row < result.rows(); ++row)
        values.append(result.text(row, 0).toString());
    return values;
}

QString PgStore::searchText(const FieldValues &values)
{
    std::vector<std::optional<QByteArray>> fields;
    for (const QVariant &value : values)
        fields.push_back(value.isNull() ? std::nullopt : std::optional(value.toString().toUtf8()));
    return QString::fromUtf8(PgSchema::searchText(fields));
}

bool PgStore::keyTakenSince(const QString &table, const StoreRules &rules, const QVariant &key, qint64 ownId,
                            bool &taken, QString &error)
{
    const std::optional<QStringList> names = userColumns(table, error);
    if (!names)
        return false;
    // One writer at a time from here to its commit: two new records cannot both pass.
    exec(QStringLiteral("SELECT pg_advisory_xact_lock(7347001)"));
    const Result result = exec(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = $1 AND %3 > $2 AND %4 <> $3 LIMIT 1")
                                   .arg(quoted(table), quoted(names->at(rules.keyColumn)),
                                        QLatin1String(PgSchema::RowVersion), QLatin1String(PgSchema::RowId)),
                               {key, rules.keySince, ownId});
    if (!result.ok()) {
        error = describe(result);
        return false;
    }
    taken = result.rows() > 0;
    return true;
}

namespace {
// PostgreSQL text holds no NUL character: such text is refused, not cut short.
QString nulRefusal(const std::map<int, QString> &values)
{
    for (const auto &value : values) {
        if (value.second.contains(QChar(0)))
            return QStringLiteral("The text holds a NUL character, which a catalogue on a server cannot store; "
                                  "nothing was changed.");
    }
    return {};
}
}

// What every change begins with: text the server can hold, a connection, the
// table's columns, and the transaction.
std::optional<QStringList> PgStore::beginChange(const QString &table, const std::map<int, QString> &values,
                                                const StoreRules &rules, QString &error)
{
    error = nulRefusal(values);
    if (!error.isEmpty() || !connected(error))
        return std::nullopt;
    keepsHistory(table);
    std::optional<QStringList> names = userColumns(table, error);
    if (!names)
        return names;
    exec(QStringLiteral("BEGIN"));
    if (rules.change) // for this transaction only
        exec(QStringLiteral("SELECT set_config('morvo.change', $1, true)"), {QString::fromLatin1(rules.change)});
    return names;
}

void PgStore::signSession()
{
    exec(QStringLiteral("SELECT set_config('morvo.login', $1, false)"), {loginName()});
}

StoreResult PgStore::update(const QString &table, const StoredRecord &asRead, const std::map<int, QString> &changes,
                            const StoreRules &rules)
{
    QString error;
    const std::optional<QStringList> names = beginChange(table, changes, rules, error);
    if (!names)
        return {StoreStatus::Failed, {}, error};
    const std::optional<StoredRecord> current = readRow(table, asRead.id, true, error);
    if (!current) {
        exec(QStringLiteral("ROLLBACK"));
        return {error.isEmpty() ? StoreStatus::Gone : StoreStatus::Failed, {}, error};
    }
    if (current->version != asRead.version) {
        const auto differs = [&](int column) {
            return !sameValue(current->values[size_t(column)], asRead.values[size_t(column)]);
        };
        bool changed = rules.keyColumn >= 0 && !changes.contains(rules.keyColumn) && differs(rules.keyColumn);
        for (const auto &change : changes)
            changed = changed || differs(change.first);
        if (changed) {
            exec(QStringLiteral("ROLLBACK"));
            return {StoreStatus::Changed, *current, {}};
        }
    }
    bool taken = false;
    if (changes.contains(rules.keyColumn)
        && (!keyTakenSince(table, rules, changes.at(rules.keyColumn), asRead.id, taken, error) || taken)) {
        exec(QStringLiteral("ROLLBACK"));
        return {error.isEmpty() ? StoreStatus::DuplicateJobNumber : StoreStatus::Failed, *current, error};
    }
    FieldValues merged = current->values;
    QStringList sets;
    QList<QVariant> parameters;
    for (const auto &[column, text] : changes) {
        merged[size_t(column)] = text;
        parameters << text;
        sets << QStringLiteral("%1 = $%2").arg(quoted(names->at(column))).arg(parameters.size());
    }
    parameters << searchText(merged) << asRead.id;
    const Result result = exec(QStringLiteral("UPDATE %1 SET %2, %3 = $%4 WHERE %5 = $%6")
                                   .arg(quoted(table), sets.join(u','), QLatin1String(PgSchema::SearchColumn))
                                   .arg(parameters.size() - 1)
                                   .arg(QLatin1String(PgSchema::RowId))
                                   .arg(parameters.size()),
                               parameters);
    if (!result.ok())
        return failed(result);
    const std::optional<StoredRecord> stored = readRow(table, asRead.id, false, error);
    const Result commit = exec(QStringLiteral("COMMIT"));
    if (!commit.ok() || !stored)
        return stored ? failed(commit) : StoreResult{StoreStatus::Failed, {}, error};
    return {StoreStatus::Done, *stored, {}};
}

StoreResult PgStore::insert(const QString &table, const std::map<int, QString> &values, const StoreRules &rules)
{
    QString error;
    const std::optional<QStringList> names = beginChange(table, values, rules, error);
    if (!names)
        return {StoreStatus::Failed, {}, error};
    bool taken = false;
    if (values.contains(rules.keyColumn)
        && (!keyTakenSince(table, rules, values.at(rules.keyColumn), -1, taken, error) || taken)) {
        exec(QStringLiteral("ROLLBACK"));
        return {error.isEmpty() ? StoreStatus::DuplicateJobNumber : StoreStatus::Failed, {}, error};
    }
    FieldValues all(size_t(names->size()));
    QStringList set, marks;
    QList<QVariant> parameters;
    for (const auto &[column, text] : values) {
        all[size_t(column)] = text;
        parameters << text;
        set << quoted(names->at(column));
        marks << QStringLiteral("$%1").arg(parameters.size());
    }
    parameters << searchText(all);
    set << QLatin1String(PgSchema::SearchColumn);
    marks << QStringLiteral("$%1").arg(parameters.size());
    const Result result =
        exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING %4")
                 .arg(quoted(table), set.join(u','), marks.join(u','), QLatin1String(PgSchema::RowId)),
             parameters);
    if (!result.ok())
        return failed(result);
    const std::optional<StoredRecord> stored = readRow(table, result.int64(0, 0), false, error);
    const Result commit = exec(QStringLiteral("COMMIT"));
    if (!commit.ok() || !stored)
        return stored ? failed(commit) : StoreResult{StoreStatus::Failed, {}, error};
    return {StoreStatus::Done, *stored, {}};
}

StoreResult PgStore::remove(const QString &table, const StoredRecord &asRead, const StoreRules &)
{
    QString error;
    if (!connected(error))
        return {StoreStatus::Failed, {}, error};
    keepsHistory(table);
    exec(QStringLiteral("BEGIN"));
    const std::optional<StoredRecord> current = readRow(table, asRead.id, true, error);
    if (!current || current->version != asRead.version) {
        exec(QStringLiteral("ROLLBACK"));
        if (current)
            return {StoreStatus::Changed, *current, {}};
        return {error.isEmpty() ? StoreStatus::Gone : StoreStatus::Failed, {}, error};
    }
    const Result result = exec(
        QStringLiteral("DELETE FROM %1 WHERE %2 = $1").arg(quoted(table), QLatin1String(PgSchema::RowId)), {asRead.id});
    if (!result.ok())
        return failed(result);
    const Result commit = exec(QStringLiteral("COMMIT"));
    if (!commit.ok())
        return failed(commit);
    return {StoreStatus::Done, *current, {}};
}

qint64 PgStore::changeCursor(const QString &table)
{
    QString error;
    if (!connected(error))
        return 0;
    listen(table);
    const Result result = exec(
        QStringLiteral("SELECT coalesce(max(change_seq), 0) FROM %1").arg(quoted(PgSchema::changeLogTable(table))));
    return result.ok() ? result.int64(0, 0) : 0;
}

bool PgStore::mayHaveChanged()
{
    if (PQstatus(connection_) != CONNECTION_OK) {
        QString error;
        return connected(error); // back again: notifications may have been missed
    }
    bool changed = std::exchange(reconnected_, false);
    PQconsumeInput(connection_);
    while (PGnotify *notification = PQnotifies(connection_)) {
        changed = true;
        PQfreemem(notification);
    }
    return changed;
}

void PgStore::setLockWait(int milliseconds)
{
    if (PQstatus(connection_) == CONNECTION_OK)
        exec(QStringLiteral("SET lock_timeout = %1").arg(milliseconds));
}

std::optional<std::vector<RecordChange>> PgStore::changesSince(const QString &table, qint64 &cursor, QString &error)
{
    if (!connected(error))
        return std::nullopt;
    listen(table);
    const Result result =
        exec(QStringLiteral("SELECT row_id, gone, change_seq FROM %1 WHERE change_seq > $1 ORDER BY change_seq")
                 .arg(quoted(PgSchema::changeLogTable(table))),
             {cursor});
    if (!result.ok()) {
        error = describe(result);
        return std::nullopt;
    }
    std::vector<RecordChange> changes;
    for (int row = 0; row < result.rows(); ++row) {
        changes.push_back(
            {result.int64(row, 0), result.text(row, 1).toString() == QLatin1String("t"), result.int64(row, 2)});
        cursor = changes.back().version;
    }
    return changes;
}

QString PgStore::readOnlyReason(const QString &table)
{
    // The window's lock asks this on its thread: answered once, and never by
    // waiting for a new connection (a store then says what is wrong).
    if (const auto known = readOnlyReasons_.constFind(table); known != readOnlyReasons_.cend())
        return *known;
    if (PQstatus(connection_) != CONNECTION_OK)
        return {};
    const Result result =
        exec(QStringLiteral("SELECT current_user, has_table_privilege($1, 'UPDATE') AND "
                            "has_table_privilege($1, 'INSERT') AND has_table_privilege($1, 'DELETE')"),
             {quoted(table)});
    if (!result.ok())
        return {};
    const QString reason = result.text(0, 1).toString() == QLatin1String("t")
        ? QString()
        : QStringLiteral("The role \"%1\" may only read the catalogue %2.")
              .arg(result.text(0, 0).toString(), shown(location_));
    readOnlyReasons_.insert(table, reason);
    return reason;
}

std::optional<qint64> PgStore::findFrom(const QString &table, int sortColumn, const SortPlace &from, bool forward,
                                        const QByteArray &needle, QString &error)
{
    const std::optional<QStringList> names = userColumns(table, error);
    if (!names || !connected(error))
        return std::nullopt;
    const QString order = PgSchema::sortKeySql(names->at(sortColumn));
    const QString direction = PgSchema::sortKeySql(names->at(sortColumn), !forward);
    // With three letters or digits the trigram index finds the few matching
    // records first, and only those are sorted; with fewer it cannot help, and
    // the walk follows the sort order until a record matches.
    const QString text = QString::fromUtf8(needle);
    const bool indexed = std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); }) >= 3;
    const QString source = indexed
        ? QStringLiteral("(SELECT %1, %2, %3 FROM %4 WHERE %5 LIKE $3 OFFSET 0) AS hits")
              .arg(QLatin1String(PgSchema::RowId), QLatin1String(PgSchema::SortNumber), quoted(names->at(sortColumn)),
                   quoted(table), QLatin1String(PgSchema::SearchColumn))
        : quoted(table);
    const QString filter = indexed ? QStringLiteral("$3 IS NOT NULL")
                                   : QStringLiteral("%1 LIKE $3").arg(QLatin1String(PgSchema::SearchColumn));
    const Result result = exec(QStringLiteral("SELECT %1 FROM %2 WHERE (%3) %4 (morvo_leading_number($1), $1 COLLATE "
                                              "\"C\", $2) AND %5 ORDER BY %6 LIMIT 1")
                                   .arg(QLatin1String(PgSchema::RowId), source, order,
                                        forward ? QStringLiteral(">=") : QStringLiteral("<="), filter, direction),
                               {QString::fromUtf8(from.key), from.id, QString::fromUtf8(likePattern(needle))});
    if (!result.ok()) {
        error = describe(result);
        return std::nullopt;
    }
    if (result.rows() == 0)
        return std::nullopt;
    return result.int64(0, 0);
}
