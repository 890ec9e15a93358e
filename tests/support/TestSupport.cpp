#include "TestSupport.h"

#include "data/CatalogueSchema.h"
#include "data/DataEnvironment1.h"
#include "forms/record/Form1.h"
#include "platform/AppPaths.h"
#include "platform/Forms.h"
#include "platform/Launcher.h"
#include "platform/Settings.h"
#include "platform/SqlStatement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QWidget>
#include <QApplication>
#include <QtTest>

namespace TestSupport {

Record record(const QString &jobNumber, const QString &name, const QString &fileLocation)
{
    return {jobNumber, name, QStringLiteral("Description of ") + name, QStringLiteral("Client"),
            QStringLiteral("County"), QStringLiteral("01/02/2025"), QStringLiteral("Manager"),
            fileLocation.isNull() ? QVariant() : QVariant(fileLocation)};
}

QString writeCatalogue(const QString &path, const QList<Record> &records)
{
    QFile::remove(path);
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_exec(db, CatalogueSchema::createProjectsSql().toUtf8().constData(), nullptr, nullptr, nullptr);
    {
        SqlStatement insert(db, CatalogueSchema::insertProjectSql());
        for (const Record &r : records) {
            sqlite3_reset(insert.get());
            for (int i = 0; i < 8; ++i)
                insert.bind(i + 1, i < r.size() ? r[i] : QVariant());
            insert.step();
        }
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return path;
}

QList<QVariant> fieldInFile(const QString &path, const QString &field)
{
    QList<QVariant> values;
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    {
        SqlStatement select(db, QStringLiteral("SELECT %1 FROM Projects ORDER BY rowid").arg(quoteIdentifier(field)));
        while (select.step())
            values << select.text(0);
    }
    sqlite3_close(db);
    return values;
}

QStringList jobNumbersInFile(const QString &path)
{
    QStringList numbers;
    for (const QVariant &v : fieldInFile(path, QStringLiteral("JobNumber")))
        numbers << v.toString();
    return numbers;
}

CatalogueLock::CatalogueLock(const QString &path)
{
    sqlite3_open(path.toUtf8().constData(), &db_);
    held_ = sqlite3_exec(db_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
}

CatalogueLock::~CatalogueLock()
{
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
}

Sandbox::Sandbox()
{
    QDir(dir_.path()).mkpath(QStringLiteral("program"));
    QDir(dir_.path()).mkpath(QStringLiteral("config"));
    AppPaths::setProgramFolder(programFolder());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.filePath(QStringLiteral("config")));
    DataEnvironment1::reset();
    Forms::setOnAllUnloaded(nullptr);
}

Sandbox::~Sandbox()
{
    unloadAllForms();
    DataEnvironment1::reset();
    AppPaths::setProgramFolder(QString());
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
    return GetSetting(QString::fromLatin1(SettingsApp), QString::fromLatin1(SettingsSection), QString::fromLatin1(DbsLocationKey));
}

void Sandbox::setSetting(const QString &value) const
{
    SaveSetting(QString::fromLatin1(SettingsApp), QString::fromLatin1(SettingsSection), QString::fromLatin1(DbsLocationKey), value);
}

bool Sandbox::hasSetting() const
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QString::fromLatin1(SettingsApp));
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
}

MessageRecorder::~MessageRecorder()
{
    MsgBoxSeam::setHandler(nullptr);
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
