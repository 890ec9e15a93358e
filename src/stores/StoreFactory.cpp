#include "stores/StoreFactory.h"

#include "stores/sqlite/SqliteStore.h"

std::unique_ptr<CatalogueStore> openCatalogueStore(const QString &location, bool readOnly, QString &error)
{
    return SqliteStore::open(location, readOnly, error);
}
