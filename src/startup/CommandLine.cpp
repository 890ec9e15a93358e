#include "startup/CommandLine.h"

#include "program/ProgramFacts.h"

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

// Every command of the program, in the order --help lists them.
constexpr Command Commands[] = {
    {"--help", "", "show this help and end", printHelp},
    {"--version", "", "show the version and end", printVersion},
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
