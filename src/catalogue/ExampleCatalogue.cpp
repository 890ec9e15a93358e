#include "catalogue/ExampleCatalogue.h"

#include "catalogue/CatalogueFields.h"
#include "stores/sqlite/SqliteFiles.h"

#include <QFile>
#include <QFileInfo>

namespace {
// A new file of the user's own (mode from the umask), never one that exists.
bool writeNewFile(const QString &path, const QByteArray &bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
}

bool ExampleCatalogue::copyTo(const QString &example, const QString &target, QString *error)
{
    QFile source(example);
    if (!source.open(QIODevice::ReadOnly)) {
        *error = source.errorString();
        return false;
    }
    // Built aside and renamed into place, so a failure or a crash never leaves
    // a half-made catalogue under the name the program opens.
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    const QString folder = QFileInfo(example).absolutePath();
    // The example's drawing paths are relative to its folder.
    const bool made = writeNewFile(partial, source.readAll(), error)
        && SqliteFiles::anchorRelativePaths(partial, QString::fromLatin1(ProjectsTable),
                                            QString::fromLatin1(DrawingPathField), folder, error);
    const bool placed = made && QFile::rename(partial, target);
    if (made && !placed)
        *error = QStringLiteral("\"%1\" exists already").arg(target);
    QFile::remove(partial);
    return placed;
}
