#include "backups/CatalogueBackups.h"

#include "stores/sqlite/SqliteFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <map>
#include <set>

namespace CatalogueBackups {

QString fileNameFor(const QString &catalogue, QDate day)
{
    return QFileInfo(catalogue).completeBaseName() + u' ' + day.toString(Qt::ISODate) + QStringLiteral(".res");
}

QStringList expired(const QString &folder, const QString &catalogue)
{
    const QRegularExpression name(u'^' + QRegularExpression::escape(QFileInfo(catalogue).completeBaseName())
                                  + QStringLiteral(" (\\d{4}-\\d\\d-\\d\\d)\\.res$"));
    std::map<QDate, QString, std::greater<>> copies; // newest first
    for (const QString &file : QDir(folder).entryList(QDir::Files)) {
        const QRegularExpressionMatch match = name.match(file);
        const QDate day = match.hasMatch() ? QDate::fromString(match.captured(1), Qt::ISODate) : QDate();
        if (day.isValid())
            copies.emplace(day, file);
    }
    std::set<QDate> kept;
    std::set<std::pair<int, int>> weeks;
    for (const auto &[day, file] : copies) {
        int year = 0;
        const int week = day.weekNumber(&year);
        if (int(kept.size()) < DaysKept)
            kept.insert(day);
        // The newest copy of each of the newest weeks.
        if (weeks.size() < size_t(WeeksKept) && weeks.insert({year, week}).second)
            kept.insert(day);
    }
    QStringList old;
    for (const auto &[day, file] : copies) {
        if (!kept.contains(day))
            old << QDir(folder).filePath(file);
    }
    return old;
}

Outcome backUpNow(const QString &catalogue, const QString &folder, QDate today)
{
    if (!QDir().mkpath(folder))
        return {{}, QStringLiteral("the folder \"%1\" cannot be made").arg(QDir::toNativeSeparators(folder))};
    const QString target = QDir(folder).filePath(fileNameFor(catalogue, today));
    QString error;
    if (!SqliteFiles::backUp(catalogue, target, &error))
        return {{}, error};
    for (const QString &file : expired(folder, catalogue)) {
        if (QFileInfo(file) != QFileInfo(catalogue)) // a copy opened as the catalogue stays
            QFile::remove(file);
    }
    return {target, {}};
}

Outcome backUpDaily(const QString &catalogue, const QString &folder, QDate today)
{
    if (QFileInfo::exists(QDir(folder).filePath(fileNameFor(catalogue, today))))
        return {};
    return backUpNow(catalogue, folder, today);
}

}
