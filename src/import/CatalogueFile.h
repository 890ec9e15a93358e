#pragma once

#include "import/JetHeader.h"

#include <QString>

// What kind of file a catalogue location names, told from its first bytes
// only: before any database library touches it. Only a regular file is read,
// and never waited for.
struct CatalogueFile
{
    enum Kind {
        Unreadable, // missing, or cannot be opened
        NotRegular, // a folder, a pipe, a device
        Empty,
        Sqlite, // a catalogue of this program (or another SQLite file)
        Jet, // see jet: a Windows catalogue, or another Access file
        Other,
    };
    Kind kind = Unreadable;
    qint64 size = 0;
    JetHeader jet;
};

CatalogueFile inspectCatalogueFile(const QString &path);
