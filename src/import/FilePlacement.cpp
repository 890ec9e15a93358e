#include "import/FilePlacement.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {
QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

bool syncPath(const QString &path, int flags)
{
    const int fd = ::open(encoded(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

void syncFolderOf(const QString &path)
{
    syncPath(QFileInfo(path).absolutePath(), O_RDONLY | O_DIRECTORY);
}

// Some file systems (network shares, FAT) know neither an exclusive rename
// nor hard links: there the name is checked just before the rename.
int renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno == EEXIST)
        return EEXIST;
    if (::access(to.constData(), F_OK) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}
}

namespace FilePlacement {

QString createTemporaryBeside(const QString &target, int *errorNumber)
{
    const QFileInfo info(target);
    // Made with the permissions the user's umask gives any new file (the
    // catalogue may be shared), under a name nobody else uses.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = QStringLiteral("%1/.%2-%3")
                                 .arg(info.absolutePath(), info.fileName())
                                 .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
        const int fd = ::open(encoded(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            *errorNumber = 0;
            return name;
        }
        if (errno != EEXIST)
            break;
    }
    *errorNumber = errno;
    return QString();
}

bool syncFile(const QString &path)
{
    return syncPath(path, O_RDWR);
}

bool placeWithoutReplacing(const QString &temporary, const std::function<QString(int attempt)> &names,
                           QString *placedAs)
{
    for (int attempt = 0;; ++attempt) {
        const QString name = names(attempt);
        if (name.isEmpty())
            return false;
        const int result = renameNoReplace(encoded(temporary), encoded(name));
        if (result == 0) {
            *placedAs = name;
            syncFolderOf(name);
            return true;
        }
        if (result != EEXIST)
            return false;
    }
}

bool placeReplacing(const QString &temporary, const QString &target)
{
    if (::rename(encoded(temporary).constData(), encoded(target).constData()) != 0)
        return false;
    syncFolderOf(target);
    return true;
}

bool isUnwritableFolder(int errorNumber)
{
    return errorNumber == EACCES || errorNumber == EROFS || errorNumber == EPERM;
}
}
