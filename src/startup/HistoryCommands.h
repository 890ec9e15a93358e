#pragma once

#include <QStringList>

// The commands that read and keep a catalogue's history, for administrators
// and scripts. Each acts on the catalogue "--catalogue LOCATION" names, else
// on the one in use.
namespace HistoryCommands {
// --history JOBNUMBER: the job's versions as CSV, newest first.
int printHistory(const QStringList &arguments);
// --restore JOBNUMBER --version N: stores that version again, as a verified
// store; a deleted record comes back as a new one.
int restoreVersion(const QStringList &arguments);
// --prune-history BEFORE-DATE: forgets the versions stored before the date.
int pruneHistory(const QStringList &arguments);
// --backup [FILE]: a consistent copy of a catalogue file.
int backUp(const QStringList &arguments);
}
