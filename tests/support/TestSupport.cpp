#include "TestSupport.h"

#include "catalogue/CatalogueSchema.h"
#include "catalogue/DataEnvironment1.h"
#include "catalogue/SqlStatement.h"
#include "desktop/AppPaths.h"
#include "desktop/Launcher.h"
#include "desktop/Settings.h"
#include "forms/record/Form1.h"
#include "program/ProgramFacts.h"
#include "widgets/Forms.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QWidget>
#include <QtTest>

namespace TestSupport {

Sandbox::Sandbox()
{
    QDir(dir_.path()).mkpath(QStringLiteral("program"));
    QDir(dir_.path()).mkpath(QStringLiteral("config"));
    dataHome_ = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.filePath(QStringLiteral("data"))));
    AppPaths::setProgramFolder(programFolder());
    AppPaths::setHelperFolder(qEnvironmentVariable("MORVO_BIN_DIR"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.filePath(QStringLiteral("config")));
    DataEnvironment1::reset();
    Forms::setOnAllUnloaded(nullptr);
}

Sandbox::~Sandbox()
{
    unloadAllForms();
    DataEnvironment1::reset();
    AppPaths::setProgramFolder(QString());
    AppPaths::setHelperFolder(QString());
    qputenv("XDG_DATA_HOME", dataHome_);
}

QString Sandbox::programFolder() const
{
    return dir_.filePath(QStringLiteral("program"));
}

QString Sandbox::path(const QString &name) const
{
    return dir_.filePath(name);
}

QString Sandbox::setting() const
{
    return GetSetting(QString::fromLatin1(ProgramFacts::SettingsApp),
                      QString::fromLatin1(ProgramFacts::SettingsSection),
                      QString::fromLatin1(ProgramFacts::DbsLocationKey));
}

void Sandbox::setSetting(const QString &value) const
{
    SaveSetting(QString::fromLatin1(ProgramFacts::SettingsApp), QString::fromLatin1(ProgramFacts::SettingsSection),
                QString::fromLatin1(ProgramFacts::DbsLocationKey), value);
}

bool Sandbox::hasSetting() const
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QString::fromLatin1(ProgramFacts::SettingsApp));
    return store.contains(QStringLiteral("Application/DbsLocation"));
}

void unloadAllForms()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *form = qobject_cast<Form *>(w))
            form->Unload();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

MessageRecorder::MessageRecorder()
{
    MsgBoxSeam::setHandler([this](const Message &m) { messages << m; });
    MsgAnswerSeam::setHandler([this](const Message &m) {
        messages << m;
        return !answers.isEmpty() && answers.takeFirst();
    });
}

MessageRecorder::~MessageRecorder()
{
    MsgBoxSeam::setHandler(nullptr);
    MsgAnswerSeam::setHandler(nullptr);
}

QStringList MessageRecorder::texts() const
{
    QStringList all;
    for (const Message &m : messages)
        all << m.text;
    return all;
}

FileDialogStub::FileDialogStub(std::optional<QString> answer)
{
    FileDialogSeam::setHandler([this, answer](const FileDialogRequest &r) {
        requests << r;
        return answer;
    });
}

FileDialogStub::~FileDialogStub()
{
    FileDialogSeam::setHandler(nullptr);
}

LauncherRecorder::LauncherRecorder(bool result)
{
    LauncherSeam::setHandler([this, result](const QUrl &url) {
        urls << url;
        return result;
    });
}

LauncherRecorder::~LauncherRecorder()
{
    LauncherSeam::setHandler(nullptr);
}
}
