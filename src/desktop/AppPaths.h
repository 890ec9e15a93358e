#pragma once

#include <QString>

// Companion files live in the program's folder and are named by joining the
// folder text and the name.
namespace AppPaths {
QString programFolder();
// Tests run the program's code against a folder of their own.
void setProgramFolder(const QString &folder);
QString companion(const QString &name); // programFolder() + "/" + name
// A helper executable of the program's own (a reader of foreign files, say),
// by its file name.
QString helperProgram(const QString &name);
// Tests run from a folder of their own while the helpers stay in the build's.
void setHelperFolder(const QString &folder);
}
