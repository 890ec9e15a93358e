// make_catalogue <out morvo.res>: writes the example catalogue delivered with
// the program, a dozen jobs of a small engineering office, and their drawings
// in examples/ beside it, so that the first start shows a working catalogue
// with thumbnails. A catalogue that someone has stored into since it was
// written is theirs: it is kept, never written over.
#include "ExampleDrawing.h"

#include "catalogue/CatalogueSchema.h"
#include "stores/sqlite/SqlStatement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QtEndian>
#include <cstdio>

namespace {
using ExampleDrawing::Sketch;

struct Job
{
    const char *values[8]; // JobNumber, ProjectName, ProjectDescription, ClientName, County, Date, Drawing Number,
                           // Drawing Directory&Name (relative to the catalogue's folder)
    Sketch sketch; // what the job's drawing shows
};

const Job Jobs[] = {
    {{"1030", "Harbour Road Pumping Station",
      "Replacement of the two duty pumps and the valve chamber; new kiosk and telemetry.", "Westshore Water Ltd",
      "Cork", "14/01/2025", "A. Murphy", "examples/1030/pumping-station.dwg"},
     Sketch::Plan},
    {{"1031", "Elm Park Primary School Extension",
      "Two-classroom extension with a link corridor, accessible toilets and a new fire escape stair.",
      "Department of Education", "Dublin", "03/02/2025", "S. Byrne", "examples/1031/extension-ga.dwg"},
     Sketch::Plan},
    {{"1032", "Millbrook Bridge Strengthening",
      "Assessment and strengthening of a three-span masonry arch bridge carrying the R612.", "Kildare County Council",
      "Kildare", "21/02/2025", "P. Walsh", "examples/1032/bridge-elevation.dwg"},
     Sketch::Elevation},
    {{"1033", "Riverside Apartments Block C",
      "Five-storey block of 38 apartments over basement car park; structural and drainage design.", "Liffey Homes DAC",
      "Dublin", "10/03/2025", "S. Byrne", "examples/1033/block-c-structure.dwg"},
     Sketch::Elevation},
    {{"1034", "Greenfield Business Park Roads",
      "Internal estate roads, footpaths, public lighting and surface water attenuation.", "Greenfield Developments",
      "Meath", "28/03/2025", "K. O'Brien", "examples/1034/site-layout.dwg"},
     Sketch::SiteLayout},
    {{"1035", "St. Brigid's Church Roof Survey",
      "Condition survey of the slate roof and timber trusses with a schedule of repairs.", "Parish of St. Brigid",
      "Galway", "15/04/2025", "A. Murphy", "examples/1035/roof-plan.dwg"},
     Sketch::Plan},
    {{"1036", "Ballymore Wastewater Upgrade",
      "Upgrade of the treatment works to 2,500 PE: inlet works, SBR tanks, sludge storage.", "Westshore Water Ltd",
      "Westmeath", "02/05/2025", "P. Walsh", "examples/1036/process-layout.dwg"},
     Sketch::SiteLayout},
    {{"1037", "Quayside Office Fit-out", "Mechanical and electrical services for a 1,200 m² open-plan office fit-out.",
      "Harbourview Properties", "Cork", "19/05/2025", "M. Kelly", "examples/1037/services-ga.dwg"},
     Sketch::Plan},
    {{"1038", "N17 Junction Improvement", "Signalised junction with pedestrian crossings, ducting and road markings.",
      "Transport Infrastructure Ireland", "Mayo", "06/06/2025", "K. O'Brien", "examples/1038/junction-layout.dwg"},
     Sketch::SiteLayout},
    {{"1039", "Oakwood Nursing Home", "New 60-bed nursing home: foundations, steel frame and external works.",
      "Oakwood Care Group", "Limerick", "24/06/2025", "M. Kelly", "examples/1039/foundations.dwg"},
     Sketch::Plan},
    {{"1040", "Castle Street Shopfront Restoration",
      "Restoration of a protected Victorian shopfront and upper-floor windows.", "J. & M. Doyle", "Kilkenny",
      "11/07/2025", "A. Murphy", "examples/1040/shopfront-elevation.dwg"},
     Sketch::Elevation},
    {{"1041", "Lakeside Amenity Walkway",
      "2.4 km boardwalk and gravel path with two timber footbridges and a car park.", "Roscommon County Council",
      "Roscommon", "30/07/2025", "S. Byrne", "examples/1041/walkway-plan.dwg"},
     Sketch::SiteLayout},
};

// SQLite counts the transactions that changed a file in its header; the
// example is written in one.
bool storedIntoSinceWritten(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(28);
    const bool example = header.size() == 28 && header.startsWith(QByteArrayLiteral("SQLite format 3\0"))
        && qFromBigEndian<quint32>(header.constData() + 24) == 1;
    return !example;
}

bool writeCatalogue(const QString &path)
{
    QFile::remove(path);
    sqlite3 *db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
        return false;
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
                sqlite3_close(db);
                return false;
            }
        }
    }
    const int rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc == SQLITE_OK;
}

bool writeDrawings(const QDir &folder)
{
    for (const Job &job : Jobs) {
        const QString path = folder.filePath(QString::fromUtf8(job.values[7]));
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        const QImage preview =
            ExampleDrawing::preview(job.sketch, QString::fromUtf8(job.values[0]), QString::fromUtf8(job.values[1]));
        if (!file.open(QIODevice::WriteOnly) || file.write(ExampleDrawing::file(preview)) < 0) {
            std::fprintf(stderr, "make_catalogue: cannot write %s\n", qPrintable(path));
            return false;
        }
    }
    return true;
}
}

int main(int argc, char *argv[])
{
    // The previews' title blocks need fonts, not a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_catalogue OUT.res\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    if (!writeDrawings(QFileInfo(out).absoluteDir()))
        return 1;
    if (QFile::exists(out) && storedIntoSinceWritten(out)) {
        std::fprintf(stderr, "make_catalogue: %s holds changes made after the build wrote it; kept as it is\n",
                     qPrintable(out));
        return 0;
    }
    // Written aside and renamed into place: a reader never sees half a catalogue.
    const QString partial = out + QStringLiteral(".part");
    if (!writeCatalogue(partial) || std::rename(partial.toLocal8Bit().constData(), argv[1]) != 0) {
        QFile::remove(partial);
        return 1;
    }
    return 0;
}
