#include "stores/sqlite/SqliteFiles.h"

#include "stores/sqlite/SqlStatement.h"

#include <QFile>
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

namespace {
using Database = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

Database opened(const QString &file, int flags, int *code)
{
    sqlite3 *raw = nullptr;
    *code = sqlite3_open_v2(file.toUtf8().constData(), &raw, flags, nullptr);
    return Database(raw, sqlite3_close);
}

QString messageOf(sqlite3 *db, int code)
{
    return QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}
}

bool backUp(const QString &file, const QString &to, QString *error)
{
    // Pages a step: a few milliseconds under the file's read lock at a time.
    constexpr int PagesAStep = 256;
    constexpr int BusyPauseMs = 20, BusyPausesAtMost = 3000; // a minute of others' stores in a row
    int code = SQLITE_OK;
    const Database source = opened(file, SQLITE_OPEN_READONLY, &code);
    if (code != SQLITE_OK) {
        *error = messageOf(source.get(), code);
        return false;
    }
    const QString part = to + QStringLiteral(".part");
    QFile::remove(part);
    Database target = opened(part, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &code);
    if (code != SQLITE_OK) {
        *error = messageOf(target.get(), code);
        QFile::remove(part);
        return false;
    }
    sqlite3_backup *backup = sqlite3_backup_init(target.get(), "main", source.get(), "main");
    if (!backup) {
        *error = messageOf(target.get(), SQLITE_ERROR);
        QFile::remove(part);
        return false;
    }
    int pauses = 0;
    do {
        code = sqlite3_backup_step(backup, PagesAStep);
        const bool busy = code == SQLITE_BUSY || code == SQLITE_LOCKED;
        pauses = busy ? pauses + 1 : 0;
        if (busy)
            sqlite3_sleep(BusyPauseMs);
    } while ((code == SQLITE_OK || code == SQLITE_BUSY || code == SQLITE_LOCKED) && pauses < BusyPausesAtMost);
    sqlite3_backup_finish(backup);
    target.reset();
    if (code != SQLITE_DONE) {
        *error = messageOf(nullptr, code);
        QFile::remove(part);
        return false;
    }
    QFile::remove(to);
    if (!QFile::rename(part, to)) {
        *error = QStringLiteral("the copy could not be named \"%1\"").arg(to);
        QFile::remove(part);
        return false;
    }
    return true;
}

}
