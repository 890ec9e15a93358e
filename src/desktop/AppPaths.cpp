#include "desktop/AppPaths.h"

#include <QCoreApplication>

namespace {
QString &overrideFolder()
{
    static QString folder;
    return folder;
}

QString &helperFolder()
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

QString AppPaths::helperProgram(const QString &name)
{
    // Helpers are built beside the program; tests may move the program folder
    // away, but never its helpers.
    const QString folder = helperFolder().isEmpty() ? QCoreApplication::applicationDirPath() : helperFolder();
    return folder + u'/' + name;
}

void AppPaths::setHelperFolder(const QString &folder)
{
    helperFolder() = folder;
}
