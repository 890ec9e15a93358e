#pragma once

#include <QIODevice>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

struct sqlite3;

// Real catalogues for the tests, written and read straight through SQLite, or
// through libpq on the private server of .ci/pg-env.sh when MORVO_TEST_STORE
// is "postgres": then a "path" stands for a schema of its own on the server.
namespace TestSupport {

// True when this run's catalogues live on the test server.
bool usingServer();
// An empty schema of its own on the test server for the path, and the
// address of a catalogue in it.
QString serverSchema(const QString &path);
// Runs statements on the test server; the first column of the last one's rows.
QList<QVariant> queryServer(const QString &location, const QString &sql);

// One record: eight values in the table's field order; a null QVariant is NULL.
using Record = QList<QVariant>;
Record record(const QString &jobNumber, const QString &name = QStringLiteral("Name"),
              const QString &fileLocation = QString());

// Writes a catalogue with the given records (in this insertion order) and
// returns its location: the path, or the server address that stands for it.
QString writeCatalogue(const QString &path, const QList<Record> &records);
// Reads the job numbers of a catalogue file straight from SQLite, in rowid order.
QStringList jobNumbersInFile(const QString &path);
// Reads one field of every record, straight from the file, in rowid order.
QList<QVariant> fieldInFile(const QString &path, const QString &field);
// Whether the file system keeps the file's birth time, which tells a
// catalogue made anew in its place; without it nothing is kept between sessions.
bool keepsBirthTimes(const QString &path);
// Runs statements on a catalogue file as another program would, waiting for
// others' locks; empty, or SQLite's error.
QString runSqlOnFile(const QString &path, const QString &sql);
// A file's bytes, and bytes written over a file (a damaged or cut-short copy).
QByteArray fileBytes(const QString &path);
bool writeFileBytes(const QString &path, const QByteArray &bytes, QIODevice::OpenMode mode = QIODevice::WriteOnly);

// Another program holding the catalogue's write lock while it lives: stands in
// for every file the database cannot write (root ignores read-only files).
class CatalogueLock
{
public:
    explicit CatalogueLock(const QString &path);
    ~CatalogueLock();
    bool held() const { return held_; }

private:
    ::sqlite3 *db_ = nullptr;
    bool held_ = false;
};

// A temporary folder for catalogue files; the data environment starts and
// ends closed.
class CatalogueSandbox
{
public:
    CatalogueSandbox();
    ~CatalogueSandbox();
    QString path(const QString &name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;

public:
    void keep() { dir_.setAutoRemove(false); }
};
}
