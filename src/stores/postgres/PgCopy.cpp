#include "stores/postgres/PgCopy.h"

#include "stores/postgres/PgCopyText.h"
#include "stores/postgres/PgSchema.h"
#include "stores/postgres/PgStore.h"
#include "stores/postgres/PgStoreResult.h"

#include <QCryptographicHash>
#include <QtEndian>

namespace {
using PgSchema::quoted;

// COPY sends in pieces of about this size.
constexpr qsizetype BatchBytes = 1 << 20;

QString fieldList(const QStringList &fields)
{
    QStringList names;
    for (const QString &field : fields)
        names << quoted(field);
    return names.join(u',');
}

// The first 60 bits of a value's MD5, as the server works it out in verify().
quint64 hash60(const QByteArray &value)
{
    const QByteArray digest = QCryptographicHash::hash(value, QCryptographicHash::Md5);
    return qFromBigEndian<quint64>(digest.constData()) >> 4;
}

// Whether the table has every one of the fields; error names those it lacks.
bool hasFields(const QStringList &columns, const QStringList &fields, const QString &location, const QString &table,
               QString &error)
{
    QStringList missing;
    for (const QString &field : fields) {
        if (!columns.contains(field))
            missing << field;
    }
    if (!missing.isEmpty())
        error = QStringLiteral("The table \"%1\" of the catalogue %2 is no catalogue table: it has no field %3.")
                    .arg(table, PgStore::shown(location), missing.join(QStringLiteral(", ")));
    return missing.isEmpty();
}

// The count of present values and their hashes' sum modulo 2^64, of one field
// of the rows this transaction wrote. A server that keeps its text as UTF-8
// hashes it as it is: the conversion's copy of every value was a third of the work.
QString checksumSql(const QString &field, bool utf8Server)
{
    const QString bytes = utf8Server ? quoted(field) : QStringLiteral("convert_to(%1, 'UTF8')").arg(quoted(field));
    return QStringLiteral("count(%1)::text, (coalesce(sum(('x' || left(md5(%2), 15))::bit(60)::bigint), 0) % "
                          "18446744073709551616)::text")
        .arg(quoted(field), bytes);
}
}

PgCopyIn::PgCopyIn(std::unique_ptr<PgStore> store, const QString &table, const QStringList &fields)
    : store_(std::move(store)), table_(table), fields_(fields), sums_(size_t(fields.size()))
{
}

PgCopyIn::~PgCopyIn()
{
    if (copying_) {
        PQputCopyEnd(store_->connection_, "abandoned");
        while (PGresult *rest = PQgetResult(store_->connection_))
            PQclear(rest);
    }
    if (PQtransactionStatus(store_->connection_) != PQTRANS_IDLE)
        store_->exec(QStringLiteral("ROLLBACK"));
}

std::unique_ptr<PgCopyIn> PgCopyIn::begin(const QString &location, const QString &table, const QStringList &fields,
                                          QString &error)
{
    std::unique_ptr<PgStore> store = PgStore::open(location, false, error);
    if (!store)
        return nullptr;
    std::unique_ptr<PgCopyIn> copy(new PgCopyIn(std::move(store), table, fields));
    return copy->startCopy(error) ? std::move(copy) : nullptr;
}

bool PgCopyIn::startCopy(QString &error)
{
    PgStore &store = *store_;
    // A load of a million records takes longer than any one statement of the window may.
    if (!store.execAll({QStringLiteral("BEGIN"), QStringLiteral("SET LOCAL statement_timeout = 0")}, error))
        return false;
    const std::optional<QStringList> present = store.tableColumns(table_, error);
    if (!present)
        return false;
    madeTable_ = present->isEmpty();
    if (madeTable_) {
        if (!store.execAll(PgSchema::createStatements(table_, fields_, PgSchema::Filling::Bulk), error))
            return false;
    } else if (!hasFields(*present, fields_ + QStringList{QString::fromLatin1(PgSchema::SearchColumn)},
                          store.location(), table_, error)
               || !prepareRefill(error)) {
        return false;
    }
    // Rows of a table made in this transaction may be written frozen and
    // visible to all at once, which spares the vacuum afterwards.
    const PgStore::Result start =
        store.exec(QStringLiteral("COPY %1 (%2, %3) FROM STDIN%4")
                       .arg(quoted(table_), fieldList(fields_), QLatin1String(PgSchema::SearchColumn),
                            madeTable_ ? QStringLiteral(" WITH (FREEZE)") : QString()));
    if (PQresultStatus(start.get()) != PGRES_COPY_IN) {
        error = store.describe(start);
        return false;
    }
    copying_ = true;
    return true;
}

