#pragma once

#include "catalogue/KeptFile.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The order of a catalogue's records as a session left it, kept in the user's
// cache folder: the next start reads it in one go instead of every key, and
// takes in from the catalogue's history what others changed since. The file
// is this machine's own; anything that does not check out is not used.
namespace KeptOrder {

using Stamp = KeptFile::Stamp;

// $XDG_CACHE_HOME/MorvoII/kept order/<a name made of the three>.
QString fileFor(const QString &catalogue, const QString &table, const QString &sortField);

// The next piece of rows or text; empty at the end.
using Source = std::function<std::string_view()>;
// Rows of a fixed size, then the text they point into, both handed over in
// pieces, so that a million records are written without a second copy; to a
// new file that takes the old one's place once complete.
bool write(const QString &file, const Stamp &stamp, size_t rowSize, const Source &rows, const Source &keys);

// Reads a file back, checked against its checksum: its stamp first, and the
// rest only when trusted says the stamp still holds; makeRoom gives room for
// that many rows of rowSize bytes (and may reserve room in keys). Nothing
// when the file is missing, damaged, of another layout or not trusted.
std::optional<Stamp> read(const QString &file, size_t rowSize, const std::function<bool(const Stamp &)> &trusted,
                          const std::function<char *(size_t rowCount, size_t keyBytes)> &makeRoom, std::string &keys);
}
