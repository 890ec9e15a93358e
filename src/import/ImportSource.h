#pragma once

#include "import/RecordSource.h"

#include <memory>

// The source of an import, chosen by what the location is: a catalogue on a
// PostgreSQL server, or by what the file is: a Windows catalogue (Jet),
// another catalogue (SQLite) or a CSV file.
struct ImportSource
{
    std::unique_ptr<RecordSource> source; // null when refused
    QString refusal; // why the file cannot be a source
    bool isWindowsCatalogue = false;
};

ImportSource importSourceFor(const QString &path, const QString &jetReaderProgram);
