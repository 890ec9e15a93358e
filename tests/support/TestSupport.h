#pragma once

#include "CatalogueFiles.h"
#include "desktop/FileDialog.h"
#include "desktop/MsgBox.h"

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
    QByteArray dataHome_; // XDG_DATA_HOME before the test
};

// Unloads every loaded window and runs their deferred deletion.
void unloadAllForms();

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

class LauncherRecorder
{
public:
    explicit LauncherRecorder(bool result = true);
    ~LauncherRecorder();
    QList<QUrl> urls;
};
}
