#include "startup/HistoryCommands.h"

#include "catalogue/CatalogueFields.h"
#include "desktop/AppPaths.h"
#include "import/Csv.h"
#include "startup/CommandSupport.h"
#include "stores/StoreFactory.h"
#include "stores/sqlite/SqliteFiles.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

using namespace CommandSupport;

namespace {
// The arguments without "--catalogue LOCATION", and the location (the catalogue in use without it).
struct Arguments
{
    QStringList rest;
    QString catalogue;
    bool valid = true;
};

Arguments split(const QStringList &arguments)
{
    Arguments split;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != QLatin1String("--catalogue"))
            split.rest << arguments[i];
        else if (i + 1 < arguments.size() && split.catalogue.isEmpty())
            split.catalogue = located(arguments[++i]);
        else
            split.valid = false;
    }
    if (split.catalogue.isEmpty())
        split.catalogue = catalogueInUse();
    return split;
}

std::optional<QByteArray> csvField(const QVariant &value)
{
    return value.isNull() ? std::nullopt : std::optional<QByteArray>(value.toString().toUtf8());
}

const QString Projects = QString::fromLatin1(ProjectsTable);
}

namespace HistoryCommands {

int printHistory(const QStringList &arguments)
{
    const Arguments given = split(arguments);
    if (!given.valid || given.rest.size() != 1 || given.rest[0].startsWith(u'-'))
        return usage("--history JOBNUMBER [--catalogue LOCATION]");
    QString error;
    const std::unique_ptr<CatalogueStore> store = openCatalogueStore(given.catalogue, true, error);
    if (!store)
        return failed(error);
    const std::optional<QStringList> fields = store->columns(Projects, error);
    const std::optional<std::vector<RecordVersion>> versions =
        fields ? store->versions(Projects, given.rest[0], error) : std::nullopt;
    if (!versions)
        return failed(error);
    if (versions->empty())
        return failed(
            QStringLiteral("the job %1 was never in the catalogue %2.").arg(given.rest[0], shown(given.catalogue)));
    QByteArray csv;
    Csv::Row header{"Version", "Time", "User", "Change"};
    for (const QString &field : *fields)
        header.emplace_back(field.toUtf8());
    Csv::appendRow(csv, header);
    for (const RecordVersion &version : *versions) {
        // An unknown time or user is an empty field, not empty text.
        Csv::Row row{QByteArray::number(version.number), csvField(version.time.isEmpty() ? QVariant() : version.time),
                     csvField(version.user.isEmpty() ? QVariant() : version.user), version.change.toUtf8()};
        for (size_t column = 0; column < size_t(fields->size()); ++column)
            row.push_back(csvField(column < version.values.size() ? version.values[column] : QVariant()));
        Csv::appendRow(csv, row);
    }
    out() << QString::fromUtf8(csv) << Qt::flush;
    return 0;
}

int pruneHistory(const QStringList &arguments)
{
    const Arguments given = split(arguments);
    const QDate date = QDate::fromString(given.rest.value(0), Qt::ISODate);
    if (!given.valid || given.rest.size() != 1 || !date.isValid())
        return usage("--prune-history BEFORE-DATE (YYYY-MM-DD) [--catalogue LOCATION]");
    QString error;
    const std::unique_ptr<CatalogueStore> store = openCatalogueStore(given.catalogue, false, error);
    // Midnight UTC at the start of the day: the day itself is kept.
    const QString before = QDateTime(date, QTime(0, 0), Qt::UTC).toString(Qt::ISODate);
    const std::optional<qint64> forgotten = store ? store->pruneHistory(Projects, before, error) : std::nullopt;
    if (!forgotten)
        return failed(error);
    out() << "Forgot " << *forgotten << " versions stored before " << date.toString(Qt::ISODate) << " in "
          << shown(given.catalogue) << '.' << Qt::endl;
    return 0;
}

int backUp(const QStringList &arguments)
{
    const Arguments given = split(arguments);
    if (!given.valid || given.rest.size() > 1 || given.rest.value(0).startsWith(u'-'))
        return usage("--backup [FILE] [--catalogue LOCATION]");
    if (namesServer(given.catalogue))
        return failed(QStringLiteral("the catalogue %1 is on a database server; back it up with the server's own "
                                     "tools (pg_dump).")
                          .arg(shown(given.catalogue)));
    if (!QFileInfo(given.catalogue).isFile())
        return failed(QStringLiteral("the catalogue file \"%1\" does not exist.").arg(shown(given.catalogue)));
    QString target = given.rest.isEmpty() ? QString() : located(given.rest[0]);
    if (target.isEmpty()) {
        const QString folder = AppPaths::userFile(QStringLiteral("backups"));
        QDir().mkpath(folder);
        target = folder + u'/' + QFileInfo(given.catalogue).completeBaseName() + u' '
            + QDate::currentDate().toString(Qt::ISODate) + QStringLiteral(".res");
    }
    if (QFileInfo(target).absoluteFilePath() == QFileInfo(given.catalogue).absoluteFilePath())
        return failed(QStringLiteral("a catalogue cannot be backed up over itself."));
    QString error;
    if (!SqliteFiles::backUp(given.catalogue, target, &error))
        return failed(QStringLiteral("the catalogue %1 could not be copied to %2: %3.")
                          .arg(shown(given.catalogue), shown(target), error));
    out() << "Wrote a copy of " << shown(given.catalogue) << " to " << shown(target) << '.' << Qt::endl;
    return 0;
}
}
