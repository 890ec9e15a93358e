#include "catalogue/KeptOrder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
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

// Multiplying by an odd number loses nothing, so any changed word changes
// the sum; four lanes keep the multiplier busy. Qt's own hash is seeded anew
// in every process, so it cannot check a file from another one.
quint64 checksumBlock(const char *data, size_t size, quint64 seed)
{
    constexpr quint64 Odd = 0x9E3779B97F4A7C15ull;
    std::array<quint64, 4> lanes{seed, seed + 1, seed + 2, seed + 3};
    size_t at = 0;
    for (; at + sizeof lanes <= size; at += sizeof lanes) {
        for (size_t i = 0; i < lanes.size(); ++i) {
            quint64 word;
            std::memcpy(&word, data + at + i * sizeof word, sizeof word);
            lanes[i] = (lanes[i] ^ word) * Odd;
        }
    }
    quint64 sum = size;
    for (; at < size; ++at)
        sum = (sum ^ uchar(data[at])) * Odd;
    for (const quint64 lane : lanes)
        sum = (sum ^ lane ^ (lane >> 32)) * Odd;
    return sum;
}

// Checksums run over blocks of this size, so that the writer, which sees the
// bytes in pieces, and the reader, which sees them whole, agree.
constexpr size_t Block = 1u << 20;

quint64 checksumOf(const char *data, size_t size)
{
    quint64 sum = 0;
    for (size_t at = 0; at < size; at += Block)
        sum = checksumBlock(data + at, std::min(Block, size - at), sum);
    return sum;
}

// Gathers pieces into blocks, checksums and writes each full block.
class BlockOutput
{
public:
    explicit BlockOutput(QSaveFile &file) : file_(file) { buffer_.reserve(Block); }
    // Copies every piece; bytes and checksum say what was written.
    bool copy(const KeptOrder::Source &source, quint64 &bytes, quint64 &checksum)
    {
        bytes = 0;
        checksum_ = 0;
        for (std::string_view piece = source(); !piece.empty(); piece = source()) {
            bytes += piece.size();
            while (!piece.empty()) {
                const size_t take = std::min(piece.size(), Block - buffer_.size());
                buffer_.append(piece.substr(0, take));
                piece.remove_prefix(take);
                if (buffer_.size() == Block && !flush())
                    return false;
            }
        }
        if (!flush())
            return false;
        checksum = checksum_;
        return true;
    }

private:
    bool flush()
    {
        if (buffer_.empty())
            return true;
        checksum_ = checksumBlock(buffer_.data(), buffer_.size(), checksum_);
        const bool written = file_.write(buffer_.data(), qint64(buffer_.size())) == qint64(buffer_.size());
        buffer_.clear();
        return written;
    }

    QSaveFile &file_;
    std::string buffer_;
    quint64 checksum_ = 0;
};

bool readExactly(QFile &file, char *into, quint64 size)
{
    return file.read(into, qint64(size)) == qint64(size);
}
}

namespace KeptOrder {

QString fileFor(const QString &catalogue, const QString &table, const QString &sortField)
{
    const QByteArray name =
        QCryptographicHash::hash((catalogue + u'\n' + table + u'\n' + sortField).toUtf8(), QCryptographicHash::Sha1)
            .toHex();
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/MorvoII/kept order/") + QString::fromLatin1(name);
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
    BlockOutput blocks(out);
    quint64 rowBytes = 0;
    if (!blocks.copy(rows, rowBytes, header.rowsChecksum) || !blocks.copy(keys, header.keyBytes, header.keysChecksum)
        || rowBytes % rowSize != 0)
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
        || checksumOf(rows, rowBytes) != header.rowsChecksum
        || checksumOf(keys.data(), keys.size()) != header.keysChecksum)
        return std::nullopt;
    return stamp;
}
}
