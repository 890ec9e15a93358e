#pragma once

#include <QString>

// The example catalogue delivered with the program is read-only; a user works
// on a copy of it in a folder of their own.
namespace ExampleCatalogue {
// Copies the example into a new file at target (never over an existing file)
// and makes its drawing paths, which are relative to the example's folder,
// absolute, so the copy's drawings are found wherever it lies. On failure
// nothing is left at target and the reason is in *error.
bool copyTo(const QString &example, const QString &target, QString *error);
}
