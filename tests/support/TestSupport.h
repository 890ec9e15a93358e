#pragma once

#include "platform/FileDialog.h"
#include "platform/MsgBox.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariant>
#include <memory>

struct sqlite3;

// Helpers shared by the tests: real catalogue files in temporary folders, an
// isolated program folder and settings store, and recorders for the seams.
namespace TestSupport {

// One record: eight values in the table's field order; a null QVariant is NULL.
using Record = QList<QVariant>;
Record record(const QString &jobNumber, const QString &name = QStringLiteral("Name"),
              const QString &fileLocation = QString());

// Writes a catalogue with the given records (in this insertion order).
QString writeCatalogue(const QString &path, const QList<Record> &records);
// Reads the job numbers of a catalogue file straight from SQLite, in rowid order.
QStringList jobNumbersInFile(const QString &path);
// Reads one field of every record, straight from the file, in rowid order.
QList<QVariant> fieldInFile(const QString &path, const QString &field);

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

// A fresh program folder and settings store for one test; closes the data
// environment and unloads every window when it ends.
class Sandbox
{
public:
    Sandbox();
    ~Sandbox();
    QString programFolder() const;
    QString path(const QString &name) const;
    QString setting() const;
    void setSetting(const QString &value) const;
    bool hasSetting() const;

private:
    QTemporaryDir dir_;
};

// Unloads every loaded window and runs their deferred deletion.
void unloadAllForms();

class MessageRecorder
{
public:
    MessageRecorder();
    ~MessageRecorder();
    QList<Message> messages;
    QStringList texts() const;
};

class FileDialogStub
{
public:
    explicit FileDialogStub(std::optional<QString> answer);
    ~FileDialogStub();
    QList<FileDialogRequest> requests;
};

class LauncherRecorder
{
public:
    explicit LauncherRecorder(bool result = true);
    ~LauncherRecorder();
    QList<QUrl> urls;
};
}
