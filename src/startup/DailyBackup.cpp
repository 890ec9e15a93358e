#include "startup/DailyBackup.h"

#include "desktop/AppPaths.h"
#include "program/ProgramFacts.h"

namespace DailyBackup {

QString folder()
{
    return AppPaths::userFile(QString::fromLatin1(ProgramFacts::BackupFolderName));
}
}
