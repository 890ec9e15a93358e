#include "startup/DailyBackup.h"

#include "backups/CatalogueBackups.h"
#include "desktop/AppPaths.h"
#include "desktop/MsgBox.h"
#include "desktop/Settings.h"
#include "program/Background.h"
#include "program/WorkPool.h"
#include "stores/StoreFactory.h"

#include <QDir>
#include <QTimer>

namespace DailyBackup {

QString folder()
{
    return AppPaths::userFile(QString::fromLatin1(ProgramFacts::BackupFolderName));
}

void start(const QString &catalogue, QObject *window)
{
    if (namesServer(catalogue))
        return; // a server is backed up by its own tools
    // Queued: the window paints first.
    QTimer::singleShot(0, window, [catalogue, window] {
        const QDate today = QDate::currentDate();
        runInBackground(
            workPool(), window,
            [catalogue, today] { return CatalogueBackups::backUpDaily(catalogue, folder(), today); },
            [catalogue, today](const CatalogueBackups::Outcome &outcome) {
                const QString day = today.toString(Qt::ISODate);
                if (outcome.error.isEmpty() || setting(SettingsKeys::BackupFailedOn) == day)
                    return;
                saveSetting(SettingsKeys::BackupFailedOn, day);
                MsgBox(QStringLiteral("Today's copy of the catalogue \"%1\" could not be made in \"%2\": %3.\r\n"
                                      "The catalogue itself is unchanged.")
                           .arg(QDir::toNativeSeparators(catalogue), QDir::toNativeSeparators(folder()), outcome.error),
                       MsgIcon::Exclamation);
            });
    });
}
}
