#include "import/CatalogueRecordSource.h"

#include "catalogue/CatalogueSchema.h"
#include "import/CatalogueTable.h"
#include "stores/sqlite/SqliteBulk.h"

#include <QDir>

CatalogueRecordSource::CatalogueRecordSource(const QString &path) : path_(path)
{
}

CatalogueRecordSource::~CatalogueRecordSource() = default;

bool CatalogueRecordSource::cannotRead(const QString &why)
{
    return fail(QStringLiteral("The catalogue \"%1\" cannot be read (%2).").arg(QDir::toNativeSeparators(path_), why));
}

bool CatalogueRecordSource::open()
{
    const QString shown = QDir::toNativeSeparators(path_);
    const QString projects = QString::fromLatin1(ProjectsTable);
    QString error;
    reader_ = SqliteBulk::Reader::open(path_, error);
    const std::optional<QStringList> columns = reader_ ? reader_->columns(projects, error) : std::nullopt;
    if (!columns)
        return cannotRead(error);
    const CatalogueTable table = catalogueTableOf(*columns);
    if (!table.exists)
        return fail(QStringLiteral("The file \"%1\" is no catalogue: it has no table Projects.").arg(shown));
    if (!table.missing.isEmpty())
        return fail(QStringLiteral("The catalogue \"%1\" has no field %2.")
                        .arg(shown, table.missing.join(QStringLiteral(", "))));
    if (!table.others.isEmpty())
        notes_ << QStringLiteral("The catalogue's fields %1 are no catalogue fields; they were left out.")
                      .arg(table.others.join(QStringLiteral(", ")));
    const std::optional<qint64> count = reader_->select(projects, CatalogueSchema::fieldNames(), error);
    if (!count)
        return cannotRead(error);
    count_ = *count;
    return true;
}

bool CatalogueRecordSource::next(ImportRecord &record)
{
    QString error;
    if (reader_->next(record, error))
        return true;
    return error.isEmpty() ? false : cannotRead(error);
}
