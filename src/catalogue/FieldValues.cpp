#include "catalogue/FieldValues.h"

#include "catalogue/CatalogueFields.h"
#include "stores/StoreFactory.h"

std::optional<QStringList> distinctFieldValues(const QString &catalogue, const QString &field)
{
    QString error;
    const std::unique_ptr<CatalogueStore> store = openCatalogueStore(catalogue, true, error);
    return store ? store->distinctValues(QString::fromLatin1(ProjectsTable), field, error) : std::nullopt;
}
