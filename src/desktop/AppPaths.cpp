#include "desktop/AppPaths.h"

#include "program/ProgramFacts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString &overrideFolder()
{
    static QString folder;
    return folder;
}

QString under(const QString &folder, const char *relative)
{
    return QDir::cleanPath(folder + u'/' + QString::fromUtf8(relative));
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

AppPaths::Layout AppPaths::layoutFor(const QString &programFolder)
{
    // The install's folders relative to its program folder (from GNUInstallDirs),
    // so that a relocated install, or a package unpacked anywhere, still works.
    const QString installedCompanions = under(programFolder, MORVO_COMPANIONS_FROM_PROGRAM);
    if (QFileInfo(installedCompanions).isDir())
        return {installedCompanions, under(programFolder, MORVO_HELPERS_FROM_PROGRAM)};
    return {programFolder, programFolder};
}

QString AppPaths::companion(const QString &name)
{
    return layoutFor(programFolder()).companions + u'/' + name;
}

QString AppPaths::helperProgram(const QString &name)
{
    // Tests run from a folder of their own while the helpers stay in the build's.
    const QString folder =
        helperFolder().isEmpty() ? layoutFor(QCoreApplication::applicationDirPath()).helpers : helperFolder();
    return folder + u'/' + name;
}

void AppPaths::setHelperFolder(const QString &folder)
{
    helperFolder() = folder;
}

QString AppPaths::userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u'/'
        + QString::fromLatin1(ProgramFacts::UserDataFolderName);
}

QString AppPaths::userFile(const QString &name)
{
    return userDataFolder() + u'/' + name;
}
