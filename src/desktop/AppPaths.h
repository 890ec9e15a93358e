#pragma once

#include <QString>

// Where the program's files are. Read-only companions (region file, help page,
// example catalogue) lie beside the program in a build folder and in the
// installed data folder otherwise; helper executables likewise beside it or in
// the installed helper folder. What the program writes goes to the user's own
// data folder, never to a folder it was installed into.
namespace AppPaths {
QString programFolder();
// Tests run the program's code against a folder of their own.
void setProgramFolder(const QString &folder);

// The folders a program in the given folder finds its companions and helpers
// in: the installed ones when they lie where an install puts them, the
// program's own folder otherwise (a build folder).
struct Layout
{
    QString companions;
    QString helpers;
};
Layout layoutFor(const QString &programFolder);

QString companion(const QString &name); // layoutFor(programFolder()).companions + "/" + name
// A helper executable of the program's own (a reader of foreign files, say),
// by its file name. Tests may move the program folder away, never its helpers.
QString helperProgram(const QString &name);

// $XDG_DATA_HOME/MorvoII (normally ~/.local/share/MorvoII); not created here.
QString userDataFolder();
QString userFile(const QString &name); // userDataFolder() + "/" + name
// Tests run from a folder of their own while the helpers stay in the build's.
void setHelperFolder(const QString &folder);
}
