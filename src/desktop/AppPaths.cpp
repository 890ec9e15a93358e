#include "desktop/AppPaths.h"

#include <QCoreApplication>

namespace {
QString &overrideFolder()
{
    static QString folder;
    return folder;
}
}

QString AppPaths::programFolder()
{
    return overrideFolder().isEmpty() ? QCoreApplication::applicationDirPath() : overrideFolder();
}

void AppPaths::setProgramFolder(const QString &folder)
{
    overrideFolder() = folder;
}

QString AppPaths::companion(const QString &name)
{
    return programFolder() + u'/' + name;
}
