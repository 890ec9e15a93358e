// The record window on a catalogue file and on the same catalogue on a
// PostgreSQL server (over its Unix socket), side by side in one run: start to
// the window on the last record, moves, a durable store, walks that miss and
// that find, another client's change shown, and the client's peak memory.
// Run it with a server:   .ci/pg-env.sh -- build-rel/bench/bench_server [N]
// (N records, 1 000 000 when not given; each store runs in a process of its own).
// With --import first it only imports, into a table that is not there and into
// the empty one morvo --create-catalogue makes.
#include "BenchSupport.h"

#include "catalogue/CatalogueSchema.h"
#include "catalogue/DataEnvironment1.h"
#include "catalogue/SearchCorpus.h"
#include "desktop/AppPaths.h"
#include "desktop/MsgBox.h"
#include "desktop/Settings.h"
#include "forms/record/Form1.h"
#include "forms/tray/FrmMenu.h"
#include "import/CatalogueRecordSource.h"
#include "import/Conversion.h"
#include "import/ServerCatalogueWriter.h"
#include "program/ProgramFacts.h"
#include "startup/StartUp.h"
#include "stores/postgres/PgStore.h"
#include "widgets/Forms.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>
#include <libpq-fe.h>

using namespace BenchSupport;

namespace {
// The bench catalogue imported onto the server as morvo --import … --to does it,
// into a new table or into the empty one made beforehand.
enum class Target { NoTable, CreatedCatalogue };
QString loadOntoServer(const QString &server, const QString &file, qint64 records, Target target = Target::NoTable)
{
    const QString schema = QStringLiteral("bench%1").arg(records);
    const QString location =
        server + QStringLiteral("&options=-csearch_path%3D") + schema + QStringLiteral("%2Cpublic");
    PGconn *admin = PQconnectdb(server.toUtf8().constData());
    PQclear(PQexec(admin, QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; CREATE SCHEMA %1").arg(schema).toUtf8()));
    PQfinish(admin);
    QString error;
    if (target == Target::CreatedCatalogue
        && !PgStore::create(location, QString::fromLatin1(ProjectsTable), CatalogueSchema::fieldNames(), error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return {};
    }
    CatalogueRecordSource source(file);
    ServerCatalogueWriter writer(location);
    const std::atomic<bool> never{false};
    ConversionResult result;
    const double ms = millisecondsOf([&] { result = convertRecords(source, writer, never); });
    if (result.outcome != ConversionResult::Done) {
        std::fprintf(stderr, "%s\n", qPrintable(result.error));
        return {};
    }
    std::printf("imported %lld records onto the server%s (one transaction, verified) in %.1f s, %.0f records/s\n",
                result.records, target == Target::NoTable ? "" : " into a created catalogue", ms / 1000,
                double(result.records) / ms * 1000);
    return location;
}

void click(Form1 *window, const char *name)
{
    window->findChild<QPushButton *>(QString::fromLatin1(name))->click();
}

// One store: the window on the location, measured.
int runOne(const QString &location, qint64 records)
{
    QTemporaryDir dir;
    AppPaths::setProgramFolder(dir.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    saveSetting(SettingsKeys::DbsLocation, location);
    Forms::setOnAllUnloaded(nullptr);
    MsgBoxSeam::setHandler([](const Message &m) { std::fprintf(stderr, "message: %s\n", qPrintable(m.text)); });
    const bool server = PgStore::names(location);
    std::printf("%s, %lld records\n", server ? "server" : "file", records);

    const double start = millisecondsOf([] {
        StartUp::EntryRoutine();
        QCoreApplication::processEvents();
    });
    printRow(QStringLiteral("start to window shown on the last record"), {start, start, start});
    Form1 *window = Forms::Loaded<Form1>();
    Forms::Get<FrmMenu>()->MnuUnlock_Click();
    printRow(QStringLiteral("Prev"), measure(200, [&] { click(window, "Command5"); }));
    printRow(QStringLiteral("Next"), measure(200, [&] { click(window, "Command6"); }));
    printRow(QStringLiteral("durable store of one field"), measure(15, [&] {
                 window->TxtClient->setText(QStringLiteral("Client %1").arg(QDateTime::currentMSecsSinceEpoch()));
                 click(window, "CmdUpdate");
             }));
    Recordset &rs = DataEnvironment1::instance().rsConJobnr;
    rs.waitForSearchText();
    qint64 found = 0;
    printRow(QStringLiteral("walk, no match"),
             measure(5, [&] { found = rs.findForward(SearchCorpus::needleFor("no such text anywhere"), 0); }));
    const QString target = QString::number(1000 + records * 9 / 10);
    printRow(QStringLiteral("walk finding a record nine tenths in"),
             measure(5, [&] { found = rs.findForward(SearchCorpus::needleFor(target), 0); }));
    if (found != records * 9 / 10 - 1)
        std::printf("  WRONG RESULT %lld\n", found);

    std::vector<double> shown;
    for (int round = 0; round < 5; ++round) {
        const qint64 before = rs.RecordCount();
        QProcess peer;
        QElapsedTimer clock;
        QObject::connect(&peer, &QProcess::finished, [&clock] { clock.start(); });
        peer.start(QStringLiteral(CATALOGUE_PEER),
                   {location, "add", QString::number(9000000 + round), "ProjectName", "From another client"});
        while ((!clock.isValid() || rs.RecordCount() == before) && (!clock.isValid() || clock.elapsed() < 10000))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        shown.push_back(double(clock.elapsed()));
    }
    printRow(QStringLiteral("another client's new record shown"), summarize(shown));
    std::printf("  peak memory %.1f MB\n\n", peakMemoryMb());
    window->Unload();
    return 0;
}
}

int main(int argc, char *argv[])
{
    if (argc == 3 && QByteArray(argv[1]) != "--import")
        return [&] {
            QApplication app(argc, argv);
            return runOne(QString::fromLocal8Bit(argv[2]), QByteArray(argv[1]).toLongLong());
        }();
    const QString server = qEnvironmentVariable("MORVO_TEST_PG");
    if (server.isEmpty()) {
        std::fprintf(stderr, "bench_server: run it under .ci/pg-env.sh\n");
        return 2;
    }
    QCoreApplication app(argc, argv);
    const bool importOnly = argc > 1 && QByteArray(argv[1]) == "--import";
    const int sizeAt = importOnly ? 2 : 1;
    const qint64 records = argc > sizeAt ? QByteArray(argv[sizeAt]).toLongLong() : 1000000;
    const QString file = catalogue(records);
    if (importOnly)
        return loadOntoServer(server, file, records).isEmpty()
            || loadOntoServer(server, file, records, Target::CreatedCatalogue).isEmpty();
    const QString location = loadOntoServer(server, file, records);
    if (location.isEmpty())
        return 1;
    QTemporaryDir copies;
    const QString fileCopy = copies.filePath(QStringLiteral("morvo.res"));
    QFile::copy(file, fileCopy);
    for (const QString &where : {fileCopy, location}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QString::number(records), where});
        child.waitForFinished(-1);
    }
    return 0;
}
