#pragma once

#include "forms/convert/CatalogueLocation.h"

// A catalogue of the Windows version (a Jet file, told by its header).
bool isWindowsCatalogue(const QString &location);

// Asks whether to convert it; converts it into a new catalogue beside it (or
// in the user's data folder) behind a progress dialog, and stores the copy
// as "DbsLocation". The original is only read.
PreparedCatalogue convertWindowsCatalogue(const QString &location);
