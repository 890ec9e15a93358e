#include "stores/StoreFactory.h"

#include "stores/postgres/PgStore.h"
#include "stores/sqlite/SqliteStore.h"

bool namesServer(const QString &location)
{
    return PgStore::names(location);
}

std::unique_ptr<CatalogueStore> openCatalogueStore(const QString &location, bool readOnly, QString &error)
{
    if (PgStore::names(location))
        return PgStore::open(location, readOnly, error);
    return SqliteStore::open(location, readOnly, error);
}
