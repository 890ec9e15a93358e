#pragma once

#include "import/SqliteCatalogueWriter.h"

#include <QString>

// Where a catalogue converted from another file goes: beside the original,
// under a name that says what it is and that no file has yet; in the user's
// data folder when the original's folder cannot be written.
namespace NewCatalogue {
// $XDG_DATA_HOME/MorvoII (~/.local/share/MorvoII by default).
QString userDataFolder();
// The original's folder if a file can be made there, else dataFolder (made if
// missing); inDataFolder tells which.
QString folderFor(const QString &original, const QString &dataFolder, bool *inDataFolder);
// "<name> (converted).res", "<name> (converted 2).res", … in the folder.
SqliteCatalogueWriter::Names namesFor(const QString &original, const QString &folder);
}
