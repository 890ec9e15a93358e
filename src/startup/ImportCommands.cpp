#include "startup/ImportCommands.h"

#include "backups/CatalogueBackups.h"
#include "desktop/AppPaths.h"
#include "import/CatalogueTarget.h"
#include "import/Conversion.h"
#include "import/CsvCatalogueWriter.h"
#include "import/ImportSource.h"
#include "import/JetReaderProtocol.h"
#include "import/NewCatalogue.h"
#include "startup/CommandSupport.h"
#include "startup/DailyBackup.h"
#include "stores/StoreFactory.h"

#include <QFileInfo>
#include <csignal>
#include <unistd.h>

using namespace CommandSupport;

namespace {
// Ctrl-C (or a kill) asks the conversion to stop, so that it leaves nothing behind.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void interrupt(int)
{
    interrupted = true;
}

// A catalogue file that records go into is copied first; a copy that cannot
// be made is said, and the import goes on (it adds all or nothing).
void backUpBeforeImport(const QString &catalogue)
{
    if (namesServer(catalogue) || !QFileInfo(catalogue).isFile())
        return;
    const CatalogueBackups::Outcome made =
        CatalogueBackups::backUpNow(catalogue, DailyBackup::folder(), QDate::currentDate());
    if (!made.error.isEmpty())
        err() << "morvo: no copy of " << shown(catalogue) << " could be made before the import: " << made.error << '.'
              << Qt::endl;
}

// Copies the records, telling a terminal how far it has got.
int copy(const QString &from, CatalogueWriter &writer, const char *done)
{
    const ImportSource opened =
        importSourceFor(from, AppPaths::helperProgram(QString::fromLatin1(JetReaderProtocol::ProgramName)));
    if (!opened.source)
        return failed(opened.refusal);
    const bool terminal = isatty(STDERR_FILENO);
    std::signal(SIGINT, interrupt);
    std::signal(SIGTERM, interrupt);
    const ConversionResult result =
        convertRecords(*opened.source, writer, interrupted, [terminal](qint64 read, qint64 expected) {
            if (terminal)
                err() << "\rmorvo: " << read << " of about " << expected << " records" << Qt::flush;
        });
    if (terminal)
        err() << '\r' << QString(60, u' ') << '\r' << Qt::flush;
    for (const QString &note : result.notes)
        err() << "morvo: " << note << Qt::endl;
    if (result.outcome == ConversionResult::Cancelled)
        return failed(QStringLiteral("interrupted; nothing was written."), 130);
    if (result.outcome == ConversionResult::Failed)
        return failed(result.error + QStringLiteral(" Nothing was written."));
    out() << QString::fromLatin1(done).arg(result.records).arg(shown(from), shown(result.target)) << Qt::endl;
    return 0;
}
}

namespace ImportCommands {

int exportCsv(const QStringList &arguments)
{
    if (arguments.size() != 1 || arguments[0].startsWith(u'-'))
        return usage("--export FILE.csv");
    CsvCatalogueWriter writer(QFileInfo(arguments[0]).absoluteFilePath());
    return copy(catalogueInUse(), writer, "Exported %1 records of %2 to %3.");
}

int importRecords(const QStringList &arguments)
{
    const bool withTarget = arguments.size() == 3 && arguments[1] == QLatin1String("--to");
    if ((arguments.size() != 1 && !withTarget) || arguments[0].startsWith(u'-'))
        return usage("--import SOURCE [--to CATALOGUE]");
    const QString source = located(arguments[0]);
    if (withTarget) {
        backUpBeforeImport(located(arguments[2]));
        CatalogueTarget target = catalogueTargetFor(arguments[2]);
        if (!target.writer)
            return failed(target.refusal);
        return copy(source, *target.writer, "Imported %1 records from %2 into %3.");
    }
    if (namesServer(source))
        return failed(QStringLiteral("a catalogue on a server has no folder to put a new catalogue beside; name the "
                                     "catalogue to import into with --to."),
                      2);
    bool inDataFolder = false;
    const QString folder = NewCatalogue::folderFor(source, NewCatalogue::userDataFolder(), &inDataFolder);
    auto writer = SqliteCatalogueWriter::newCatalogue(NewCatalogue::namesFor(source, folder));
    return copy(source, *writer, "Imported %1 records from %2 into the new catalogue %3.");
}
}
