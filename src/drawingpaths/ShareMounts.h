#pragma once

#include "drawingpaths/DrawingPath.h"

#include <QByteArray>

// The Windows shares mounted on this computer, as rows of the drawing-folder
// table: CIFS mounts of the mount table (source //server/share) and the
// desktop's gvfs mounts ($XDG_RUNTIME_DIR/gvfs/smb-share:server=…,share=…).
namespace ShareMounts {
QList<DrawingFolder> current();
QList<DrawingFolder> fromMountTable(const QByteArray &text);
QList<DrawingFolder> fromGvfsFolder(const QString &folder);
// Tests read a mount table of their own; empty restores /proc/self/mounts.
void setMountTablePath(const QString &path);
}
