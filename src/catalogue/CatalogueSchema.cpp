#include "catalogue/CatalogueSchema.h"

#include "catalogue/CatalogueFields.h"
#include "stores/sqlite/SqlStatement.h"

#include <QStringList>

namespace {
QStringList quotedFields()
{
    QStringList names;
    for (const CatalogueField &f : CatalogueFields)
        names << quoteIdentifier(QString::fromUtf8(f.field));
    return names;
}
}

QString CatalogueSchema::createProjectsSql()
{
    QStringList columns;
    for (const QString &name : quotedFields())
        columns << name + QStringLiteral(" TEXT");
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(quoteIdentifier(QString::fromLatin1(ProjectsTable)), columns.join(u','));
}

QString CatalogueSchema::insertProjectSql()
{
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (?,?,?,?,?,?,?,?)")
        .arg(quoteIdentifier(QString::fromLatin1(ProjectsTable)), quotedFields().join(u','));
}

QStringList CatalogueSchema::fieldNames()
{
    QStringList names;
    for (const CatalogueField &f : CatalogueFields)
        names << QString::fromUtf8(f.field);
    return names;
}
