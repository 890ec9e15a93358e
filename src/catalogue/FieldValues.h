#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The distinct values of one field of a catalogue's records (a file or a
// server), read on a connection of its own (so off the window's thread);
// nothing when the catalogue cannot be read. NULL is left out.
std::optional<QStringList> distinctFieldValues(const QString &catalogue, const QString &field);
