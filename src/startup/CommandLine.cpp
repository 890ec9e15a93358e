#include "startup/CommandLine.h"

#include "catalogue/CatalogueFields.h"
#include "program/ProgramFacts.h"
#include "startup/ImportCommands.h"
#include "stores/postgres/PgStore.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {
QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

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
};

int printHelp(const QStringList &)
{
    out() << "Usage: morvo [COMMAND]\n"
             "Without a command, Morvo II opens its window on the catalogue in use.\n\n"
             "Commands:\n";
    for (const Command &command : Commands) {
        const QString left = QString::fromLatin1(command.name) + u' ' + QString::fromLatin1(command.usage);
        out() << "  " << left.leftJustified(34) << ' ' << command.help << '\n';
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
