#include "BenchSupport.h"
#include "FirstPaint.h"

#include "catalogue/CatalogueFields.h"
#include "catalogue/CatalogueSchema.h"
#include "desktop/AppPaths.h"
#include "desktop/Settings.h"
#include "program/ProgramFacts.h"
#include "stores/sqlite/SqlStatement.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <algorithm>
#include <cstdio>
#include <random>
#include <sys/resource.h>

namespace {
const char *const Words[] = {
    "drainage",   "structural", "steel",   "frame",     "foundation",  "survey",     "extension",   "road",
    "bridge",     "pumping",    "station", "school",    "apartments",  "basement",   "attenuation", "lighting",
    "roof",       "timber",     "masonry", "arch",      "upgrade",     "treatment",  "works",       "inlet",
    "sludge",     "storage",    "office",  "fit-out",   "mechanical",  "electrical", "junction",    "signalised",
    "pedestrian", "crossing",   "nursing", "home",      "restoration", "shopfront",  "walkway",     "boardwalk",
    "footbridge", "car",        "park",    "retaining", "wall",        "culvert",    "reservoir",   "pipeline",
    "warehouse",  "cladding",   "precast", "concrete",  "piling",      "slab",
};
const char *const Clients[] = {"Westshore Water Ltd",
                               "Kildare County Council",
                               "Liffey Homes DAC",
                               "Greenfield Developments",
                               "Harbourview Properties",
                               "Oakwood Care Group",
                               "Transport Infrastructure Ireland",
                               "Department of Education"};
const char *const Counties[] = {"Cork", "Dublin",   "Kildare",  "Meath",     "Galway", "Westmeath",
                                "Mayo", "Limerick", "Kilkenny", "Roscommon", "Sligo",  "Wexford"};
const char *const Managers[] = {"A. Murphy", "S. Byrne", "P. Walsh", "K. O'Brien", "M. Kelly", "R. Doyle"};

QString benchDir()
{
    const QString dir = qEnvironmentVariable("MORVO_BENCH_DIR", QStringLiteral("/tmp/morvo-bench"));
    QDir().mkpath(dir);
    return dir;
}

struct JobGenerator
{
    std::mt19937_64 random{20261207};

    template <size_t N> const char *pick(const char *const (&list)[N]) { return list[random() % N]; }

    QString sentence(int minWords, int maxWords)
    {
        const int count = minWords + int(random() % unsigned(maxWords - minWords + 1));
        QString text;
        for (int i = 0; i < count; ++i) {
            if (i)
                text += u' ';
            text += QString::fromLatin1(pick(Words));
        }
        text[0] = text[0].toUpper();
        return text + u'.';
    }

    QStringList job(qint64 number)
    {
        const QString year = QString::number(2000 + int(number % 26));
        return {
            QString::number(number),
            sentence(2, 5),
            sentence(3, 30),
            QString::fromLatin1(pick(Clients)),
            QString::fromLatin1(pick(Counties)),
            QStringLiteral("%1/%2/%3")
                .arg(1 + random() % 28, 2, 10, QChar('0'))
                .arg(1 + random() % 12, 2, 10, QChar('0'))
                .arg(year),
            QString::fromLatin1(pick(Managers)),
            QStringLiteral("/srv/drawings/%1/%2/%3.dwg").arg(year).arg(number).arg(QString::fromLatin1(pick(Words)))};
    }
};
}

namespace BenchSupport {

QString catalogue(qint64 records)
{
    const QString path = benchDir() + QStringLiteral("/catalogue-%1.res").arg(records);
    if (QFileInfo::exists(path))
        return path;
    const QString partial = path + QStringLiteral(".partial");
    QFile::remove(partial);
    std::fprintf(stderr, "writing %lld records to %s ...\n", records, qPrintable(path));
    sqlite3 *db = nullptr;
    sqlite3_open(partial.toUtf8().constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr, nullptr);
    sqlite3_exec(db, CatalogueSchema::createProjectsSql().toUtf8().constData(), nullptr, nullptr, nullptr);
    {
        SqlStatement insert(db, CatalogueSchema::insertProjectSql());
        JobGenerator generator;
        for (qint64 n = 1; n <= records; ++n) {
            sqlite3_reset(insert.get());
            const QStringList values = generator.job(1000 + n);
            for (int i = 0; i < 8; ++i)
                insert.bind(i + 1, QVariant(values[i]));
            insert.step();
        }
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QFile::rename(partial, path);
    return path;
}

QString catalogueCsv(qint64 records)
{
    const QString path = benchDir() + QStringLiteral("/catalogue-%1.csv").arg(records);
    if (QFileInfo::exists(path))
        return path;
    const QString source = catalogue(records);
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    sqlite3 *db = nullptr;
    sqlite3_open_v2(source.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    {
        SqlStatement select(db, QStringLiteral("SELECT * FROM Projects"));
        while (select.step()) {
            QByteArray line;
            for (int i = 0; i < 8; ++i) {
                if (i)
                    line += ',';
                QByteArray field = select.text(i).toString().toUtf8();
                field.replace('"', "\"\"");
                line += '"' + field + '"';
            }
            out.write(line + '\n');
        }
    }
    sqlite3_close(db);
    return path;
}

QString useCatalogueCopy(const QString &folder, qint64 records)
{
    AppPaths::setProgramFolder(folder);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder + QStringLiteral("/data")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(folder + QStringLiteral("/cache")));
    const QString copy = folder + QStringLiteral("/bench.res");
    QFile::remove(copy);
    QFile::copy(catalogue(records), copy);
    saveSetting(SettingsKeys::DbsLocation, copy);
    return copy;
}

int runEachSize(int argc, char *argv[], std::initializer_list<qint64> sizes, int (*runOne)(qint64 records))
{
    if (argc > 1 && qstrcmp(argv[1], FirstPaintMode) == 0)
        return runProgramUntilFirstPaint(argv[0]);
    if (argc > 1 && qstrcmp(argv[1], FirstSearchMode) == 0)
        return runProgramUntilFirstSearch(argv[0]);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1) {
        QApplication app(argc, argv);
        return runOne(QString::fromLocal8Bit(argv[1]).toLongLong());
    }
    QCoreApplication app(argc, argv);
    for (qint64 size : sizes) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QString::number(size)});
        child.waitForFinished(-1);
    }
    return 0;
}

double millisecondsOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

Stats summarize(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples.front(), samples.back()};
}

Stats measure(int runs, const std::function<void()> &work)
{
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i)
        samples.push_back(millisecondsOf(work));
    return summarize(samples);
}

double peakMemoryMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void printRow(const QString &what, const Stats &stats)
{
    std::printf("  %-46s median %9.3f ms   min %9.3f   max %9.3f\n", qPrintable(what), stats.median, stats.min,
                stats.max);
    std::fflush(stdout);
}
}
