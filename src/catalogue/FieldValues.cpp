#include "catalogue/FieldValues.h"

#include "catalogue/CatalogueFields.h"
#include "stores/sqlite/SqlStatement.h"

#include <QFile>

std::optional<QStringList> distinctFieldValues(const QString &catalogue, const QString &field)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(catalogue).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return std::nullopt;
    }
    sqlite3_busy_timeout(db, 2000);
    std::optional<QStringList> values;
    {
        SqlStatement select(db,
                            QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %1 IS NOT NULL")
                                .arg(quoteIdentifier(field), quoteIdentifier(QLatin1String(ProjectsTable))));
        if (select.ok()) {
            values.emplace();
            while (select.step())
                values->append(select.text(0).toString());
            if (!select.done())
                values.reset();
        }
    }
    sqlite3_close(db);
    return values;
}
