#pragma once

#include <QString>

class QObject;
class Recordset;

// The day's copy of the catalogue file in use, made off the window's thread
// once the window is up and the records' search text is in (on the first
// start of a day the copy would share the cores with the first search); a
// copy that cannot be made is said once that day.
namespace DailyBackup {
// Where the copies go: the backup folder in the user's data folder.
QString folder();
// Says nothing once the window is gone.
void start(const QString &catalogue, QObject *window, Recordset &records);
}
