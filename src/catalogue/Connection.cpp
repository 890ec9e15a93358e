#include "catalogue/Connection.h"

#include <QFileInfo>
#include <sqlite3.h>

Connection::Connection(bool readOnly) : readOnly_(readOnly)
{
}

Connection::~Connection()
{
    Close();
}

void Connection::Close()
{
    if (db_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
}

QString Connection::describeSqliteError(int code) const
{
    const QString detail = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(code));
    switch (code & 0xff) {
    case SQLITE_NOTADB:
        return QStringLiteral("The file \"%1\" is not a catalogue: it is not a SQLite database.").arg(ConnectionString);
    case SQLITE_CORRUPT:
        return QStringLiteral("The catalogue \"%1\" is damaged (%2).").arg(ConnectionString, detail);
    case SQLITE_READONLY:
        return QStringLiteral("The catalogue \"%1\" cannot be changed: the file is read-only (%2).")
            .arg(ConnectionString, detail);
    case SQLITE_FULL:
        return QStringLiteral("The disk holding the catalogue \"%1\" is full (%2).").arg(ConnectionString, detail);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("The catalogue \"%1\" is locked by another program (%2).").arg(ConnectionString, detail);
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_IOERR:
        return QStringLiteral("The catalogue \"%1\" cannot be read or written (%2).").arg(ConnectionString, detail);
    default:
        return QStringLiteral("The catalogue \"%1\" cannot be used (%2).").arg(ConnectionString, detail);
    }
}

bool Connection::Open()
{
    Close();
    error_.clear();
    const QString path = ConnectionString;
    const QFileInfo info(path);
    if (path.trimmed().isEmpty()) {
        error_ = QStringLiteral("No catalogue file was given.");
        return false;
    }
    if (!info.exists()) {
        error_ = QStringLiteral("The catalogue file \"%1\" does not exist.").arg(path);
        return false;
    }
    if (info.isDir()) {
        error_ = QStringLiteral("\"%1\" is a folder, not a catalogue file.").arg(path);
        return false;
    }
    const int flags = (readOnly_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db_, flags, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db_, 2000);
        // Reading the schema is the cheapest way to find a foreign or damaged file.
        rc = sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        error_ = describeSqliteError(rc);
        Close();
        return false;
    }
    return true;
}
