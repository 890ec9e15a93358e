#pragma once

#include <QStringList>

// The commands that move records in and out of catalogues, for
// administrators and scripts: progress on a terminal, a message and a
// non-zero status on any failure, nothing left behind.
namespace ImportCommands {
// --export FILE.csv
int exportCsv(const QStringList &arguments);
// --import SOURCE [--to CATALOGUE]
int importRecords(const QStringList &arguments);
}
