#include "import/ServerRecordSource.h"

#include "catalogue/CatalogueSchema.h"
#include "stores/postgres/PgCopy.h"

ServerRecordSource::ServerRecordSource(const QString &location) : location_(location)
{
}

ServerRecordSource::~ServerRecordSource() = default;

bool ServerRecordSource::open()
{
    QString error;
    copy_ = PgCopyOut::begin(location_, QString::fromLatin1(ProjectsTable), CatalogueSchema::fieldNames(), error);
    return copy_ || fail(error);
}

bool ServerRecordSource::next(ImportRecord &record)
{
    QString error;
    return copy_->next(record, error) || (!error.isEmpty() && fail(error));
}

qint64 ServerRecordSource::expected(qint64 read) const
{
    return std::max(read, copy_ ? copy_->count() : 0);
}
