#pragma once

#include <QString>

struct sqlite3;

// A connection to one catalogue file. The connection string is the bare path of
// the file; opening never creates a file.
class Connection
{
public:
    explicit Connection(bool readOnly = false);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    QString ConnectionString;

    // Opens the file named by ConnectionString (closing any earlier file) and
    // checks that it is a readable SQLite database.
    bool Open();
    bool isOpen() const { return db_ != nullptr; }
    void Close();

    sqlite3 *handle() const { return db_; }
    QString lastError() const { return error_; }
    void setError(const QString &text) { error_ = text; }
    // The last SQLite error of this connection, worded for a person.
    QString describeSqliteError(int code) const;

private:
    bool readOnly_;
    sqlite3 *db_ = nullptr;
    QString error_;
};
