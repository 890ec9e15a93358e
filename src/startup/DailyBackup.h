#pragma once

#include <QString>

class QObject;

// The day's copy of the catalogue file in use, made off the window's thread
// once the window is up; a copy that cannot be made is said once that day.
namespace DailyBackup {
// Where the copies go: the backup folder in the user's data folder.
QString folder();
// Says nothing once the window is gone.
void start(const QString &catalogue, QObject *window);
}
