#pragma once

#include "import/CatalogueWriter.h"

#include <QFile>

// Writes records as a CSV file: UTF-8 with a byte order mark (spreadsheet
// programs need it to read UTF-8), a header row with the eight field names,
// then one row per record. The file appears whole or not at all.
class CsvCatalogueWriter : public CatalogueWriter
{
public:
    explicit CsvCatalogueWriter(const QString &path);
    ~CsvCatalogueWriter() override;

    bool begin() override;
    bool write(const ImportRecord &record) override;
    bool finish() override;
    void abandon() override;
    QString target() const override { return path_; }

private:
    bool flush();
    bool failWrite();

    QString path_;
    QFile file_;
    QByteArray pending_;
};
