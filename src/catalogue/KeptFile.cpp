#include "catalogue/KeptFile.h"

#include <QCryptographicHash>
#include <QIODevice>
#include <QStandardPaths>
#include <QStringList>
#include <array>
#include <cstring>

namespace KeptFile {

QString cacheFile(const QString &kind, const QStringList &nameParts)
{
    const QByteArray name = QCryptographicHash::hash(nameParts.join(u'\n').toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/MorvoII/") + kind
        + u'/' + QString::fromLatin1(name);
}

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

quint64 checksumOf(const char *data, size_t size)
{
    quint64 sum = 0;
    for (size_t at = 0; at < size; at += Block)
        sum = checksumBlock(data + at, std::min(Block, size - at), sum);
    return sum;
}

bool BlockOutput::copy(const Source &source, quint64 &bytes)
{
    bytes = 0;
    for (std::string_view piece = source(); !piece.empty(); piece = source()) {
        bytes += piece.size();
        if (!write(piece))
            return false;
    }
    return true;
}

bool BlockOutput::write(std::string_view piece)
{
    while (!piece.empty()) {
        const size_t take = std::min(piece.size(), Block - buffer_.size());
        buffer_.append(piece.substr(0, take));
        piece.remove_prefix(take);
        if (buffer_.size() == Block && !writeBuffer())
            return false;
    }
    return true;
}

bool BlockOutput::flush(quint64 &checksum)
{
    if (!writeBuffer())
        return false;
    checksum = checksum_;
    checksum_ = 0;
    return true;
}

bool BlockOutput::writeBuffer()
{
    if (buffer_.empty())
        return true;
    checksum_ = checksumBlock(buffer_.data(), buffer_.size(), checksum_);
    const bool written = file_.write(buffer_.data(), qint64(buffer_.size())) == qint64(buffer_.size());
    buffer_.clear();
    return written;
}
}
