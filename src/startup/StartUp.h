#pragma once

#include <QByteArray>

// The program's entry routine: single instance, catalogue lookup, record window.
namespace StartUp {
// The whole program: returns the process exit code.
int Main(int argc, char *argv[]);
// Finds and opens the catalogue and shows the record window; false when the
// catalogue cannot be used (the user has been told, no window is left).
bool EntryRoutine();
// Brings the record window to the front, for a second start of the program
// with the launcher's token (empty: none).
void ActivateRecordWindow(const QByteArray &launchToken = {});
}
