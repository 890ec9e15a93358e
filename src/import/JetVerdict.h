#pragma once

#include <QString>

struct CatalogueFile;

// The Windows version's fixed database password: a catalogue protected by it,
// or by none, is one of its own.
inline constexpr char WindowsCataloguePassword[] = "tovrinalek";

// Whether a Jet or ACE file can be converted into a catalogue, and if not, a
// message for the user that says what the file is.
struct JetVerdict
{
    bool convertible = false;
    QString refusal;
};

JetVerdict judgeJetFile(const QString &path, const CatalogueFile &file);

// The message for a catalogue that cannot be read; reason may be empty.
QString damagedCatalogueMessage(const QString &path, const QString &reason);
