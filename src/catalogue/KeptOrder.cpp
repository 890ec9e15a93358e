#include "catalogue/KeptOrder.h"

#include "catalogue/KeptFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <array>
#include <cstring>

namespace {
constexpr std::array<char, 16> Magic{'M', 'o', 'r', 'v', 'o', 'I', 'I', ' ', 'o', 'r', 'd', 'e', 'r', ' ', '1', '\n'};

struct Header
{
    std::array<char, 16> magic = Magic;
    quint64 rowSize = 0;
    qint64 cursor = 0;
    quint64 historyBytes = 0;
    quint64 rowCount = 0;
    quint64 keyBytes = 0;
    quint64 rowsChecksum = 0;
    quint64 keysChecksum = 0;
};

bool readExactly(QFile &file, char *into, quint64 size)
{
    return file.read(into, qint64(size)) == qint64(size);
}
}

namespace KeptOrder {

QString fileFor(const QString &catalogue, const QString &table, const QString &sortField)
{
    return KeptFile::cacheFile(QStringLiteral("kept order"), {catalogue, table, sortField});
}

bool write(const QString &file, const Stamp &stamp, size_t rowSize, const Source &rows, const Source &keys)
{
    QDir().mkpath(QFileInfo(file).path());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    Header header;
    header.rowSize = rowSize;
    header.cursor = stamp.cursor;
    header.historyBytes = quint64(stamp.history.size());
    // The sizes and checksums are known at the end: the header is written again then.
    out.write(reinterpret_cast<const char *>(&header), sizeof header);
    out.write(stamp.history);
    KeptFile::BlockOutput blocks(out);
    quint64 rowBytes = 0;
    if (!blocks.copy(rows, rowBytes) || !blocks.flush(header.rowsChecksum) || !blocks.copy(keys, header.keyBytes)
        || !blocks.flush(header.keysChecksum) || rowBytes % rowSize != 0)
        return false;
    header.rowCount = rowBytes / rowSize;
    if (!out.seek(0) || out.write(reinterpret_cast<const char *>(&header), sizeof header) != qint64(sizeof header))
        return false;
    return out.commit();
}

std::optional<Stamp> read(const QString &file, size_t rowSize, const std::function<bool(const Stamp &)> &trusted,
                          const std::function<char *(size_t rowCount, size_t keyBytes)> &makeRoom, std::string &keys)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return std::nullopt;
    Header header;
    if (!readExactly(in, reinterpret_cast<char *>(&header), sizeof header) || header.magic != Magic
        || header.rowSize != rowSize)
        return std::nullopt;
    // Sizes are checked against the file before any room is made for them.
    const quint64 body = quint64(in.size()) - sizeof header;
    if (header.historyBytes > body || header.keyBytes > body || header.rowCount > body / rowSize
        || header.historyBytes + header.keyBytes + header.rowCount * rowSize != body)
        return std::nullopt;
    Stamp stamp;
    stamp.cursor = header.cursor;
    stamp.history.resize(qsizetype(header.historyBytes));
    if (!readExactly(in, stamp.history.data(), header.historyBytes) || !trusted(stamp))
        return std::nullopt;
    char *rows = makeRoom(size_t(header.rowCount), size_t(header.keyBytes));
    const size_t rowBytes = size_t(header.rowCount * rowSize);
    keys.resize(size_t(header.keyBytes));
    if (!readExactly(in, rows, rowBytes) || !readExactly(in, keys.data(), header.keyBytes)
        || KeptFile::checksumOf(rows, rowBytes) != header.rowsChecksum
        || KeptFile::checksumOf(keys.data(), keys.size()) != header.keysChecksum)
        return std::nullopt;
    return stamp;
}
}
