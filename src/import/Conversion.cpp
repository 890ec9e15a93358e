#include "import/Conversion.h"

#include "import/CatalogueWriter.h"
#include "import/RecordSource.h"

namespace {
constexpr qint64 ProgressEvery = 1024;

ConversionResult ended(ConversionResult::Outcome outcome, const QString &error, CatalogueWriter &writer)
{
    writer.abandon();
    ConversionResult result;
    result.outcome = outcome;
    result.error = error;
    return result;
}
}

ConversionResult convertRecords(RecordSource &source, CatalogueWriter &writer, const std::atomic<bool> &cancelled,
                                const ConversionProgress &progress)
{
    source.setCancelFlag(&cancelled);
    if (!source.open())
        return ended(cancelled ? ConversionResult::Cancelled : ConversionResult::Failed, source.error(), writer);
    if (!writer.begin())
        return ended(ConversionResult::Failed, writer.error(), writer);
    ImportRecord record;
    qint64 count = 0;
    while (source.next(record)) {
        if (cancelled)
            return ended(ConversionResult::Cancelled, QString(), writer);
        if (!writer.write(record))
            return ended(ConversionResult::Failed, writer.error(), writer);
        if (++count % ProgressEvery == 0 && progress)
            progress(count, source.expected(count));
    }
    if (cancelled)
        return ended(ConversionResult::Cancelled, QString(), writer);
    if (!source.error().isEmpty())
        return ended(ConversionResult::Failed, source.error(), writer);
    if (!writer.finish())
        return ended(ConversionResult::Failed, writer.error(), writer);
    if (progress)
        progress(count, count);
    ConversionResult result;
    result.outcome = ConversionResult::Done;
    result.records = count;
    result.notes = source.notes();
    result.target = writer.target();
    return result;
}
