#include "catalogue/CatalogueSchema.h"

#include "catalogue/CatalogueFields.h"
#include "stores/sqlite/SqliteBulk.h"

QString CatalogueSchema::createProjectsSql()
{
    return SqliteBulk::createTableSql(QString::fromLatin1(ProjectsTable), fieldNames());
}

QString CatalogueSchema::insertProjectSql()
{
    return SqliteBulk::insertSql(QString::fromLatin1(ProjectsTable), fieldNames());
}

QStringList CatalogueSchema::fieldNames()
{
    QStringList names;
    for (const CatalogueField &f : CatalogueFields)
        names << QString::fromUtf8(f.field);
    return names;
}
