#include "import/CatalogueFile.h"

#include <QByteArray>
#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr qsizetype HeaderBytes = 4096;
constexpr char SqliteMagic[] = "SQLite format 3"; // followed by a NUL

QByteArray readStart(int fd)
{
    QByteArray bytes(HeaderBytes, '\0');
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (got <= 0)
            break;
        filled += got;
    }
    bytes.truncate(filled);
    return bytes;
}
}

CatalogueFile inspectCatalogueFile(const QString &path)
{
    CatalogueFile file;
    // Non-blocking, so that a pipe named as a catalogue cannot hold the caller.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return file;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        file.kind = CatalogueFile::NotRegular;
        ::close(fd);
        return file;
    }
    file.size = info.st_size;
    const QByteArray start = readStart(fd);
    ::close(fd);
    file.jet = readJetHeader(start);
    if (start.isEmpty())
        file.kind = file.size == 0 ? CatalogueFile::Empty : CatalogueFile::Unreadable;
    else if (start.startsWith(QByteArray(SqliteMagic, sizeof SqliteMagic)))
        file.kind = CatalogueFile::Sqlite;
    else if (file.jet.engine != JetHeader::NotJet)
        file.kind = CatalogueFile::Jet;
    else
        file.kind = CatalogueFile::Other;
    return file;
}
