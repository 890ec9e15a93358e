#pragma once

#include <QString>

// The catalogue a user works on when none is chosen: their own copy of the
// example delivered with the program, in their data folder. The delivered
// example itself is read-only and replaced by every build or upgrade.
namespace UserCatalogue {
// The path of the user's own catalogue; on first use the example is copied
// there. A copy that cannot be made leaves the path without a file.
QString prepare();
// True for a path that names the delivered example itself.
bool isDeliveredExample(const QString &path);
}
