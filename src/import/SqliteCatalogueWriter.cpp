#include "import/SqliteCatalogueWriter.h"

#include "catalogue/CatalogueSchema.h"
#include "import/CatalogueTable.h"
#include "import/FilePlacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <sqlite3.h>

namespace {
QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}
}

std::unique_ptr<SqliteCatalogueWriter> SqliteCatalogueWriter::newCatalogue(Names names)
{
    std::unique_ptr<SqliteCatalogueWriter> writer(new SqliteCatalogueWriter);
    writer->names_ = std::move(names);
    writer->target_ = writer->names_(0);
    return writer;
}

std::unique_ptr<SqliteCatalogueWriter> SqliteCatalogueWriter::addTo(const QString &catalogue)
{
    std::unique_ptr<SqliteCatalogueWriter> writer(new SqliteCatalogueWriter);
    writer->target_ = catalogue;
    writer->adding_ = true;
    return writer;
}

SqliteCatalogueWriter::~SqliteCatalogueWriter()
{
    abandon();
}

bool SqliteCatalogueWriter::failSqlite(const QString &what)
{
    const QString detail = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString();
    return fail(QStringLiteral("%1 (%2).").arg(what, detail));
}

bool SqliteCatalogueWriter::begin()
{
    return adding_ ? beginAdding() : beginNew();
}

bool SqliteCatalogueWriter::beginNew()
{
    int errorNumber = 0;
    temporary_ = FilePlacement::createTemporaryBeside(target_, &errorNumber);
    if (temporary_.isEmpty()) {
        folderNotWritable_ = FilePlacement::isUnwritableFolder(errorNumber);
        return fail(
            QStringLiteral("No new catalogue can be written in the folder \"%1\" (%2).")
                .arg(shown(QFileInfo(target_).absolutePath()), QString::fromLocal8Bit(std::strerror(errorNumber))));
    }
    const QString what = QStringLiteral("The new catalogue \"%1\" cannot be written").arg(shown(target_));
    if (sqlite3_open_v2(QFile::encodeName(temporary_).constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr)
        != SQLITE_OK)
        return failSqlite(what);
    // The file is not in use before it is complete and synced: no journal needed.
    const QByteArray schema = CatalogueSchema::createProjectsSql().toUtf8();
    for (const char *sql : {"PRAGMA journal_mode=OFF", "PRAGMA synchronous=OFF", schema.constData(), "BEGIN"}) {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            return failSqlite(what);
    }
    return prepareInsert();
}

bool SqliteCatalogueWriter::beginAdding()
{
    const QString what = QStringLiteral("The catalogue \"%1\" cannot be written").arg(shown(target_));
    if (sqlite3_open_v2(QFile::encodeName(target_).constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr)
        != SQLITE_OK)
        return failSqlite(what);
    sqlite3_busy_timeout(db_, 5000);
    const CatalogueTable table = readCatalogueTable(db_);
    if (!table.exists || !table.missing.isEmpty())
        return fail(
            QStringLiteral("The file \"%1\" is no catalogue: %2.")
                .arg(shown(target_),
                     table.exists
                         ? QStringLiteral("its table Projects lacks %1").arg(table.missing.join(QStringLiteral(", ")))
                         : QStringLiteral("it has no table Projects")));
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return failSqlite(what);
    return prepareInsert();
}

bool SqliteCatalogueWriter::prepareInsert()
{
    const QByteArray sql = CatalogueSchema::insertProjectSql().toUtf8();
    if (sqlite3_prepare_v2(db_, sql.constData(), -1, &insert_, nullptr) != SQLITE_OK)
        return failSqlite(QStringLiteral("The catalogue \"%1\" cannot be written").arg(shown(target_)));
    return true;
}

bool SqliteCatalogueWriter::write(const ImportRecord &record)
{
    for (size_t i = 0; i < record.size(); ++i) {
        const int place = int(i) + 1;
        if (record[i])
            sqlite3_bind_text(insert_, place, record[i]->constData(), int(record[i]->size()), SQLITE_STATIC);
        else
            sqlite3_bind_null(insert_, place);
    }
    const int rc = sqlite3_step(insert_);
    sqlite3_reset(insert_);
    if (rc != SQLITE_DONE)
        return failSqlite(QStringLiteral("A record cannot be stored in \"%1\"").arg(shown(target_)));
    return true;
}

bool SqliteCatalogueWriter::finish()
{
    sqlite3_finalize(insert_);
    insert_ = nullptr;
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        return failSqlite(QStringLiteral("The records cannot be stored in \"%1\"").arg(shown(target_)));
    const bool closed = sqlite3_close(db_) == SQLITE_OK;
    db_ = nullptr;
    if (!closed)
        return fail(QStringLiteral("The catalogue \"%1\" cannot be closed.").arg(shown(target_)));
    if (adding_)
        return true;
    if (!FilePlacement::syncFile(temporary_))
        return fail(QStringLiteral("The new catalogue \"%1\" cannot be saved to disk.").arg(shown(target_)));
    if (!FilePlacement::placeWithoutReplacing(temporary_, names_, &target_))
        return fail(QStringLiteral("The new catalogue cannot be given the name \"%1\": a file of that name exists or "
                                   "the folder cannot be written.")
                        .arg(shown(target_)));
    temporary_.clear();
    return true;
}

void SqliteCatalogueWriter::close()
{
    sqlite3_finalize(insert_);
    insert_ = nullptr;
    if (db_) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
    }
    db_ = nullptr;
}

void SqliteCatalogueWriter::abandon()
{
    close();
    if (!temporary_.isEmpty())
        QFile::remove(temporary_);
    temporary_.clear();
}
