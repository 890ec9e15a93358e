#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Where a stored drawing path lies on this computer. Catalogues made on
// Windows hold paths such as P:\Jobs\1041\plan.DWG or
// \\server\drawings\J1002\D-014.dwg; both separators count, a drive or a
// share is mapped through a table of prefixes, and the rest is matched
// against the real folders ignoring case, as Windows would.

// One row of the table: a Windows prefix ("P:\", "\\server\drawings", with
// folders after it if need be) and the local folder it stands for.
struct DrawingFolder
{
    QString windowsPrefix;
    QString localFolder;
    bool operator==(const DrawingFolder &) const = default;
};

// What a resolution looks at on disk; the real one is realFolderLookup().
struct FolderLookup
{
    std::function<bool(const QString &path)> exists;
    // The names in a folder; nothing when it cannot be listed.
    std::function<std::optional<QStringList>(const QString &folder)> entries;
};
FolderLookup realFolderLookup();

struct ResolvedPath
{
    QString local; // the path to use here; empty for a Windows path that maps to nothing
    bool windows = false; // a drive or UNC path
    int folderRow = -1; // the table row that mapped it, -1 for none
    bool found = false; // local exists
};

// The rows are tried in order; the first whose prefix starts the path wins.
// A native path keeps its case; only its separators are mended.
ResolvedPath resolveDrawingPath(const QString &stored, const QList<DrawingFolder> &table, const FolderLookup &lookup);

// A Windows path: a drive letter or a UNC share at its start.
bool isWindowsPath(const QString &text);
// The local path of a stored path that is no Windows path: its separators
// mended, nothing looked up. Empty for a Windows path, which needs the table.
QString nativeDrawingPath(const QString &stored);
