#include "modules/LaunchApp.h"

#include "desktop/Launcher.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

#include <algorithm>

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

// Types the desktop hands to a program runner (the entry's own command, a
// Windows emulator, a Java machine) rather than to a viewer, whatever the mode.
constexpr const char *RunnerTypes[] = {"application/x-desktop", "application/x-ms-dos-executable", "application/x-msi",
                                       "application/x-java-archive"};
// Types that run as they are once their run bit is set (scripts included).
constexpr const char *ProgramTypes[] = {"application/x-executable", "application/x-sharedlib"};

bool startsLikeProgram(const QString &path)
{
    QFile file(path);
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(4) : QByteArray();
    return head.startsWith("#!")
        || head
        == QByteArrayLiteral("\x7f"
                             "ELF");
}

// Opening a program, a script with its run bit or a desktop entry would run it:
// a catalogue must never make a double-click run code. Drawings on Windows
// shares and FAT disks carry the run bit as well, so with the run bit only what
// really is a program is refused.
bool wouldRunCode(const QFileInfo &info)
{
    if (info.isDir())
        return false;
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info);
    const auto isA = [&mime](const char *type) { return mime.inherits(QString::fromLatin1(type)); };
    if (std::ranges::any_of(RunnerTypes, isA))
        return true;
    return info.isExecutable() && (std::ranges::any_of(ProgramTypes, isA) || startsLikeProgram(info.filePath()));
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

qint32 LaunchApp::open(const QString &target)
{
    return launchTarget(target);
}
