#include "startup/UserCatalogue.h"

#include "catalogue/ExampleCatalogue.h"
#include "desktop/AppPaths.h"
#include "program/ProgramFacts.h"

#include <QDir>
#include <QFileInfo>

namespace {
QString deliveredExample()
{
    return AppPaths::companion(QString::fromLatin1(ProgramFacts::CatalogueFileName));
}
}

QString UserCatalogue::prepare()
{
    const QString own = AppPaths::userFile(QString::fromLatin1(ProgramFacts::CatalogueFileName));
    // A catalogue of the user's is never replaced, whatever it holds.
    if (QFileInfo(own).exists() || !QFileInfo(deliveredExample()).isFile())
        return own;
    QString error;
    if (!QDir().mkpath(AppPaths::userDataFolder()) || !ExampleCatalogue::copyTo(deliveredExample(), own, &error))
        qWarning("The example catalogue could not be copied to %s: %s", qPrintable(own), qPrintable(error));
    return own;
}

bool UserCatalogue::isDeliveredExample(const QString &path)
{
    const QString example = QFileInfo(deliveredExample()).canonicalFilePath();
    return !example.isEmpty() && QFileInfo(path).canonicalFilePath() == example;
}
