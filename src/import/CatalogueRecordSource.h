#pragma once

#include "import/RecordSource.h"

#include <memory>

namespace SqliteBulk {
class Reader;
}

// The records of another catalogue file, in the order they were stored.
class CatalogueRecordSource : public RecordSource
{
public:
    explicit CatalogueRecordSource(const QString &path);
    ~CatalogueRecordSource() override;

    bool open() override;
    bool next(ImportRecord &record) override;
    qint64 expected(qint64 read) const override { return std::max(read, count_); }

private:
    bool cannotRead(const QString &why);

    QString path_;
    std::unique_ptr<SqliteBulk::Reader> reader_;
    qint64 count_ = 0;
};
