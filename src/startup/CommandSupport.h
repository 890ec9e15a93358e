#pragma once

#include <QString>
#include <QTextStream>

// What the commands for administrators and scripts share: the catalogue they
// act on, how they name it, and how they fail.
namespace CommandSupport {
QTextStream &out();
QTextStream &err();
// Prints "morvo: text" on standard error and returns the status.
int failed(const QString &text, int status = 1);
// The command's usage, as a failure with status 2.
int usage(const char *command);

// The catalogue start-up would open: "DbsLocation" when it names a server or
// a file, else the program's own.
QString catalogueInUse();
// A location as the user reads it: a file in the system's form, a server's address without a password.
QString shown(const QString &location);
// A file named relative to the working folder, in full; a server's address as given.
QString located(const QString &given);
}
