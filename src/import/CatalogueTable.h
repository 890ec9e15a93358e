#pragma once

#include <QStringList>

struct sqlite3;

// The table Projects of a catalogue file as it stands: which of the eight
// fields it has and which other columns.
struct CatalogueTable
{
    bool exists = false;
    QStringList missing; // catalogue fields it lacks
    QStringList others; // columns that are no catalogue field
};

CatalogueTable readCatalogueTable(sqlite3 *db);
