#include "startup/HistoryCommands.h"

#include "backups/CatalogueBackups.h"
#include "catalogue/CatalogueFields.h"
#include "catalogue/LeadingNumber.h"
#include "import/Csv.h"
#include "startup/CommandSupport.h"
#include "startup/DailyBackup.h"
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

// The next free job number after the highest one stored.
QString nextFreeJobNumber(const QStringList &taken)
{
    const auto highest = std::ranges::max_element(
        taken, [](const QString &a, const QString &b) { return LeadingNumber::parse(a) < LeadingNumber::parse(b); });
    return LeadingNumber::nextAfter(highest == taken.end() ? QString() : *highest);
}

QString outcomeOf(const StoreResult &result)
{
    switch (result.status) {
    case StoreStatus::Done:
        return {};
    case StoreStatus::Failed:
        return result.error;
    case StoreStatus::Gone:
        return QStringLiteral("someone else deleted the record meanwhile");
    case StoreStatus::Changed:
        return QStringLiteral("someone else changed the record meanwhile");
    case StoreStatus::DuplicateJobNumber:
        return QStringLiteral("someone else stored its job number meanwhile");
    }
    return {};
}
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
    QString error, target;
    if (given.rest.isEmpty()) {
        const CatalogueBackups::Outcome made =
            CatalogueBackups::backUpNow(given.catalogue, DailyBackup::folder(), QDate::currentDate());
        target = made.written;
        error = made.error;
    } else if ((target = located(given.rest[0])) == QFileInfo(given.catalogue).absoluteFilePath()) {
        return failed(QStringLiteral("a catalogue cannot be backed up over itself."));
    } else {
        SqliteFiles::backUp(given.catalogue, target, &error);
    }
    if (!error.isEmpty())
        return failed(QStringLiteral("the catalogue %1 could not be copied: %2.").arg(shown(given.catalogue), error));
    out() << "Wrote a copy of " << shown(given.catalogue) << " to " << shown(target) << '.' << Qt::endl;
    return 0;
}

int restoreVersion(const QStringList &arguments)
{
    const Arguments given = split(arguments);
    bool numbered = false;
    const qint64 wanted = given.rest.value(2).toLongLong(&numbered);
    if (!given.valid || given.rest.size() != 3 || given.rest[1] != QLatin1String("--version") || !numbered)
        return usage("--restore JOBNUMBER --version N [--catalogue LOCATION]");
    const QString job = given.rest[0];
    QString error;
    const std::unique_ptr<CatalogueStore> store = openCatalogueStore(given.catalogue, false, error);
    if (!store)
        return failed(error);
    if (const QString reason = store->readOnlyReason(Projects); !reason.isEmpty())
        return failed(reason);
    // The cursor first: whatever is stored after it with the same job number clashes.
    const qint64 cursor = store->changeCursor(Projects);
    const std::optional<QStringList> fields = store->columns(Projects, error);
    const std::optional<std::vector<RecordVersion>> versions =
        fields ? store->versions(Projects, job, error) : std::nullopt;
    if (!versions)
        return failed(error);
    const auto version = std::ranges::find(*versions, wanted, &RecordVersion::number);
    if (version == versions->end())
        return failed(QStringLiteral("the job %1 has no version %2 in the catalogue %3.")
                          .arg(job)
                          .arg(wanted)
                          .arg(shown(given.catalogue)));
    const int keyColumn = int(fields->indexOf(QLatin1String(HistoryKeyColumn)));
    const StoreRules rules{keyColumn, cursor, "restore"};
    std::optional<StoredRecord> current;
    if (!version->recordGone && !(current = store->read(Projects, version->recordId, error)) && !error.isEmpty())
        return failed(error);
    std::map<int, QString> values;
    for (size_t column = 0; column < version->values.size(); ++column) {
        const QVariant &value = version->values[column];
        if (current ? current->values[column] != value : !value.isNull())
            values.emplace(int(column), value.toString());
    }
    // Its job number, when another record holds it now, gives way to the next free one.
    const QString ownNumber = keyColumn >= 0 ? version->values[size_t(keyColumn)].toString() : QString();
    QString storedAs = ownNumber;
    if (keyColumn >= 0 && (!current || current->values[size_t(keyColumn)].toString() != ownNumber)) {
        const std::optional<QStringList> taken =
            store->distinctValues(Projects, QLatin1String(HistoryKeyColumn), error);
        if (!taken)
            return failed(error);
        if (taken->contains(ownNumber))
            values[keyColumn] = storedAs = nextFreeJobNumber(*taken);
    }
    if (current && values.empty()) {
        out() << "Version " << wanted << " of job " << job << " is the record as it stands; nothing was stored."
              << Qt::endl;
        return 0;
    }
    const StoreResult result =
        current ? store->update(Projects, *current, values, rules) : store->insert(Projects, values, rules);
    if (const QString problem = outcomeOf(result); !problem.isEmpty())
        return failed(QStringLiteral("version %1 of job %2 was not restored: %3.").arg(wanted).arg(job, problem));
    out() << "Restored version " << wanted << " of job " << job << (current ? "" : " as a new record")
          << (storedAs != ownNumber
                  ? QStringLiteral(" under the job number %1, as %2 is taken").arg(storedAs, ownNumber)
                  : QString())
          << " in " << shown(given.catalogue) << '.' << Qt::endl;
    return 0;
}
}