// An empty table is filled as a new one is, when it has only the store's own
// triggers and the importing role owns it (dropping indexes needs that).
bool PgCopyIn::prepareRefill(QString &error)
{
    PgStore &store = *store_;
    const QList<QVariant> table{quoted(table_)};
    const auto refillable = [&] {
        pausedTriggers_.clear();
        const PgStore::Result probe = store.exec(
            QStringLiteral("SELECT pg_has_role(relowner, 'USAGE') AND NOT EXISTS (SELECT FROM %1), (SELECT "
                           "string_agg(CASE tgenabled WHEN 'O' THEN tgname::text ELSE '' END, ',' ORDER BY tgname) "
                           "FROM pg_trigger WHERE tgrelid = pg_class.oid AND NOT tgisinternal) FROM pg_class WHERE "
                           "oid = to_regclass($1)")
                .arg(quoted(table_)),
            table);
        if (probe.ok() && probe.text(0, 0).toString() == QLatin1String("t"))
            pausedTriggers_ = probe.text(0, 1).toString().split(u',');
        return probe.ok() && PgSchema::refillable(pausedTriggers_);
    };
    if (!refillable())
        return true;
    // Nobody may add a record between the look and the load; one added
    // before the lock leaves the load row by row.
    const PgStore::Result locked =
        store.exec(QStringLiteral("LOCK TABLE %1 IN ACCESS EXCLUSIVE MODE").arg(quoted(table_)));
    if (!locked.ok()) {
        error = store.describe(locked);
        return false;
    }
    if (!refillable())
        return true;
    const PgStore::Result indexes = store.exec(
        QStringLiteral("SELECT indexrelid::regclass::text, pg_get_indexdef(indexrelid) FROM pg_index WHERE indrelid = "
                       "to_regclass($1) AND NOT EXISTS (SELECT FROM pg_constraint WHERE conindid = indexrelid) ORDER "
                       "BY indexrelid"),
        table);
    QStringList names;
    for (int row = 0; row < indexes.rows(); ++row) {
        names << indexes.text(row, 0).toString();
        droppedIndexes_ << indexes.text(row, 1).toString();
    }
    refilling_ = indexes.ok() && store.execAll(PgSchema::beforeRefillStatements(table_, pausedTriggers_, names), error);
    if (!indexes.ok())
        error = store.describe(indexes);
    return refilling_;
}

bool PgCopyIn::add(PgConstFields fields, QString &error)
{
    ++rows_;
    for (size_t i = 0; i < fields.size(); ++i) {
        // PostgreSQL text holds no NUL character; cutting the text short would lose what follows.
        if (fields[i] && fields[i]->contains('\0')) {
            error = QStringLiteral("Record %1 holds a NUL character in %2, which a catalogue on a server cannot "
                                   "store.")
                        .arg(rows_)
                        .arg(fields_.value(qsizetype(i)));
            return false;
        }
        PgCopyText::append(batch_, fields[i]);
        batch_ += '\t';
        if (fields[i]) {
            ++sums_[i].present;
            sums_[i].sum += hash60(*fields[i]);
        }
    }
    PgCopyText::append(batch_, PgSchema::searchText(fields));
    batch_ += '\n';
    return batch_.size() < BatchBytes || send(error);
}

bool PgCopyIn::send(QString &error)
{
    if (PQputCopyData(store_->connection_, batch_.constData(), int(batch_.size())) != 1) {
        error = store_->connectionError();
        return false;
    }
    batch_.clear();
    return true;
}

bool PgCopyIn::finish(QString &error)
{
    PgStore &store = *store_;
    if (!send(error))
        return false;
    copying_ = false;
    if (PQputCopyEnd(store.connection_, nullptr) != 1) {
        error = store.connectionError();
        return false;
    }
    const PgStore::Result copied(PQgetResult(store.connection_));
    while (PGresult *rest = PQgetResult(store.connection_))
        PQclear(rest);
    if (!copied.ok()) {
        error = store.describe(copied);
        return false;
    }
    if ((madeTable_ && !store.execAll(PgSchema::afterBulkLoadStatements(table_, fields_), error))
        || (refilling_
            && !store.execAll(PgSchema::afterRefillStatements(table_, fields_, pausedTriggers_, droppedIndexes_),
                              error))
        || !verify(error) || !store.execAll({QStringLiteral("COMMIT")}, error))
        return false;
    if (madeTable_)
        return true; // copied frozen and analyzed before the commit
    // Marks the new rows visible to all, so that key scans read the sort index
    // alone; only the table's owner may, and the records are in either way.
    store.exec(QStringLiteral("SET statement_timeout = 0"));
    store.exec(QStringLiteral("VACUUM (ANALYZE) %1").arg(quoted(table_)));
    return true;
}

