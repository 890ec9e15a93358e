#pragma once

#include <QString>

class Form1;

// The program started as a benchmark of the window wants it: on its own copy
// of the catalogue of `records` jobs in folder, messages printed instead of
// shown, the record window unlocked. Null when it did not start.
Form1 *startUnlockedOnCopy(const QString &folder, qint64 records, QString *copy = nullptr);
