#include "catalogue/DataEnvironment1.h"
#include "catalogue/CatalogueSchema.h"

#include "catalogue/CatalogueFields.h"

#include <memory>

namespace {
std::unique_ptr<DataEnvironment1> &slot()
{
    static std::unique_ptr<DataEnvironment1> environment;
    return environment;
}

constexpr int LiveViewIntervalMs = 250;

}

DataEnvironment1::DataEnvironment1()
    : rsConJobnr(Connection1, QString::fromUtf8(ProjectsTable), Recordset::Optimistic, CatalogueSchema::fieldNames()),
      rsScript(Connection1, QStringLiteral("Scripts"), Recordset::Optimistic)
{
    // The search tests the fields in this order; the order decides nothing
    // about which record matches, so the text keeps the table's order.
    rsConJobnr.enableSearch(CatalogueSchema::fieldNames());
    // Others' changes to a shared catalogue show within a second.
    rsConJobnr.enableLiveView(LiveViewIntervalMs);
}

DataEnvironment1 &DataEnvironment1::instance()
{
    if (!slot())
        slot().reset(new DataEnvironment1);
    return *slot();
}

void DataEnvironment1::reset()
{
    slot().reset();
}
