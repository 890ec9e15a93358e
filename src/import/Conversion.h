#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

class CatalogueWriter;
class RecordSource;

struct ConversionResult
{
    enum Outcome { Done, Failed, Cancelled };
    Outcome outcome = Failed;
    qint64 records = 0;
    QString error;
    QStringList notes; // from the source: what was left out
    QString target; // where the records are, once Done
};

// Records read so far and about how many there are (0: unknown).
using ConversionProgress = std::function<void(qint64 read, qint64 expected)>;

// Copies every record of the source to the writer, all or nothing: on a
// failure or a cancel the writer is abandoned. The source is opened here.
ConversionResult convertRecords(RecordSource &source, CatalogueWriter &writer, const std::atomic<bool> &cancelled,
                                const ConversionProgress &progress = {});
