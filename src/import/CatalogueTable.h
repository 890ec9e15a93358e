#pragma once

#include <QStringList>

// The table Projects of a catalogue file as it stands: which of the eight
// fields it has and which other columns.
struct CatalogueTable
{
    bool exists = false;
    QStringList missing; // catalogue fields it lacks
    QStringList others; // columns that are no catalogue field
};

// From the table's columns as the file has them (none: there is no table).
CatalogueTable catalogueTableOf(const QStringList &columns);
