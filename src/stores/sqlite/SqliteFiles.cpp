#include "stores/sqlite/SqliteFiles.h"

#include "stores/sqlite/SqlStatement.h"

#include <memory>

namespace SqliteFiles {

bool anchorRelativePaths(const QString &file, const QString &table, const QString &column, const QString &folder,
                         QString *error)
{
    sqlite3 *raw = nullptr;
    const int opened = sqlite3_open_v2(file.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, sqlite3_close);
    if (opened == SQLITE_OK) {
        SqlStatement anchor(db.get(),
                            QStringLiteral("UPDATE %1 SET %2 = ?1 || '/' || %2 WHERE %2 NOT LIKE '/%'")
                                .arg(quoteIdentifier(table), quoteIdentifier(column)));
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

}
