#pragma once

#include "catalogue/KeptFile.h"
#include "catalogue/SearchCorpus.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The search text of a catalogue as a session left it, kept in the user's
// cache folder beside the kept order: the next start maps it instead of
// reading every record again, and reads only what others changed since. The
// file is this machine's own; anything that does not check out is not used.
namespace KeptSearchText {

// $XDG_CACHE_HOME/MorvoII/kept search text/<a name made of the catalogue, table and fields>.
QString fileFor(const QString &catalogue, const QString &table, const QStringList &fields);

struct IdSpan
{
    qint64 id;
    SearchCorpus::Span span;
};

// Writes the text and where each record's text lies (ids ascending, each
// once) to a new file that takes the old one's place once complete.
bool write(const QString &file, const KeptFile::Stamp &stamp, const SearchCorpus &text,
           const std::vector<IdSpan> &spans);

// A kept file's stamp, read alone; nothing when there is none of this layout.
std::optional<KeptFile::Stamp> stampOf(const QString &file);

// The file mapped as the text of a finished build, every record's span in
// it; nothing when it is damaged, not of this layout or its stamp is not
// `expected` (another session replaced it meanwhile).
std::optional<SearchCorpusBuild> read(const QString &file, const KeptFile::Stamp &expected);
}
