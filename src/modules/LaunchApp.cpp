#include "modules/LaunchApp.h"

#include "platform/Launcher.h"

#include <QFileInfo>
#include <QMimeDatabase>

namespace {
// Links the desktop may open; everything else must be a local file or folder.
bool isAllowedLink(const QUrl &url)
{
    static const QStringList schemes{QStringLiteral("mailto"), QStringLiteral("http"), QStringLiteral("https")};
    return schemes.contains(url.scheme().toLower());
}

// A scheme needs two letters or more, so that "C:\Jobs" stays a path.
bool looksLikeLink(const QString &target)
{
    const qsizetype colon = target.indexOf(u':');
    return colon >= 2 && QUrl(target).isValid() && !QUrl(target).scheme().isEmpty();
}

// Opening a program, a script with its run bit or a desktop entry would run it:
// a catalogue must never make a double-click run code.
bool wouldRunCode(const QFileInfo &info)
{
    if (info.isDir())
        return false;
    if (info.isExecutable())
        return true;
    const QString mime = QMimeDatabase().mimeTypeForFile(info).name();
    return info.suffix().compare(QStringLiteral("desktop"), Qt::CaseInsensitive) == 0
        || mime == QStringLiteral("application/x-desktop");
}

qint32 launchTarget(const QString &target)
{
    QUrl url;
    if (looksLikeLink(target)) {
        url = QUrl(target);
        if (!url.isLocalFile()) {
            if (!isAllowedLink(url))
                return LaunchApp::ErrAccessDenied;
            return LaunchUrl(url) ? LaunchApp::LaunchOk : LaunchApp::ErrNoAssociation;
        }
    } else {
        url = QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    }
    const QFileInfo info(url.toLocalFile());
    if (target.trimmed().isEmpty() || !info.exists())
        return LaunchApp::ErrFileNotFound;
    if (wouldRunCode(info))
        return LaunchApp::ErrAccessDenied;
    return LaunchUrl(url) ? LaunchApp::LaunchOk : LaunchApp::ErrNoAssociation;
}
}

qint32 LaunchApp::LaunchFile(QString &target, bool &printFlag, qint16 &showCode)
{
    if (showCode == 0)
        showCode = 1;
    // The desktop has no print verb to hand a file to.
    if (printFlag)
        return ErrNoAssociation;
    return launchTarget(target);
}
