#pragma once

#include "import/CatalogueWriter.h"

#include <memory>

// The catalogue an import adds its records to, by what its location names: a
// catalogue on a PostgreSQL server, or a catalogue file (made anew when there
// is none). Other kinds of store are further rows of the table in
// CatalogueTarget.cpp.
struct CatalogueTarget
{
    std::unique_ptr<CatalogueWriter> writer; // null when refused
    QString refusal;
};

CatalogueTarget catalogueTargetFor(const QString &location);
