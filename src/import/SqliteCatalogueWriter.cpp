#include "import/SqliteCatalogueWriter.h"

#include "catalogue/CatalogueSchema.h"
#include "import/CatalogueTable.h"
#include "import/FilePlacement.h"
#include "stores/sqlite/SqliteBulk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace {
QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString projects()
{
    return QString::fromLatin1(ProjectsTable);
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

bool SqliteCatalogueWriter::failSqlite(const QString &what, const QString &why)
{
    return fail(QStringLiteral("%1 (%2).").arg(what, why));
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
    QString error;
    writer_ = SqliteBulk::Writer::intoNewFile(temporary_, projects(), CatalogueSchema::fieldNames(), error);
    if (!writer_)
        return failSqlite(QStringLiteral("The new catalogue \"%1\" cannot be written").arg(shown(target_)), error);
    return true;
}

bool SqliteCatalogueWriter::beginAdding()
{
    QString error;
    const std::unique_ptr<SqliteBulk::Reader> reader = SqliteBulk::Reader::open(target_, error);
    const std::optional<QStringList> columns = reader ? reader->columns(projects(), error) : std::nullopt;
    if (!columns)
        return failSqlite(QStringLiteral("The catalogue \"%1\" cannot be written").arg(shown(target_)), error);
    const CatalogueTable table = catalogueTableOf(*columns);
    if (!table.exists || !table.missing.isEmpty())
        return fail(
            QStringLiteral("The file \"%1\" is no catalogue: %2.")
                .arg(shown(target_),
                     table.exists
                         ? QStringLiteral("its table Projects lacks %1").arg(table.missing.join(QStringLiteral(", ")))
                         : QStringLiteral("it has no table Projects")));
    writer_ = SqliteBulk::Writer::intoFile(target_, projects(), CatalogueSchema::fieldNames(), error);
    if (!writer_)
        return failSqlite(QStringLiteral("The catalogue \"%1\" cannot be written").arg(shown(target_)), error);
    return true;
}

bool SqliteCatalogueWriter::write(const ImportRecord &record)
{
    QString error;
    if (writer_->write(record, error))
        return true;
    return failSqlite(QStringLiteral("A record cannot be stored in \"%1\"").arg(shown(target_)), error);
}

bool SqliteCatalogueWriter::finish()
{
    QString error;
    const bool stored = writer_->commit(error);
    writer_.reset();
    if (!stored)
        return failSqlite(QStringLiteral("The records cannot be stored in \"%1\"").arg(shown(target_)), error);
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

void SqliteCatalogueWriter::abandon()
{
    writer_.reset(); // what was not committed goes
    if (!temporary_.isEmpty())
        QFile::remove(temporary_);
    temporary_.clear();
}