// The rows this transaction wrote, read back on the server: as many as were
// sent, and every field as sent.
bool PgCopyIn::verify(QString &error)
{
    const bool utf8Server = qstrcmp(PQparameterStatus(store_->connection_, "server_encoding"), "UTF8") == 0;
    QStringList sums;
    for (const QString &field : fields_)
        sums << checksumSql(field, utf8Server);
    // Given as a value, the transaction's id leaves the server free to share
    // the checksums' work among parallel workers; asked for in the query, it does not.
    const PgStore::Result transaction = store_->exec(QStringLiteral("SELECT pg_current_xact_id()::xid::text"));
    if (!transaction.ok()) {
        error = store_->describe(transaction);
        return false;
    }
    const PgStore::Result result = store_->exec(
        QStringLiteral("SELECT count(*)::text, %1 FROM %2 WHERE xmin = $1::xid").arg(sums.join(u','), quoted(table_)),
        {transaction.text(0, 0)});
    if (!result.ok()) {
        error = store_->describe(result);
        return false;
    }
    QStringList differing;
    if (result.text(0, 0).toString().toLongLong() != rows_)
        differing << QStringLiteral("the number of records");
    for (size_t i = 0; i < sums_.size(); ++i) {
        const int column = 1 + 2 * int(i);
        if (result.text(0, column).toString().toLongLong() != sums_[i].present
            || result.text(0, column + 1).toString() != QString::number(sums_[i].sum))
            differing << fields_.value(qsizetype(i));
    }
    if (!differing.isEmpty())
        error = QStringLiteral("The catalogue %1 did not get the records as they were sent (%2 differ).")
                    .arg(PgStore::shown(store_->location()), differing.join(QStringLiteral(", ")));
    return differing.isEmpty();
}

PgCopyOut::PgCopyOut(std::unique_ptr<PgStore> store) : store_(std::move(store))
{
}

PgCopyOut::~PgCopyOut()
{
    // Closing the connection ends a copy still under way; the snapshot was only read.
    if (!copying_ && PQtransactionStatus(store_->connection_) != PQTRANS_IDLE)
        store_->exec(QStringLiteral("ROLLBACK"));
}

std::unique_ptr<PgCopyOut> PgCopyOut::begin(const QString &location, const QString &table, const QStringList &fields,
                                            QString &error)
{
    std::unique_ptr<PgStore> store = PgStore::open(location, true, error);
    if (!store)
        return nullptr;
    const std::optional<QStringList> columns = store->userColumns(table, error);
    if (!columns || !hasFields(*columns, fields, location, table, error))
        return nullptr;
    std::unique_ptr<PgCopyOut> copy(new PgCopyOut(std::move(store)));
    PgStore &s = *copy->store_;
    if (!s.execAll({QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"),
                    QStringLiteral("SET LOCAL statement_timeout = 0")},
                   error))
        return nullptr;
    const PgStore::Result count = s.exec(QStringLiteral("SELECT count(*) FROM %1").arg(quoted(table)));
    copy->count_ = count.ok() ? count.int64(0, 0) : 0; // only for the progress shown
    const PgStore::Result start = s.exec(QStringLiteral("COPY (SELECT %1 FROM %2 ORDER BY %3) TO STDOUT")
                                             .arg(fieldList(fields), quoted(table), QLatin1String(PgSchema::RowId)));
    if (PQresultStatus(start.get()) != PGRES_COPY_OUT) {
        error = s.describe(start);
        return nullptr;
    }
    copy->copying_ = true;
    return copy;
}

bool PgCopyOut::next(PgFields fields, QString &error)
{
    if (!copying_)
        return false;
    char *line = nullptr;
    const int length = PQgetCopyData(store_->connection_, &line, 0);
    if (length > 0) {
        const char *p = line, *end = line + length - 1; // the line's newline
        for (std::optional<QByteArray> &field : fields) {
            const char *tab = static_cast<const char *>(memchr(p, '\t', size_t(end - p)));
            const char *fieldEnd = tab ? tab : end;
            field = PgCopyText::decode(p, fieldEnd);
            p = tab ? tab + 1 : end;
        }
        PQfreemem(line);
        return true;
    }
    copying_ = false;
    const PgStore::Result finish(PQgetResult(store_->connection_));
    while (PGresult *rest = PQgetResult(store_->connection_))
        PQclear(rest);
    if (length == -2 || !finish.ok())
        error = store_->describe(finish);
    return false;
}
