#pragma once

#include <QString>
#include <QStringList>

// The check of a catalogue the user has just chosen: whatever start-up would
// refuse is refused here too, with the same cause, and the catalogue must hold
// a record. It opens its own test connection, so it can run off the window's
// thread: a file on a hanging share must not freeze the window.
namespace CatalogueProbe {
// Empty when the catalogue can be used, otherwise why not.
QString check(const QString &location);
}
