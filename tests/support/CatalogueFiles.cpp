#include "CatalogueFiles.h"

#include "catalogue/CatalogueSchema.h"
#include "catalogue/DataEnvironment1.h"
#include "stores/sqlite/SqlStatement.h"

#include <QFile>

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

QString writeCatalogue(const QString &path, const QList<Record> &records)
{
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
    QList<QVariant> values;
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
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
