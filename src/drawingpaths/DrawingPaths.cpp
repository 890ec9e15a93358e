#include "drawingpaths/DrawingPaths.h"

#include "drawingpaths/DrawingFolderTable.h"
#include "drawingpaths/ShareMounts.h"
#include "files/BlockingPool.h"
#include "program/Background.h"

#include <QHash>

namespace {
// Many paths share their folders: each folder is listed once.
FolderLookup rememberingLookup()
{
    FolderLookup lookup = realFolderLookup();
    auto listed = std::make_shared<QHash<QString, std::optional<QStringList>>>();
    lookup.entries = [listed, list = lookup.entries](const QString &folder) {
        auto known = listed->constFind(folder);
        if (known == listed->constEnd())
            known = listed->insert(folder, list(folder));
        return *known;
    };
    return lookup;
}
}

namespace DrawingPaths {

Resolver::Resolver(const QList<DrawingFolder> &table)
    : rows_(table + ShareMounts::current()), tableRows_(table.size()), lookup_(rememberingLookup())
{
}

ResolvedPath Resolver::resolve(const QString &stored) const
{
    return resolveDrawingPath(stored, rows_, lookup_);
}

QString resolve(const QString &stored)
{
    return Resolver(DrawingFolderTable::load()).resolve(stored).local;
}

void resolveLater(QObject *receiver, const QString &stored, std::function<void(const QString &local)> done)
{
    runInBackground(
        blockingPool(BlockingWork::FolderListing), receiver, [stored] { return resolve(stored); }, std::move(done));
}

QList<RowCount> countByRow(const QList<DrawingFolder> &table, const QStringList &paths,
                           const std::atomic<bool> &cancelled)
{
    const Resolver resolver(table);
    QList<RowCount> counts(table.size());
    for (const QString &path : paths) {
        if (cancelled)
            break;
        const ResolvedPath resolved = resolver.resolve(path);
        if (resolved.folderRow < 0 || resolved.folderRow >= resolver.tableRows())
            continue;
        ++counts[resolved.folderRow].mapped;
        counts[resolved.folderRow].found += resolved.found ? 1 : 0;
    }
    return counts;
}

bool someWindowsPathsUnresolved(const QStringList &paths, int limit)
{
    const Resolver resolver(DrawingFolderTable::load());
    int looked = 0;
    for (const QString &path : paths) {
        if (!isWindowsPath(path))
            continue;
        if (!resolver.resolve(path).found)
            return true;
        if (++looked == limit)
            break;
    }
    return false;
}
}
