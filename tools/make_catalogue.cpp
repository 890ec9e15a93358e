// Writes the example catalogue delivered beside the program: a dozen jobs of a
// small engineering office, so that the first start shows a working catalogue.
#include "catalogue/CatalogueSchema.h"
#include "stores/sqlite/SqlStatement.h"

#include <QFile>
#include <QTextStream>
#include <cstdio>

namespace {
struct Job
{
    const char *values[8]; // JobNumber, ProjectName, ProjectDescription, ClientName, County, Date, Drawing Number,
                           // Drawing Directory&Name
};

const Job Jobs[] = {
    {{"1030", "Harbour Road Pumping Station",
      "Replacement of the two duty pumps and the valve chamber; new kiosk and telemetry.", "Westshore Water Ltd",
      "Cork", "14/01/2025", "A. Murphy", "/srv/drawings/1030/pumping-station.dwg"}},
    {{"1031", "Elm Park Primary School Extension",
      "Two-classroom extension with a link corridor, accessible toilets and a new fire escape stair.",
      "Department of Education", "Dublin", "03/02/2025", "S. Byrne", "/srv/drawings/1031/extension-ga.dwg"}},
    {{"1032", "Millbrook Bridge Strengthening",
      "Assessment and strengthening of a three-span masonry arch bridge carrying the R612.", "Kildare County Council",
      "Kildare", "21/02/2025", "P. Walsh", "/srv/drawings/1032/bridge-elevation.dwg"}},
    {{"1033", "Riverside Apartments Block C",
      "Five-storey block of 38 apartments over basement car park; structural and drainage design.", "Liffey Homes DAC",
      "Dublin", "10/03/2025", "S. Byrne", "/srv/drawings/1033/block-c-structure.dwg"}},
    {{"1034", "Greenfield Business Park Roads",
      "Internal estate roads, footpaths, public lighting and surface water attenuation.", "Greenfield Developments",
      "Meath", "28/03/2025", "K. O'Brien", "/srv/drawings/1034/site-layout.dwg"}},
    {{"1035", "St. Brigid's Church Roof Survey",
      "Condition survey of the slate roof and timber trusses with a schedule of repairs.", "Parish of St. Brigid",
      "Galway", "15/04/2025", "A. Murphy", "/srv/drawings/1035/roof-plan.dwg"}},
    {{"1036", "Ballymore Wastewater Upgrade",
      "Upgrade of the treatment works to 2,500 PE: inlet works, SBR tanks, sludge storage.", "Westshore Water Ltd",
      "Westmeath", "02/05/2025", "P. Walsh", "/srv/drawings/1036/process-layout.dwg"}},
    {{"1037", "Quayside Office Fit-out", "Mechanical and electrical services for a 1,200 m² open-plan office fit-out.",
      "Harbourview Properties", "Cork", "19/05/2025", "M. Kelly", "/srv/drawings/1037/services-ga.dwg"}},
    {{"1038", "N17 Junction Improvement", "Signalised junction with pedestrian crossings, ducting and road markings.",
      "Transport Infrastructure Ireland", "Mayo", "06/06/2025", "K. O'Brien",
      "/srv/drawings/1038/junction-layout.dwg"}},
    {{"1039", "Oakwood Nursing Home", "New 60-bed nursing home: foundations, steel frame and external works.",
      "Oakwood Care Group", "Limerick", "24/06/2025", "M. Kelly", "/srv/drawings/1039/foundations.dwg"}},
    {{"1040", "Castle Street Shopfront Restoration",
      "Restoration of a protected Victorian shopfront and upper-floor windows.", "J. & M. Doyle", "Kilkenny",
      "11/07/2025", "A. Murphy", "/srv/drawings/1040/shopfront-elevation.dwg"}},
    {{"1041", "Lakeside Amenity Walkway",
      "2.4 km boardwalk and gravel path with two timber footbridges and a car park.", "Roscommon County Council",
      "Roscommon", "30/07/2025", "S. Byrne", "/srv/drawings/1041/walkway-plan.dwg"}},
};
}

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_catalogue OUT.res\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QFile::remove(out);
    sqlite3 *db = nullptr;
    if (sqlite3_open(argv[1], &db) != SQLITE_OK)
        return 1;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_exec(db, CatalogueSchema::createProjectsSql().toUtf8().constData(), nullptr, nullptr, nullptr);
    {
        SqlStatement insert(db, CatalogueSchema::insertProjectSql());
        for (const Job &job : Jobs) {
            sqlite3_reset(insert.get());
            for (int i = 0; i < 8; ++i)
                insert.bind(i + 1, QVariant(QString::fromUtf8(job.values[i])));
            insert.step();
            if (!insert.done()) {
                std::fprintf(stderr, "make_catalogue: %s\n", sqlite3_errmsg(db));
                return 1;
            }
        }
    }
    const int rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc == SQLITE_OK ? 0 : 1;
}
