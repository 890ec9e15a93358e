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

QByteArray headOf(const QString &path, qint64 length)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(length) : QByteArray();
}

bool startsLikeProgram(const QByteArray &head)
{
    return head.startsWith("#!")
        || head.startsWith(QByteArrayLiteral("\x7f"
                                             "ELF"));
}

// Windows programs (DOS and PE executables, screen savers, control panel
// items) and Windows shortcuts, whatever their name: Wine runs them.
bool startsLikeWindowsProgram(const QByteArray &head)
{
    static const QByteArray ShortcutMagic = QByteArray::fromHex("4C0000000114020000000000C000000000000046");
    return head.startsWith("MZ") || head.startsWith(ShortcutMagic);
}

// Windows ignores dots and blanks at the end of a name ("setup.bat." runs
// setup.bat), and never the case of a suffix.
bool hasWindowsRunnableName(const QFileInfo &info)
{
    QString name = info.fileName();
    while (name.endsWith(u'.') || name.endsWith(u' '))
        name.chop(1);
    const QString suffix = name.mid(name.lastIndexOf(u'.') + 1).toLower();
    return name.contains(u'.') && std::ranges::any_of(LaunchApp::WindowsRunnableSuffixes, [&suffix](const char *s) {
               return suffix == QLatin1String(s);
           });
}

// Opening a program, a script with its run bit, a desktop entry or anything
// Windows would run (Wine may be installed) would run it:
// a catalogue must never make a double-click run code. Drawings on Windows
// shares and FAT disks carry the run bit as well, so with the run bit only what
// really is a program is refused.
bool wouldRunCode(const QFileInfo &info)
{
    if (info.isDir())
        return false;
    if (hasWindowsRunnableName(info))
        return true;
    const QByteArray head = headOf(info.filePath(), 20);
    if (startsLikeWindowsProgram(head))
        return true;
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info);
    const auto isA = [&mime](const char *type) { return mime.inherits(QString::fromLatin1(type)); };
    if (std::ranges::any_of(RunnerTypes, isA))
        return true;
    return info.isExecutable() && (std::ranges::any_of(ProgramTypes, isA) || startsLikeProgram(head));
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
