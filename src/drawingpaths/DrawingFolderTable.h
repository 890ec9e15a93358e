#pragma once

#include "drawingpaths/DrawingPath.h"

// The user's table of drawing folders, kept in the settings store (array
// "DrawingFolders" of application "MorvoII", each row a "WindowsPrefix" and a
// "LocalFolder"), in the order the rows are tried.
namespace DrawingFolderTable {
QList<DrawingFolder> load();
void save(const QList<DrawingFolder> &table);
}
