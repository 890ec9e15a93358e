#include "files/DwgPreview.h"

#include "files/RunLengthBitmap.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QList>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <optional>

namespace {

// Versions whose file header holds the image seeker at 0x0D: R13 up to R2018.
constexpr std::array<const char *, 10> VersionsWithSeeker = {"AC1012", "AC1013", "AC1014", "AC1015", "AC1016",
                                                             "AC1018", "AC1021", "AC1024", "AC1027", "AC1032"};

constexpr qint64 VersionLength = 6;
constexpr qint64 SeekerOffset = 0x0D;
constexpr qint64 FileHeaderLength = 0x15;

constexpr char StartSentinel[] = "\x1F\x25\x6D\x07\xD4\x36\x28\x28\x9D\x57\xCA\x3F\x9D\x44\x10\x2B";
constexpr qint64 SentinelLength = 16;
constexpr qint64 OverallSizeOffset = SentinelLength;
constexpr qint64 CountOffset = OverallSizeOffset + 4;
constexpr qint64 BlockHeaderLength = CountOffset + 1;
constexpr qint64 EntryLength = 9; // code RC, start RL, size RL

constexpr quint8 BmpCode = 2;
constexpr quint8 PngCode = 6;

// A preview of MaxSide x MaxSide at 32 bits plus its headers is the largest entry worth reading.
constexpr qint64 MaxEntryBytes = qint64(DwgPreview::MaxSide) * DwgPreview::MaxSide * 4 + 4096;

constexpr char PngSignature[] = "\x89PNG\r\n\x1A\n";
constexpr qint64 PngHeadLength = 24; // signature, IHDR length and type, width, height

constexpr qint64 BitmapFileHeaderLength = 14;
// BMP entries are packed DIBs that start with a 40-byte BITMAPINFOHEADER.
constexpr qint64 InfoHeaderLength = 40;

enum DibCompression : quint32 { BiRle8 = 1, BiRle4 = 2, BiBitfields = 3 };

struct Entry
{
    quint8 code;
    qint64 start;
    qint64 size;
};

quint32 u32At(const QByteArray &bytes, qint64 offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

qint32 i32At(const QByteArray &bytes, qint64 offset)
{
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

quint16 u16At(const QByteArray &bytes, qint64 offset)
{
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

bool sideInRange(qint64 side)
{
    return side >= 1 && side <= DwgPreview::MaxSide;
}

// Reads byte ranges that must lie wholly inside the device; a range that does not
// is refused before anything is allocated.
class BoundedReader
{
public:
    explicit BoundedReader(QIODevice &device) : device_(device), size_(device.size()) {}

    qint64 size() const { return size_; }

    // The bytes come after `headroom` bytes of room for a header of the caller's,
    // so that a large image is never copied to get one in front.
    std::optional<QByteArray> read(qint64 offset, qint64 length, qint64 headroom = 0) const
    {
        if (offset < 0 || length < 0 || length > size_ || offset > size_ - length || !device_.seek(offset))
            return std::nullopt;
        QByteArray bytes(headroom + length, Qt::Uninitialized);
        for (qint64 done = 0; done < length;) {
            const qint64 got = device_.read(bytes.data() + headroom + done, length - done);
            if (got <= 0)
                return std::nullopt;
            done += got;
        }
        return bytes;
    }

private:
    QIODevice &device_;
    qint64 size_;
};

bool hasImageSeeker(const QByteArray &fileHeader)
{
    const QByteArray version = fileHeader.first(VersionLength);
    return std::any_of(VersionsWithSeeker.begin(), VersionsWithSeeker.end(),
                       [&](const char *known) { return version == known; });
}

// Follows the image seeker to the preview block and returns its entry table.
QList<Entry> readEntries(const BoundedReader &reader)
{
    const auto fileHeader = reader.read(0, FileHeaderLength);
    if (!fileHeader || !hasImageSeeker(*fileHeader))
        return {};
    const qint64 blockStart = u32At(*fileHeader, SeekerOffset);
    const auto block = reader.read(blockStart, BlockHeaderLength);
    if (!block || !block->startsWith(QByteArrayView(StartSentinel, SentinelLength)))
        return {};
    // The overall size covers the count byte, the table and the image data;
    // the end sentinel follows right after it.
    const qint64 overallSize = u32At(*block, OverallSizeOffset);
    const int count = quint8(block->at(CountOffset));
    if (overallSize < 1 + EntryLength * count
        || overallSize > reader.size() - blockStart - CountOffset - SentinelLength)
        return {};
    const auto table = reader.read(blockStart + BlockHeaderLength, EntryLength * count);
    if (!table)
        return {};
    QList<Entry> entries;
    entries.reserve(count);
    for (qint64 at = 0; at < table->size(); at += EntryLength)
        entries.append({quint8(table->at(at)), u32At(*table, at + 1), u32At(*table, at + 5)});
    return entries;
}

QImage decodePng(const BoundedReader &reader, const Entry &entry)
{
    if (entry.size < PngHeadLength || entry.size > MaxEntryBytes)
        return {};
    const auto head = reader.read(entry.start, PngHeadLength);
    if (!head || !head->startsWith(QByteArrayView(PngSignature, 8)) || head->mid(12, 4) != "IHDR")
        return {};
    // Refuse absurd sizes before the decoder allocates for them.
    const qint64 width = qFromBigEndian<quint32>(head->constData() + 16);
    const qint64 height = qFromBigEndian<quint32>(head->constData() + 20);
    if (!sideInRange(width) || !sideInRange(height))
        return {};
    const auto png = reader.read(entry.start, entry.size);
    return png ? QImage::fromData(*png, "PNG") : QImage();
}

// A packed DIB's layout: its size, pixel format, palette and where its pixels are.
struct DibLayout
{
    int width;
    int height; // negative: rows stored top-down
    quint16 bitCount;
    quint32 compression;
    qint64 colours;
    qint64 pixelOffset;
    qint64 length; // bytes of the entry the image needs
    bool runLength() const { return compression == BiRle8 || compression == BiRle4; }
};

// Checks a packed DIB's header against the entry size; every field is bounded
// before it is used for arithmetic. Bit counts and compressions that make no
// sense are left to the image decoder to refuse.
std::optional<DibLayout> dibLayout(const QByteArray &head, qint64 entrySize)
{
    if (head.size() < InfoHeaderLength || u32At(head, 0) != InfoHeaderLength)
        return std::nullopt;
    const qint64 width = i32At(head, 4);
    const qint64 height = i32At(head, 8);
    const quint16 bitCount = u16At(head, 14);
    const quint32 compression = u32At(head, 16);
    const quint32 colourCount = u32At(head, 32);
    if (!sideInRange(width) || !sideInRange(qAbs(height)))
        return std::nullopt;

    // A zero count means a full palette for up to 8 bits and none above.
    const qint64 colours = colourCount ? colourCount : (bitCount <= 8 ? 1 << bitCount : 0);
    const qint64 masks = compression == BiBitfields ? 12 : 0;
    const qint64 pixelOffset = InfoHeaderLength + masks + colours * 4;
    // Also keeps the offsets small enough for the 32-bit fields of the file header.
    if (pixelOffset >= entrySize)
        return std::nullopt;
    DibLayout layout{int(width), int(height), bitCount, compression, colours, pixelOffset, entrySize};
    if (layout.runLength())
        return layout;

    const qint64 stride = (width * bitCount + 31) / 32 * 4;
    layout.length = pixelOffset + stride * qAbs(height);
    if (layout.length > entrySize)
        return std::nullopt;
    return layout;
}

// A BMP entry is a BMP file without its 14-byte file header; the header is
// written into the room left for it in front of the entry's bytes.
QImage decodeWithFileHeader(QByteArray &file, qint64 pixelOffset)
{
    file[0] = 'B';
    file[1] = 'M';
    qToLittleEndian<quint32>(quint32(file.size()), file.data() + 2);
    qToLittleEndian<quint32>(0, file.data() + 6);
    qToLittleEndian<quint32>(quint32(BitmapFileHeaderLength + pixelOffset), file.data() + 10);
    return QImage::fromData(file, "BMP");
}

// Qt's decoder leaves the pixels that run-length data never reaches
// uninitialised, so these bitmaps are expanded here.
QImage decodeRunLength(const QByteArray &dib, const DibLayout &layout)
{
    if (layout.height < 0 || layout.bitCount != (layout.compression == BiRle8 ? 8 : 4))
        return {};
    QList<QRgb> palette;
    for (qint64 at = InfoHeaderLength; at < layout.pixelOffset; at += 4)
        palette.append(qRgb(quint8(dib[at + 2]), quint8(dib[at + 1]), quint8(dib[at])));
    return RunLengthBitmap::decode(QByteArrayView(dib).sliced(layout.pixelOffset), layout.width, layout.height,
                                   layout.bitCount, palette);
}

QImage decodeBmp(const BoundedReader &reader, const Entry &entry)
{
    if (entry.size > MaxEntryBytes)
        return {};
    const auto head = reader.read(entry.start, qMin(entry.size, InfoHeaderLength));
    if (!head)
        return {};
    const auto layout = dibLayout(*head, entry.size);
    if (!layout)
        return {};
    if (layout->runLength()) {
        const auto dib = reader.read(entry.start, layout->length);
        return dib ? decodeRunLength(*dib, *layout) : QImage();
    }
    auto file = reader.read(entry.start, layout->length, BitmapFileHeaderLength);
    return file ? decodeWithFileHeader(*file, layout->pixelOffset) : QImage();
}

// Indices beyond a short palette show its colour 0, whatever the image's form,
// so a preview is the same picture wherever it is drawn or compared.
QImage withFullPalette(QImage image)
{
    if (image.format() == QImage::Format_Indexed8 && image.colorCount() > 0 && image.colorCount() < 256) {
        QList<QRgb> colours = image.colorTable();
        colours.resize(256, colours.first());
        image.setColorTable(colours);
    }
    return image;
}

struct Decoder
{
    quint8 code;
    QImage (*decode)(const BoundedReader &, const Entry &);
};

// In order of preference. Header data (1) and WMF (3) are never drawn.
constexpr std::array<Decoder, 2> Decoders = {{{PngCode, decodePng}, {BmpCode, decodeBmp}}};

} // namespace

namespace DwgPreview {

QImage fromDevice(QIODevice &device)
{
    if (!device.isReadable() || device.isSequential())
        return {};
    const BoundedReader reader(device);
    const QList<Entry> entries = readEntries(reader);
    // The first entry of the preferred kind normally wins; a damaged one gives way
    // to the next usable entry rather than to no preview at all.
    for (const Decoder &decoder : Decoders) {
        for (const Entry &entry : entries) {
            if (entry.code != decoder.code || entry.start + entry.size > reader.size())
                continue;
            QImage image = decoder.decode(reader, entry);
            if (!image.isNull())
                return withFullPalette(image);
        }
    }
    return {};
}

QImage fromFile(const QString &path)
{
    if (path.trimmed().isEmpty())
        return {};
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    return fromDevice(file);
}

QSize fittedSize(const QSize &preview, const QSize &box)
{
    return preview.scaled(box, Qt::KeepAspectRatio);
}

QImage scaled(const QImage &preview, const QSize &size)
{
    return preview.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace DwgPreview
