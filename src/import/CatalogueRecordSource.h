#pragma once

#include "import/RecordSource.h"

struct sqlite3;
struct sqlite3_stmt;

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
    QString path_;
    sqlite3 *db_ = nullptr;
    sqlite3_stmt *select_ = nullptr;
    qint64 count_ = 0;
};
