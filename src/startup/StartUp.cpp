#include "startup/StartUp.h"

#include "startup/CommandLine.h"
#include "startup/DailyBackup.h"
#include "startup/UserCatalogue.h"

#include "catalogue/CatalogueFields.h"
#include "catalogue/DataEnvironment1.h"
#include "desktop/AppPaths.h"
#include "desktop/MsgBox.h"
#include "desktop/Settings.h"
#include "desktop/SingleInstance.h"
#include "desktop/WindowSystem.h"
#include "forms/convert/CatalogueLocation.h"
#include "forms/record/Form1.h"
#include "forms/tray/FrmMenu.h"
#include "program/ProgramFacts.h"
#include "shell/Artwork.h"
#include "stores/StoreFactory.h"
#include "stores/postgres/PgStore.h"
#include "widgets/FocusFrameStyle.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QThread>

#include <sys/stat.h>

namespace {
// True when the file can be opened for reading: not empty, present, an
// ordinary file. Nothing else is opened: opening a FIFO blocks for ever.
bool FileExists(const QString &path)
{
    struct stat info;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

// The password a catalogue server asks for, from the user; it is never stored.
QString askServerPassword(const QString &where)
{
    QString password;
    const auto ask = [&] {
        bool ok = false;
        password =
            QInputDialog::getText(nullptr, QString::fromLatin1(ProgramFacts::Title),
                                  QStringLiteral("The server of the catalogue %1 asks for your password:").arg(where),
                                  QLineEdit::Password, QString(), &ok);
        if (!ok)
            password.clear();
    };
    // A check of a chosen catalogue runs off the window's thread: the question is the window's.
    if (QThread::currentThread() == qApp->thread())
        ask();
    else
        QMetaObject::invokeMethod(qApp, ask, Qt::BlockingQueuedConnection);
    return password;
}

QString settingsValue()
{
    return setting(SettingsKeys::DbsLocation);
}
}

bool StartUp::EntryRoutine()
{
    QString path = settingsValue();
    // A catalogue on a server is never a file beside the program's; the
    // delivered example is never worked on: the user's own copy stands for it.
    if (!namesServer(path) && (!FileExists(path) || UserCatalogue::isDeliveredExample(path))) {
        path = UserCatalogue::prepare();
        if (FileExists(path))
            saveSetting(SettingsKeys::DbsLocation, path);
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
        QFile::remove(AppPaths::userFile(QString::fromLatin1(ProgramFacts::StaleDataFileName)));
        return false;
    }
    Forms::Get<Form1>()->show();
    // The keyboard goes to the record window from the start.
    Forms::Get<Form1>()->activateWindow();
    DailyBackup::start(catalogue.location, Forms::Get<Form1>(), environment.rsConJobnr);
    return true;
}

void StartUp::ActivateRecordWindow(const QByteArray &launchToken)
{
    Form1 *window = Forms::Loaded<Form1>();
    if (!window)
        return;
    // A window hidden to the tray comes back the way the tray brings it back.
    FrmMenu *tray = Forms::Loaded<FrmMenu>();
    if (tray && !window->isVisible())
        tray->MnuRestore_Click();
    window->showRestored(launchToken);
}

int StartUp::Main(int argc, char *argv[])
{
    // Commands need no display: they run before any window system is touched.
    if (argc > 1) {
        QCoreApplication core(argc, argv);
        return CommandLine::run(QCoreApplication::arguments().mid(1));
    }

    // Qt takes the launcher's token out of the environment as it starts.
    QByteArray launchToken = WindowSystem::launchTokenFromEnvironment();
    QApplication app(argc, argv);
    PgStore::setPasswordPrompt(&askServerPassword);
    QApplication::setApplicationName(QString::fromLatin1(ProgramFacts::Title));
    QApplication::setWindowIcon(Artwork::appIcon());
    QApplication::setStyle(new FocusFrameStyle);
    QGuiApplication::setDesktopFileName(QString::fromLatin1(ProgramFacts::DesktopFileName));
    // Hidden windows (the tray form) keep the program alive; the window
    // registry ends it when the last window is unloaded.
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(QString::fromLatin1(ProgramFacts::Title));
    if (!instance.claim()) {
        if (launchToken.isEmpty())
            launchToken = WindowSystem::launchTokenOfNow();
        instance.activateRunning(launchToken);
        return 0;
    }
    QObject::connect(&instance, &SingleInstance::activationRequested, &ActivateRecordWindow);

    if (!EntryRoutine())
        return 1;
    const int code = app.exec();
    // The catalogue closes while the application still stands, and leaves
    // what the next start reads.
    DataEnvironment1::reset();
    return code;
}
