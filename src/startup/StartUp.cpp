#include "startup/StartUp.h"

#include "startup/CommandLine.h"

#include "catalogue/CatalogueFields.h"
#include "catalogue/DataEnvironment1.h"
#include "desktop/AppPaths.h"
#include "desktop/MsgBox.h"
#include "desktop/Settings.h"
#include "desktop/SingleInstance.h"
#include "forms/convert/CatalogueLocation.h"
#include "forms/record/Form1.h"
#include "forms/tray/FrmMenu.h"
#include "program/ProgramFacts.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

namespace {
// True when the file can be opened for reading: not empty, present, no folder.
bool FileExists(const QString &path)
{
    if (path.isEmpty() || QFileInfo(path).isDir())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

QString settingsValue()
{
    return GetSetting(QString::fromLatin1(ProgramFacts::SettingsApp),
                      QString::fromLatin1(ProgramFacts::SettingsSection),
                      QString::fromLatin1(ProgramFacts::DbsLocationKey));
}
}

bool StartUp::EntryRoutine()
{
    QString path = settingsValue();
    if (!FileExists(path)) {
        path = AppPaths::companion(QString::fromLatin1(ProgramFacts::CatalogueFileName));
        if (FileExists(path))
            SaveSetting(QString::fromLatin1(ProgramFacts::SettingsApp),
                        QString::fromLatin1(ProgramFacts::SettingsSection),
                        QString::fromLatin1(ProgramFacts::DbsLocationKey), path);
        else
            MsgBox(QStringLiteral("Database File not found"));
    }

    // A Windows catalogue is converted (or refused) before anything opens it.
    const PreparedCatalogue catalogue = prepareCatalogue(path);
    DataEnvironment1 &environment = DataEnvironment1::instance();
    environment.Connection1.ConnectionString = catalogue.location;
    if (!catalogue.usable() || !environment.rsConJobnr.setSort(QString::fromLatin1(JobNumberField))) {
        MsgBox(QStringLiteral("Error finding Database\r\n")
               + (catalogue.usable() ? environment.rsConJobnr.lastError() : catalogue.reason));
        QFile::remove(AppPaths::companion(QString::fromLatin1(ProgramFacts::StaleDataFileName)));
        return false;
    }
    Forms::Get<Form1>()->show();
    return true;
}

void StartUp::ActivateRecordWindow()
{
    Form1 *window = Forms::Loaded<Form1>();
    if (!window)
        return;
    // A window hidden to the tray comes back the way the tray brings it back.
    FrmMenu *tray = Forms::Loaded<FrmMenu>();
    if (tray && !window->isVisible())
        tray->MnuRestore_Click();
    window->show();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
}

int StartUp::Main(int argc, char *argv[])
{
    // Commands need no display: they run before any window system is touched.
    if (argc > 1) {
        QCoreApplication core(argc, argv);
        return CommandLine::run(QCoreApplication::arguments().mid(1));
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(ProgramFacts::Title));
    // Hidden windows (the tray form) keep the program alive; the window
    // registry ends it when the last window is unloaded.
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(QString::fromLatin1(ProgramFacts::Title));
    if (!instance.claim()) {
        instance.activateRunning();
        return 0;
    }
    QObject::connect(&instance, &SingleInstance::activationRequested, &ActivateRecordWindow);

    if (!EntryRoutine())
        return 1;
    return app.exec();
}
