#include "CatalogueFiles.h"

#include "catalogue/CatalogueSchema.h"
#include "catalogue/DataEnvironment1.h"
#include "stores/postgres/PgCopy.h"
#include "stores/postgres/PgStore.h"
#include "stores/sqlite/SqlStatement.h"

#include <QFile>
#include <fcntl.h>
#include <libpq-fe.h>
#include <sys/stat.h>

namespace TestSupport {

bool keepsBirthTimes(const QString &path)
{
    struct statx info = {};
    return ::statx(AT_FDCWD, QFile::encodeName(path).constData(), 0, STATX_BTIME, &info) == 0
        && (info.stx_mask & STATX_BTIME);
}

QString runSqlOnFile(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return QStringLiteral("cannot open ") + path;
    }
    sqlite3_busy_timeout(db, 5000);
    char *error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const QString message = rc == SQLITE_OK ? QString() : QString::fromUtf8(error ? error : "failed");
    sqlite3_free(error);
    sqlite3_close(db);
    return message;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFileBytes(const QString &path, const QByteArray &bytes, QIODevice::OpenMode mode)
{
    QFile file(path);
    return file.open(mode) && file.write(bytes) == bytes.size();
}

Record record(const QString &jobNumber, const QString &name, const QString &fileLocation)
{
    return {jobNumber,
            name,
            QStringLiteral("Description of ") + name,
            QStringLiteral("Client"),
            QStringLiteral("County"),
            QStringLiteral("01/02/2025"),
            QStringLiteral("Manager"),
            fileLocation.isNull() ? QVariant() : QVariant(fileLocation)};
}

bool usingServer()
{
    return qEnvironmentVariable("MORVO_TEST_STORE") == QLatin1String("postgres");
}

QList<QVariant> queryServer(const QString &location, const QString &sql)
{
    QList<QVariant> values;
    PGconn *connection = PQconnectdb(location.toUtf8().constData());
    PGresult *result = PQexec(connection, sql.toUtf8().constData());
    if (PQresultStatus(result) != PGRES_COMMAND_OK && PQresultStatus(result) != PGRES_TUPLES_OK)
        qWarning("test server: %s", PQresultErrorMessage(result));
    for (int row = 0; row < PQntuples(result); ++row)
        values << (PQgetisnull(result, row, 0) ? QVariant() : QVariant(QString::fromUtf8(PQgetvalue(result, row, 0))));
    PQclear(result);
    PQfinish(connection);
    return values;
}

QString serverSchema(const QString &path)
{
    const QString server = qEnvironmentVariable("MORVO_TEST_PG");
    const QString schema = QStringLiteral("c") + QString::number(qHash(path), 16);
    queryServer(server, QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; CREATE SCHEMA %1").arg(schema));
    return server + QStringLiteral("&options=-csearch_path%3D") + schema + QStringLiteral("%2Cpublic");
}

namespace {
// The records copied in as an import would copy them, in one transaction.
QString serverCatalogue(const QString &path, const QList<Record> &records)
{
    const QString location = serverSchema(path);
    QString error;
    std::unique_ptr<PgCopyIn> copy =
        PgCopyIn::begin(location, QStringLiteral("Projects"), CatalogueSchema::fieldNames(), error);
    for (const Record &r : records) {
        std::vector<std::optional<QByteArray>> fields;
        for (int i = 0; i < 8; ++i)
            fields.push_back(r.value(i).isNull() ? std::nullopt : std::optional(r.value(i).toString().toUtf8()));
        if (copy && !copy->add(fields, error))
            break;
    }
    if (!copy || !copy->finish(error))
        qWarning("test server: %s", qPrintable(error));
    return location;
}
}

QString writeCatalogue(const QString &path, const QList<Record> &records)
{
    if (usingServer())
        return serverCatalogue(path, records);
    QFile::remove(path);
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_exec(db, CatalogueSchema::createProjectsSql().toUtf8().constData(), nullptr, nullptr, nullptr);
    {
        SqlStatement insert(db, CatalogueSchema::insertProjectSql());
        for (const Record &r : records) {
            sqlite3_reset(insert.get());
            for (int i = 0; i < 8; ++i)
                insert.bind(i + 1, i < r.size() ? r[i] : QVariant());
            insert.step();
        }
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return path;
}

QList<QVariant> fieldInFile(const QString &path, const QString &field)
{
    if (PgStore::names(path))
        return queryServer(path,
                           QStringLiteral("SELECT %1 FROM \"Projects\" ORDER BY row_id").arg(quoteIdentifier(field)));
    QList<QVariant> values;
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_busy_timeout(db, 5000); // the program under test may be in the middle of a store
    {
        SqlStatement select(db, QStringLiteral("SELECT %1 FROM Projects ORDER BY rowid").arg(quoteIdentifier(field)));
        while (select.step())
            values << select.text(0);
    }
    sqlite3_close(db);
    return values;
}

QStringList jobNumbersInFile(const QString &path)
{
    QStringList numbers;
    for (const QVariant &v : fieldInFile(path, QStringLiteral("JobNumber")))
        numbers << v.toString();
    return numbers;
}

CatalogueLock::CatalogueLock(const QString &path)
{
    sqlite3_open(path.toUtf8().constData(), &db_);
    sqlite3_busy_timeout(db_, 5000); // the program's daily backup may be reading the file
    held_ = sqlite3_exec(db_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
}

CatalogueLock::~CatalogueLock()
{
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
}

CatalogueSandbox::CatalogueSandbox()
{
    DataEnvironment1::reset();
}

CatalogueSandbox::~CatalogueSandbox()
{
    DataEnvironment1::reset();
}
}
