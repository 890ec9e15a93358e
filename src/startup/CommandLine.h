#pragma once

#include <QStringList>

// Commands for administrators and scripts (morvo --help, --version, …): they
// run without a window or a display, print to the terminal and end with a
// status. Without arguments the program starts its window as usual.
namespace CommandLine {
// Runs the command the arguments name (program name excluded) and returns
// its exit status. Needs a QCoreApplication.
int run(const QStringList &arguments);
}
