#pragma once

#include "stores/CatalogueStore.h"

#include <memory>

// Opens the store that a catalogue location names: a PostgreSQL server for a
// postgresql:// or postgres:// URI or a "service=…" string, a SQLite file for
// anything else. Nothing and a worded error when it cannot be opened.
std::unique_ptr<CatalogueStore> openCatalogueStore(const QString &location, bool readOnly, QString &error);

// True when the location names a database server rather than a file.
bool namesServer(const QString &location);
