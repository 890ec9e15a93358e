#include "startup/CommandLine.h"

#include "catalogue/CatalogueFields.h"
#include "program/ProgramFacts.h"
#include "startup/CommandSupport.h"
#include "startup/HistoryCommands.h"
#include "startup/ImportCommands.h"
#include "stores/postgres/PgStore.h"

#include <QCoreApplication>

using namespace CommandSupport;

namespace {
struct Command
{
    const char *name;
    const char *usage; // what follows the name, for --help
    const char *help;
    int (*run)(const QStringList &arguments); // the arguments after the name
};

int printHelp(const QStringList &);
int printVersion(const QStringList &)
{
    out() << "morvo " << MORVO_VERSION << Qt::endl;
    return 0;
}

// Makes the Projects table of a catalogue on a PostgreSQL server.
int createCatalogue(const QStringList &arguments)
{
    if (arguments.size() != 1 || !PgStore::names(arguments[0])) {
        err() << "morvo: --create-catalogue takes one PostgreSQL address (postgresql://… or service=…)." << Qt::endl;
        return 2;
    }
    QStringList fields;
    for (const CatalogueField &field : CatalogueFields)
        fields << QString::fromUtf8(field.field);
    QString error;
    if (!PgStore::create(arguments[0], QString::fromLatin1(ProjectsTable), fields, error)) {
        err() << "morvo: " << error << Qt::endl;
        return 1;
    }
    out() << "Created the catalogue " << PgStore::shown(arguments[0]) << '.' << Qt::endl;
    return 0;
}

// Every command of the program, in the order --help lists them.
constexpr Command Commands[] = {
    {"--help", "", "show this help and end", printHelp},
    {"--version", "", "show the version and end", printVersion},
    {"--create-catalogue", "URI", "make a new, empty catalogue on a PostgreSQL server", createCatalogue},
    {"--export", "FILE.csv",
     "write every record of the catalogue in use (a file or a\n"
     "                                     server) to FILE.csv:\n"
     "                                     CSV as RFC 4180 has it, UTF-8 with a byte order mark, a\n"
     "                                     header row naming the eight fields; an empty field is\n"
     "                                     NULL, \"\" is empty text",
     ImportCommands::exportCsv},
    {"--import", "SOURCE [--to CATALOGUE]",
     "add every record of SOURCE to CATALOGUE, all or nothing.\n"
     "                                     SOURCE: a catalogue of the Windows version (Jet), a CSV\n"
     "                                     file as --export writes it, or another catalogue.\n"
     "                                     Either catalogue may be a file or a PostgreSQL address\n"
     "                                     (postgresql://… or service=…); onto a server the records\n"
     "                                     go in one transaction, counted and checked field by field.\n"
     "                                     CATALOGUE is made when it does not exist. Without --to:\n"
     "                                     a new catalogue \"<name> (converted).res\" beside SOURCE\n"
     "                                     (in ~/.local/share/MorvoII if that folder is read-only).\n"
     "                                     The catalogue in use stays as it is. A failure says why,\n"
     "                                     ends with status 1 and leaves nothing behind",
     ImportCommands::importRecords},
    {"--history", "JOBNUMBER [--catalogue LOCATION]",
     "print every version of the job kept in the catalogue's history,\n"
     "                                     newest first, as CSV (RFC 4180) with a header row:\n"
     "                                     Version,Time,User,Change and the eight fields. Time is\n"
     "                                     ISO 8601 UTC, Change one of add, update, delete, restore;\n"
     "                                     a version without time is the record as it was stored\n"
     "                                     before history was kept. Status 1 when the job was\n"
     "                                     never in the catalogue",
     HistoryCommands::printHistory},
    {"--restore", "JOBNUMBER --version N [--catalogue LOCATION]",
     "store version N of the job (as --history numbers them) again;\n"
     "                                     a deleted job comes back as a new record, under the next\n"
     "                                     free job number when its own is taken",
     HistoryCommands::restoreVersion},
    {"--prune-history", "BEFORE-DATE [--catalogue LOCATION]",
     "forget the versions stored before BEFORE-DATE (YYYY-MM-DD, UTC)", HistoryCommands::pruneHistory},
    {"--backup", "[FILE] [--catalogue LOCATION]",
     "write a consistent copy of a catalogue file, history included,\n"
     "                                     while others keep working on it; without FILE into\n"
     "                                     ~/.local/share/MorvoII/backups/, named after the catalogue\n"
     "                                     and the date. A server's catalogue: use pg_dump",
     HistoryCommands::backUp},
};

int printHelp(const QStringList &)
{
    out() << "Usage: morvo [COMMAND]\n"
             "Without a command, Morvo II opens its window on the catalogue in use.\n"
             "Without --catalogue, a command acts on the catalogue in use (\"DbsLocation\").\n\n"
             "Commands:\n";
    for (const Command &command : Commands) {
        const QString left = QString::fromLatin1(command.name) + u' ' + QString::fromLatin1(command.usage);
        // A long usage has the help on the lines below it.
        constexpr int HelpColumn = 34;
        const QString lead = left.size() > HelpColumn ? left + u'\n' + QString(HelpColumn + 3, u' ')
                                                      : left.leftJustified(HelpColumn) + u' ';
        out() << "  " << lead << command.help << '\n';
    }
    out().flush();
    return 0;
}
}

int CommandLine::run(const QStringList &arguments)
{
    for (const Command &command : Commands) {
        if (arguments.constFirst() == QLatin1String(command.name))
            return command.run(arguments.mid(1));
    }
    err() << "morvo: unknown option '" << arguments.value(0) << "'; see 'morvo --help'." << Qt::endl;
    return 2;
}
