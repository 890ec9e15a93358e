#include "PackageRoot.h"

#include <QDir>
#include <QProcess>

QString PackageRoot::package()
{
    const QDir folder(qEnvironmentVariable("MORVO_PACKAGE_DIR"));
    const QStringList debs = folder.entryList({"*.deb"}, QDir::Files);
    return debs.size() == 1 ? folder.filePath(debs.first()) : QString();
}

bool PackageRoot::unpack()
{
    QProcess dpkg;
    dpkg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    dpkg.start("dpkg-deb", {"-x", package(), dir_.path()});
    return !package().isEmpty() && dpkg.waitForFinished(60000) && dpkg.exitCode() == 0;
}
