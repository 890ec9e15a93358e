#pragma once

#include <QString>
#include <functional>

// Writing a file so that nobody ever sees it half written: the bytes go to a
// hidden file beside the target, are synced, and the file is then given its name.
namespace FilePlacement {
// Creates an empty hidden file in the folder of target; empty on failure,
// with errorNumber set (EACCES, EROFS … when the folder cannot be written).
QString createTemporaryBeside(const QString &target, int *errorNumber);
bool syncFile(const QString &path);
// Gives the file the first name that no file has yet; false when every name
// is taken or the file cannot be renamed. The chosen name goes to placedAs.
bool placeWithoutReplacing(const QString &temporary, const std::function<QString(int attempt)> &names,
                           QString *placedAs);
// Gives the file its name, replacing any file of that name.
bool placeReplacing(const QString &temporary, const QString &target);
// True when the error number says the folder cannot be written.
bool isUnwritableFolder(int errorNumber);
}
