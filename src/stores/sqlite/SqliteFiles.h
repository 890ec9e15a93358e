#pragma once

#include <QString>

// What is done to a catalogue file as a file, not through a store's records.
namespace SqliteFiles {

// Puts folder and a slash in front of every value of the column that is not
// an absolute path already (relative drawing paths of a copied catalogue).
bool anchorRelativePaths(const QString &file, const QString &table, const QString &column, const QString &folder,
                         QString *error);

// Writes a consistent copy of the catalogue file to another file, history
// and all, while others keep working on it: the copy goes a few pages at a
// time (a change by someone else starts it again) into a file beside the
// target, which takes the target's name only when complete.
bool backUp(const QString &file, const QString &to, QString *error);

}
