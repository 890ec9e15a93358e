#include "TestSupport.h"

#include "catalogue/CatalogueSchema.h"
#include "catalogue/DataEnvironment1.h"
#include "desktop/AppPaths.h"
#include "desktop/Launcher.h"
#include "desktop/Settings.h"
#include "forms/record/Form1.h"
#include "program/ProgramFacts.h"
#include "stores/sqlite/SqlStatement.h"
#include "widgets/Forms.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QSettings>
#include <QWidget>
#include <QtTest>

namespace TestSupport {

Sandbox::Sandbox() : dataHome_(qEnvironmentVariableIsSet("XDG_DATA_HOME") ? qgetenv("XDG_DATA_HOME") : QByteArray())
{
    QDir(dir_.path()).mkpath(QStringLiteral("MorvoII"));
    QDir(dir_.path()).mkpath(QStringLiteral("config"));
    AppPaths::setProgramFolder(programFolder());
    qputenv("XDG_DATA_HOME", dir_.path().toUtf8());
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
    if (dataHome_.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", dataHome_);
}

QString Sandbox::programFolder() const
{
    return dir_.filePath(QStringLiteral("MorvoII"));
}

QString Sandbox::path(const QString &name) const
{
    return dir_.filePath(name);
}

QString Sandbox::setting() const
{
    return ::setting(SettingsKeys::DbsLocation);
}

void Sandbox::setSetting(const QString &value) const
{
    saveSetting(SettingsKeys::DbsLocation, value);
}

bool Sandbox::hasSetting() const
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QString::fromLatin1(SettingsKeys::Application));
    return store.contains(QStringLiteral("%1/%2").arg(QLatin1String(SettingsKeys::DbsLocation.section),
                                                      QLatin1String(SettingsKeys::DbsLocation.name)));
}

void unloadAllForms()
{
    // Forms first, then unload: an unload deletes other top-level widgets
    // (the tray icon's window) at once.
    QList<QPointer<Form>> forms;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *form = qobject_cast<Form *>(w))
            forms << form;
    }
    for (const QPointer<Form> &form : forms) {
        if (form)
            form->Unload();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

ConflictAnswers::ConflictAnswers(QList<ConflictChoice> answers) : answers_(std::move(answers))
{
    ConflictSeam::setHandler([this](const ConflictQuestion &question) {
        questions << question;
        return answers_.isEmpty() ? ConflictChoice::TakeTheirs : answers_.takeFirst();
    });
}

ConflictAnswers::~ConflictAnswers()
{
    ConflictSeam::setHandler(nullptr);
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

CommandRun runMorvo(const QStringList &arguments, const QString &folder)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", folder + "/config");
    env.insert("XDG_DATA_HOME", folder + "/data");
    env.remove("DISPLAY");
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.start(qEnvironmentVariable("MORVO_EXE"), arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
}
