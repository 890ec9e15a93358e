#include "import/ServerCatalogueWriter.h"

#include "catalogue/CatalogueSchema.h"
#include "stores/postgres/PgCopy.h"

ServerCatalogueWriter::ServerCatalogueWriter(const QString &location) : location_(location)
{
}

ServerCatalogueWriter::~ServerCatalogueWriter() = default;

bool ServerCatalogueWriter::begin()
{
    QString error;
    copy_ = PgCopyIn::begin(location_, QString::fromLatin1(ProjectsTable), CatalogueSchema::fieldNames(), error);
    return copy_ || fail(error);
}

bool ServerCatalogueWriter::write(const ImportRecord &record)
{
    QString error;
    return copy_->add(record, error) || fail(error);
}

bool ServerCatalogueWriter::finish()
{
    QString error;
    const bool done = copy_->finish(error);
    copy_.reset();
    return done || fail(error);
}

void ServerCatalogueWriter::abandon()
{
    copy_.reset(); // rolls the transaction back
}
