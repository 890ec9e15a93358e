#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// Copies of catalogue files in a folder of their own, one a day at most,
// named after the catalogue and the date; the 7 newest days are kept, and
// for the 4 newest weeks the newest copy of each.
namespace CatalogueBackups {

inline constexpr int DaysKept = 7;
inline constexpr int WeeksKept = 4;

// "<catalogue's name> YYYY-MM-DD.res"
QString fileNameFor(const QString &catalogue, QDate day);
// The copies of the catalogue in the folder that the rotation no longer keeps.
QStringList expired(const QString &folder, const QString &catalogue);

struct Outcome
{
    QString written; // the copy made; empty when none was needed or it failed
    QString error; // why it failed; empty on success
};
// Today's copy, unless the folder holds one already; then the expired ones go.
Outcome backUpDaily(const QString &catalogue, const QString &folder, QDate today);
// A copy now (before a conversion or an import into the catalogue), over today's.
Outcome backUpNow(const QString &catalogue, const QString &folder, QDate today);

}
