#include "catalogue/ExampleCatalogue.h"

#include "catalogue/CatalogueFields.h"
#include "stores/sqlite/SqlStatement.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

#include <memory>

namespace {
using Database = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

constexpr const char *DrawingPathField = CatalogueFields.back().field;

// Points every relative drawing path of the catalogue at the given folder.
bool anchorDrawingPaths(const QString &catalogue, const QString &folder, QString *error)
{
    sqlite3 *raw = nullptr;
    const int opened = sqlite3_open_v2(catalogue.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    const Database db(raw, sqlite3_close);
    if (opened == SQLITE_OK) {
        const QString field = quoteIdentifier(QString::fromUtf8(DrawingPathField));
        SqlStatement anchor(db.get(),
                            QStringLiteral("UPDATE %1 SET %2 = ?1 || '/' || %2 WHERE %2 NOT LIKE '/%'")
                                .arg(quoteIdentifier(QString::fromLatin1(ProjectsTable)), field));
        if (anchor.ok()) {
            anchor.bind(1, QVariant(folder));
            anchor.step();
            if (anchor.done())
                return true;
        }
    }
    *error = QString::fromUtf8(raw ? sqlite3_errmsg(raw) : sqlite3_errstr(opened));
    return false;
}

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
    const bool made = writeNewFile(partial, source.readAll(), error) && anchorDrawingPaths(partial, folder, error);
    const bool placed = made && QFile::rename(partial, target);
    if (made && !placed)
        *error = QStringLiteral("\"%1\" exists already").arg(target);
    QFile::remove(partial);
    return placed;
}
