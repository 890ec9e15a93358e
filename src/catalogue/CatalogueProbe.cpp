#include "catalogue/CatalogueProbe.h"

#include "catalogue/CatalogueFields.h"
#include "catalogue/CatalogueSchema.h"
#include "catalogue/Connection.h"
#include "catalogue/Recordset.h"

QString CatalogueProbe::check(const QString &location)
{
    const QStringList fields = CatalogueSchema::fieldNames();
    Connection ConnTest(true);
    ConnTest.ConnectionString = location;
    Recordset rsTest(ConnTest, QString::fromLatin1(ProjectsTable), Recordset::ReadOnly, fields);
    if (!rsTest.setSort(QString::fromLatin1(JobNumberField)))
        return rsTest.lastError();
    // A move to the last record of an empty set is no proof of a catalogue.
    if (rsTest.RecordCount() == 0)
        return QStringLiteral("The catalogue \"%1\" holds no record.").arg(location);
    return rsTest.MoveLast() ? QString() : rsTest.lastError();
}
