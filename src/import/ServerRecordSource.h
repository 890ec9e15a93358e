#pragma once

#include "import/RecordSource.h"

#include <memory>

class PgCopyOut;

// The records of a catalogue on a PostgreSQL server, in the order they were
// stored, as one snapshot.
class ServerRecordSource : public RecordSource
{
public:
    explicit ServerRecordSource(const QString &location);
    ~ServerRecordSource() override;

    bool open() override;
    bool next(ImportRecord &record) override;
    qint64 expected(qint64 read) const override;

private:
    QString location_;
    std::unique_ptr<PgCopyOut> copy_;
};
