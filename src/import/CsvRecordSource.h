#pragma once

#include "import/Csv.h"
#include "import/RecordSource.h"

#include <QFile>
#include <memory>

// The records of a CSV file whose first row names the eight fields (in any
// order; other columns are left out). A byte order mark is skipped.
class CsvRecordSource : public RecordSource
{
public:
    explicit CsvRecordSource(const QString &path);

    bool open() override;
    bool next(ImportRecord &record) override;
    qint64 expected(qint64 read) const override;

private:
    bool failAt(const QString &problem);

    QString path_;
    QFile file_;
    std::unique_ptr<Csv::Reader> reader_;
    std::vector<int> fieldColumns_; // the column of each catalogue field
    size_t columns_ = 0;
    Csv::Row row_;
};
