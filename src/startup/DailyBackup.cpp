#include "startup/DailyBackup.h"

#include "backups/CatalogueBackups.h"
#include "catalogue/Recordset.h"
#include "desktop/AppPaths.h"
#include "desktop/MsgBox.h"
#include "desktop/Settings.h"
#include "program/Background.h"
#include "program/WorkPool.h"
#include "stores/StoreFactory.h"

#include <QDir>
#include <QTimer>
#include <memory>

namespace DailyBackup {

QString folder()
{
    return AppPaths::userFile(QString::fromLatin1(ProgramFacts::BackupFolderName));
}

namespace {
// A search text that never comes in (the window stays hidden) holds the copy back no longer than this.
constexpr int LatestStartMs = 30000;

void copyNow(const QString &catalogue, QObject *window)
{
    const QDate today = QDate::currentDate();
    runInBackground(
        workPool(), window, [catalogue, today] { return CatalogueBackups::backUpDaily(catalogue, folder(), today); },
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
}
}

void start(const QString &catalogue, QObject *window, Recordset &records)
{
    if (namesServer(catalogue))
        return; // a server is backed up by its own tools
    auto *pending = new QTimer(window);
    pending->setSingleShot(true);
    const auto textIn = std::make_shared<QMetaObject::Connection>();
    *textIn = QObject::connect(&records, &Recordset::searchTextReady, pending, [pending] { pending->start(0); });
    QObject::connect(pending, &QTimer::timeout, window, [catalogue, window, pending, textIn] {
        QObject::disconnect(*textIn); // once a day, however often the text comes in
        pending->deleteLater();
        copyNow(catalogue, window);
    });
    pending->start(LatestStartMs);
}
}
