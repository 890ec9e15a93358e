#pragma once

#include "stores/CatalogueStore.h"

#include <memory>

// Opens the store that a catalogue location names: today a SQLite file.
// Nothing and a worded error when the catalogue cannot be opened.
std::unique_ptr<CatalogueStore> openCatalogueStore(const QString &location, bool readOnly, QString &error);
