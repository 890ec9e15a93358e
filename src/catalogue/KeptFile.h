#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <string>
#include <string_view>

class QIODevice;

// What the files a session keeps in the user's cache folder share: where they
// go, and a checksum that tells a damaged one.
namespace KeptFile {

// Which catalogue history, up to which change, a kept file holds.
struct Stamp
{
    QByteArray history;
    qint64 cursor = 0;
    bool operator==(const Stamp &) const = default;
};

// $XDG_CACHE_HOME/MorvoII/<kind>/<a name made of the parts>.
QString cacheFile(const QString &kind, const QStringList &nameParts);

// Checksums run over blocks of this size, so that the writer, which sees the
// bytes in pieces, and the reader, which sees them whole, agree.
inline constexpr size_t Block = 1u << 20;
quint64 checksumBlock(const char *data, size_t size, quint64 seed);
quint64 checksumOf(const char *data, size_t size);

// The next piece to write; empty at the end.
using Source = std::function<std::string_view()>;

// Gathers pieces into blocks, checksums and writes each full block.
class BlockOutput
{
public:
    explicit BlockOutput(QIODevice &file) : file_(file) { buffer_.reserve(Block); }
    // Copies every piece; bytes says how many were written.
    bool copy(const Source &source, quint64 &bytes);
    bool write(std::string_view piece);
    // Writes what is left; the checksum of everything copied since the last flush.
    bool flush(quint64 &checksum);

private:
    bool writeBuffer();

    QIODevice &file_;
    std::string buffer_;
    quint64 checksum_ = 0;
};
}
