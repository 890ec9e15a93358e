#pragma once

#include "CatalogueFiles.h"
#include "desktop/FileDialog.h"
#include "desktop/MsgBox.h"
#include "forms/record/StoreConflict.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariant>
#include <memory>

// Helpers shared by the tests: real catalogue files in temporary folders, an
// isolated program folder and settings store, and recorders for the seams.
namespace TestSupport {

// A fresh program folder and settings store for one test; closes the data
// environment and unloads every window when it ends. The program's companions
// and the user's data share the one folder, so a catalogue written there is
// the one the program opens; tests that need the two apart set their own.
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
    QByteArray dataHome_; // XDG_DATA_HOME before the test
};

// Unloads every loaded window and runs their deferred deletion.
void unloadAllForms();

// The real program run as a script runs it, without a display, in folder
// with settings and data of its own there (config/, data/).
struct CommandRun
{
    int status = -1;
    QString out, err;
};
CommandRun runMorvo(const QStringList &arguments, const QString &folder);

class MessageRecorder
{
public:
    MessageRecorder();
    ~MessageRecorder();
    QList<Message> messages;
    // Answers to the questions asked, in order; No once they run out.
    QList<bool> answers;
    QStringList texts() const;
};

class FileDialogStub
{
public:
    explicit FileDialogStub(std::optional<QString> answer);
    ~FileDialogStub();
    QList<FileDialogRequest> requests;
};

// Answers the questions about stores that met someone else's change, in turn;
// once the answers run out every question is discarded ("take theirs").
class ConflictAnswers
{
public:
    explicit ConflictAnswers(QList<ConflictChoice> answers = {});
    ~ConflictAnswers();
    QList<ConflictQuestion> questions;

private:
    QList<ConflictChoice> answers_;
};

class LauncherRecorder
{
public:
    explicit LauncherRecorder(bool result = true);
    ~LauncherRecorder();
    QList<QUrl> urls;
};
}
