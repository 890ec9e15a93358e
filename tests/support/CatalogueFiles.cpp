#include "CatalogueFiles.h"

#include "catalogue/CatalogueSchema.h"
#include "catalogue/DataEnvironment1.h"
#include "stores/postgres/PgStore.h"
#include "stores/sqlite/SqlStatement.h"

#include <QFile>
#include <libpq-fe.h>

namespace TestSupport {

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

namespace {
// Runs one statement on the test server; its rows' first column.
QList<QVariant> onServer(const QString &location, const QString &sql)
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

QString serverCatalogue(const QString &path, const QList<Record> &records)
{
    const QString server = qEnvironmentVariable("MORVO_TEST_PG");
    const QString schema = QStringLiteral("c") + QString::number(qHash(path), 16);
    onServer(server, QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; CREATE SCHEMA %1").arg(schema));
    const QString location =
        server + QStringLiteral("&options=-csearch_path%3D") + schema + QStringLiteral("%2Cpublic");
    QString error;
    if (!PgStore::create(location, QStringLiteral("Projects"), CatalogueSchema::fieldNames(), error))
        qWarning("test server: %s", qPrintable(error));
    // One transaction for all, as a fast writer of a large catalogue would.
    QStringList columns, marks;
    for (int i = 0; i < CatalogueSchema::fieldNames().size(); ++i) {
        columns << quoteIdentifier(CatalogueSchema::fieldNames()[i]);
        marks << QStringLiteral("$%1").arg(i + 1);
    }
    const QByteArray insert = QStringLiteral("INSERT INTO \"Projects\" (%1, search_text) VALUES (%2, $9)")
                                  .arg(columns.join(u','), marks.join(u','))
                                  .toUtf8();
    PGconn *connection = PQconnectdb(location.toUtf8().constData());
    PQclear(PQexec(connection, "BEGIN"));
    for (const Record &r : records) {
        FieldValues values(8);
        std::vector<QByteArray> texts(9);
        const char *parameters[9];
        for (int i = 0; i < 8; ++i) {
            values[size_t(i)] = r.value(i);
            texts[size_t(i)] = r.value(i).toString().toUtf8();
            parameters[i] = r.value(i).isNull() ? nullptr : texts[size_t(i)].constData();
        }
        texts[8] = PgStore::searchText(values).toUtf8();
        parameters[8] = texts[8].constData();
        PQclear(PQexecParams(connection, insert.constData(), 9, nullptr, parameters, nullptr, nullptr, 0));
    }
    PQclear(PQexec(connection, "COMMIT"));
    PQfinish(connection);
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
        return onServer(path,
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
