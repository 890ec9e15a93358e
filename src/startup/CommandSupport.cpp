#include "startup/CommandSupport.h"

#include "desktop/AppPaths.h"
#include "desktop/Settings.h"
#include "program/ProgramFacts.h"
#include "stores/StoreFactory.h"
#include "stores/postgres/PgStore.h"

#include <QDir>
#include <QFileInfo>

namespace CommandSupport {

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

int failed(const QString &text, int status)
{
    err() << "morvo: " << text << Qt::endl;
    return status;
}

int usage(const char *command)
{
    return failed(QStringLiteral("usage: morvo %1; see 'morvo --help'.").arg(QLatin1String(command)), 2);
}

QString catalogueInUse()
{
    const QString stored = setting(SettingsKeys::DbsLocation);
    return namesServer(stored) || QFileInfo(stored).isFile()
        ? stored
        : AppPaths::companion(QString::fromLatin1(ProgramFacts::CatalogueFileName));
}

QString shown(const QString &location)
{
    return namesServer(location) ? PgStore::shown(location) : QDir::toNativeSeparators(location);
}

QString located(const QString &given)
{
    return namesServer(given) ? given : QFileInfo(given).absoluteFilePath();
}
}
