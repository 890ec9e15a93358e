#pragma once

#include "drawingpaths/DrawingPath.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>

// The one resolution of a record's drawing path that the file list, the
// preview, launching, dragging and locating all use: the user's table of
// drawing folders, then the mounted Windows shares, then the folders on disk
// matched ignoring case (drawingpaths/DrawingPath.h). The stored text is never
// changed. It may block on a hanging share: call it off the window's thread.
namespace DrawingPaths {
QString resolve(const QString &stored);

// Resolves many paths against one reading of the table and the mounts.
class Resolver
{
public:
    // The rows of the table, then those of the mounted shares.
    explicit Resolver(const QList<DrawingFolder> &table);
    ResolvedPath resolve(const QString &stored) const;
    qsizetype tableRows() const { return tableRows_; }

private:
    QList<DrawingFolder> rows_;
    qsizetype tableRows_;
    FolderLookup lookup_; // remembers the folders it has listed
};

// Resolves off the window's thread and hands the local path to done on the
// receiver's thread (not at all when the receiver has gone).
void resolveLater(QObject *receiver, const QString &stored, std::function<void(const QString &local)> done);

// For each row of the table: how many of the paths it maps, and how many of
// those lead to a file here. Stops early (with what it has) once cancelled.
struct RowCount
{
    qint64 mapped = 0;
    qint64 found = 0;
};
QList<RowCount> countByRow(const QList<DrawingFolder> &table, const QStringList &paths,
                           const std::atomic<bool> &cancelled);
// True when some of the paths (at most the first limit that are Windows
// paths are looked at) are Windows paths that lead nowhere here.
bool someWindowsPathsUnresolved(const QStringList &paths, int limit);
}
