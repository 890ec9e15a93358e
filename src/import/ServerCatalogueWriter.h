#pragma once

#include "import/CatalogueWriter.h"

#include <memory>

class PgCopyIn;

// Adds records to a catalogue on a PostgreSQL server in one transaction,
// making its table when there is none; the server's copy is checked against
// what was sent before anyone else sees it.
class ServerCatalogueWriter : public CatalogueWriter
{
public:
    explicit ServerCatalogueWriter(const QString &location);
    ~ServerCatalogueWriter() override;

    bool begin() override;
    bool write(const ImportRecord &record) override;
    bool finish() override;
    void abandon() override;
    QString target() const override { return location_; }

private:
    QString location_;
    std::unique_ptr<PgCopyIn> copy_;
};
