#pragma once

#include <QString>

// Where copies of the user's catalogue files go: the backup folder in the user's data folder.
namespace DailyBackup {
QString folder();
}
