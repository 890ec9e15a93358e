#include "import/CatalogueTable.h"

#include "catalogue/CatalogueFields.h"
#include "stores/sqlite/SqlStatement.h"

#include <algorithm>

CatalogueTable readCatalogueTable(sqlite3 *db)
{
    CatalogueTable table;
    QStringList columns;
    SqlStatement info(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(QLatin1String(ProjectsTable))));
    while (info.step())
        columns << info.text(1).toString();
    table.exists = !columns.isEmpty();
    for (const CatalogueField &field : CatalogueFields) {
        const QString name = QString::fromUtf8(field.field);
        if (!columns.contains(name, Qt::CaseInsensitive))
            table.missing << name;
    }
    for (const QString &column : std::as_const(columns)) {
        const bool isField = std::ranges::any_of(CatalogueFields, [&](const CatalogueField &f) {
            return column.compare(QLatin1String(f.field), Qt::CaseInsensitive) == 0;
        });
        if (!isField)
            table.others << column;
    }
    return table;
}
