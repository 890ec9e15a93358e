#include "drawingpaths/DrawingPath.h"

#include <QDir>
#include <QFileInfo>

namespace {
// The parts of a path; a drive ("c:") or a share ("//server/share", two
// parts) stays at the front, and a UNC path starts with an empty part.
QStringList partsOf(const QString &path)
{
    QString slashed = path;
    slashed.replace(u'\\', u'/');
    QStringList parts = slashed.split(u'/', Qt::SkipEmptyParts);
    if (slashed.startsWith(QLatin1String("//")))
        parts.prepend(QString());
    return parts;
}

bool isDrive(const QString &part)
{
    return part.size() == 2 && part[1] == u':' && part[0].isLetter() && part[0].unicode() < 128;
}

// The number of leading parts of path that the prefix covers; -1 when it does not start it.
qsizetype prefixLength(const QStringList &prefix, const QStringList &path)
{
    if (prefix.isEmpty() || prefix.size() > path.size())
        return -1;
    for (qsizetype i = 0; i < prefix.size(); ++i) {
        if (prefix[i].compare(path[i], Qt::CaseInsensitive) != 0)
            return -1;
    }
    return prefix.size();
}

// Walks down from the folder, taking each part as it stands or, failing that,
// the entry whose name differs only in case; what cannot be found is
// appended as it stands.
ResolvedPath walk(QString folder, const QStringList &rest, const FolderLookup &lookup)
{
    ResolvedPath resolved;
    bool found = lookup.exists(folder);
    for (const QString &part : rest) {
        const QString exact = folder + u'/' + part;
        if (found && !lookup.exists(exact)) {
            found = false;
            if (const std::optional<QStringList> names = lookup.entries(folder)) {
                for (const QString &name : *names) {
                    if (name.compare(part, Qt::CaseInsensitive) == 0) {
                        folder += u'/' + name;
                        found = true;
                        break;
                    }
                }
            }
            if (found)
                continue;
        }
        folder = exact;
    }
    resolved.local = folder;
    resolved.found = found;
    return resolved;
}
}

FolderLookup realFolderLookup()
{
    return {[](const QString &path) { return QFileInfo::exists(path); },
            [](const QString &folder) -> std::optional<QStringList> {
                const QDir dir(folder);
                if (!dir.exists())
                    return std::nullopt;
                // Sorted, so that names differing only in case resolve the same way every time.
                return dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
            }};
}

bool isWindowsPath(const QString &text)
{
    const QStringList parts = partsOf(text);
    return !parts.isEmpty() && (isDrive(parts.first()) || (parts.first().isEmpty() && parts.size() >= 3));
}

QString nativeDrawingPath(const QString &stored)
{
    return isWindowsPath(stored) ? QString() : QString(stored).replace(u'\\', u'/');
}

ResolvedPath resolveDrawingPath(const QString &stored, const QList<DrawingFolder> &table, const FolderLookup &lookup)
{
    ResolvedPath resolved;
    resolved.local = stored;
    if (stored.trimmed().isEmpty())
        return resolved;
    resolved.windows = isWindowsPath(stored);
    if (!resolved.windows) {
        resolved.local = nativeDrawingPath(stored);
        resolved.found = lookup.exists(resolved.local);
        return resolved;
    }
    const QStringList parts = partsOf(stored);
    for (qsizetype row = 0; row < table.size(); ++row) {
        const qsizetype covered = prefixLength(partsOf(table[row].windowsPrefix), parts);
        if (covered < 0 || table[row].localFolder.isEmpty())
            continue;
        QString folder = QDir::cleanPath(table[row].localFolder);
        ResolvedPath mapped = walk(folder, parts.mid(covered), lookup);
        mapped.windows = true;
        mapped.folderRow = int(row);
        return mapped;
    }
    resolved.local.clear();
    return resolved;
}
