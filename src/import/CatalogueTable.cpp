#include "import/CatalogueTable.h"

#include "catalogue/CatalogueFields.h"

#include <algorithm>

CatalogueTable catalogueTableOf(const QStringList &columns)
{
    CatalogueTable table;
    table.exists = !columns.isEmpty();
    for (const CatalogueField &field : CatalogueFields) {
        const QString name = QString::fromUtf8(field.field);
        if (!columns.contains(name, Qt::CaseInsensitive))
            table.missing << name;
    }
    for (const QString &column : columns) {
        const bool isField = std::ranges::any_of(CatalogueFields, [&](const CatalogueField &f) {
            return column.compare(QLatin1String(f.field), Qt::CaseInsensitive) == 0;
        });
        if (!isField)
            table.others << column;
    }
    return table;
}
