#pragma once

#include <QString>

// What is done to a catalogue file as a file, not through a store's records.
namespace SqliteFiles {

// Puts folder and a slash in front of every value of the column that is not
// an absolute path already (relative drawing paths of a copied catalogue).
bool anchorRelativePaths(const QString &file, const QString &table, const QString &column, const QString &folder,
                         QString *error);

}
