// Decoding of the preview image embedded in drawing files, on drawings built here
// byte by byte: every supported bitmap form, PNG, entry selection, and damage of
// every number the decoder trusts.

#include "files/DwgPreview.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <array>
#include <functional>

namespace {

enum EntryCode : quint8 { HeaderCode = 1, BmpCode = 2, WmfCode = 3, PngCode = 6 };

struct PreviewEntry
{
    quint8 code;
    QByteArray data;
};

void appendU32(QByteArray &bytes, quint32 value)
{
    char raw[4];
    qToLittleEndian(value, raw);
    bytes.append(raw, 4);
}

void appendU16(QByteArray &bytes, quint16 value)
{
    char raw[2];
    qToLittleEndian(value, raw);
    bytes.append(raw, 2);
}

// A drawing with a preview block, and where its parts sit, so that a test can damage one.
struct Drawing
{
    QByteArray bytes;
    qint64 blockOffset = 0;
    qint64 tableOffset = 0;

    void setU32(qint64 offset, quint32 value) { qToLittleEndian(value, bytes.data() + offset); }
    qint64 overallSizeField() const { return blockOffset + 16; }
    qint64 countField() const { return blockOffset + 20; }
    qint64 entryStartField(int entry) const { return tableOffset + 9 * entry + 1; }
    qint64 entrySizeField(int entry) const { return tableOffset + 9 * entry + 5; }
    qint64 entryStart(int entry) const
    {
        return qFromLittleEndian<quint32>(bytes.constData() + entryStartField(entry));
    }
};

constexpr qint64 SeekerOffset = 0x0D;

enum class DataOrder { AsTable, Reversed };

// File header with version and seeker, then the preview block: start sentinel,
// overall size, count, entry table, entry data, end sentinel.
Drawing buildDrawing(const QList<PreviewEntry> &entries, const QByteArray &version = "AC1015",
                     qint64 blockOffset = 0xDC, DataOrder order = DataOrder::AsTable)
{
    Drawing drawing;
    drawing.blockOffset = blockOffset;
    drawing.tableOffset = blockOffset + 21;
    QByteArray &bytes = drawing.bytes;
    bytes = version;
    bytes.resize(SeekerOffset, '\0');
    appendU32(bytes, quint32(blockOffset));
    bytes.resize(blockOffset, '\x11');
    bytes += QByteArray::fromHex("1F256D07D43628289D57CA3F9D44102B");

    QList<qint64> starts(entries.size());
    qint64 next = drawing.tableOffset + 9 * entries.size();
    QByteArray data;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const qsizetype at = order == DataOrder::AsTable ? i : entries.size() - 1 - i;
        starts[at] = next;
        next += entries[at].data.size();
        data += entries[at].data;
    }
    appendU32(bytes, quint32(1 + 9 * entries.size() + data.size()));
    bytes.append(char(entries.size()));
    for (qsizetype i = 0; i < entries.size(); ++i) {
        bytes.append(char(entries[i].code));
        appendU32(bytes, quint32(starts[i]));
        appendU32(bytes, quint32(entries[i].data.size()));
    }
    bytes += data;
    bytes += QByteArray::fromHex("E0DA92F82BC9D7D762A835C062BBEFD4");
    bytes += QByteArray(64, '\x22'); // the drawing itself would follow
    return drawing;
}

const PreviewEntry TitleEntry{HeaderCode, QByteArray(80, '\0')};

// Test pictures are 5 x 3 (odd, so rows need padding at every bit count), given top row first.
constexpr int Width = 5;
constexpr int Height = 3;
using Pixels = std::array<std::array<quint32, Width>, Height>;

// Distinct colours whose red and blue differ, so a swapped channel order shows.
QList<QRgb> palette(int size)
{
    QList<QRgb> colours;
    for (int i = 0; i < size; ++i)
        colours.append(qRgb((i * 37) & 0xFF, (i * 91 + 50) & 0xFF, (255 - i * 53) & 0xFF));
    return colours;
}

// Four different corners, so a picture upside down or mirrored does not match.
Pixels cornerIndices(int colourCount)
{
    Pixels pixels{};
    if (colourCount == 2) {
        pixels[0][0] = pixels[2][4] = 1;
    } else {
        pixels[0][0] = 1;
        pixels[0][4] = 2;
        pixels[2][0] = 3;
        pixels[2][4] = 4;
    }
    return pixels;
}

Pixels cornerColours()
{
    Pixels pixels;
    for (auto &row : pixels)
        row.fill(qRgb(128, 128, 128));
    pixels[0][0] = qRgb(255, 0, 0);
    pixels[0][4] = qRgb(0, 255, 0);
    pixels[2][0] = qRgb(0, 0, 255);
    pixels[2][4] = qRgb(250, 200, 10);
    return pixels;
}

enum Compression : quint32 { Rgb = 0, Rle8 = 1, Rle4 = 2, Bitfields = 3 };

struct Bitmap
{
    int bitCount = 8;
    bool topDown = false;
    quint32 compression = Rgb;
    quint32 colourCountField = 0; // biClrUsed as written
    QList<QRgb> colours; // the palette actually written
    Pixels pixels{}; // indices up to 8 bits, RGB above
};

QByteArray pixelRow(const Bitmap &bitmap, const std::array<quint32, Width> &row)
{
    const int stride = (Width * bitmap.bitCount + 31) / 32 * 4;
    QByteArray bytes(stride, '\0');
    for (int x = 0; x < Width; ++x) {
        const quint32 value = row[x];
        if (bitmap.bitCount <= 8) {
            const int bit = x * bitmap.bitCount;
            const int shift = 8 - bitmap.bitCount - bit % 8;
            bytes[bit / 8] = char(quint8(bytes[bit / 8]) | (value << shift));
        } else {
            const int at = x * bitmap.bitCount / 8;
            bytes[at] = char(qBlue(value));
            bytes[at + 1] = char(qGreen(value));
            bytes[at + 2] = char(qRed(value));
            if (bitmap.bitCount == 32)
                bytes[at + 3] = char(x % 2 ? 0xFF : 0x00); // not alpha, whatever it holds
        }
    }
    return bytes;
}

// Run-length rows (bottom-up), one encoded run per pixel: count 1, then the
// index (RLE8) or the index in the high nibble (RLE4).
QByteArray runLengthRows(const Bitmap &bitmap)
{
    QByteArray rows;
    for (int y = Height - 1; y >= 0; --y) {
        for (const quint32 index : bitmap.pixels[y]) {
            rows.append(char(1));
            rows.append(char(bitmap.bitCount == 4 ? index << 4 : index));
        }
        rows.append(QByteArray("\0\0", 2)); // end of line
    }
    rows.append(QByteArray("\0\1", 2)); // end of bitmap
    return rows;
}

// A BMP file without its BITMAPFILEHEADER: BITMAPINFOHEADER, palette, rows.
QByteArray packedDib(const Bitmap &bitmap)
{
    QByteArray dib;
    appendU32(dib, 40);
    appendU32(dib, Width);
    appendU32(dib, quint32(bitmap.topDown ? -Height : Height));
    appendU16(dib, 1);
    appendU16(dib, quint16(bitmap.bitCount));
    appendU32(dib, bitmap.compression);
    appendU32(dib, 0); // biSizeImage may be 0 for BI_RGB
    appendU32(dib, 2835);
    appendU32(dib, 2835);
    appendU32(dib, bitmap.colourCountField);
    appendU32(dib, 0);
    if (bitmap.compression == Bitfields) {
        for (const quint32 mask : {0xFF0000u, 0xFF00u, 0xFFu})
            appendU32(dib, mask);
    }
    for (QRgb colour : bitmap.colours)
        appendU32(dib, colour & 0xFFFFFF);
    if (bitmap.compression == Rle8 || bitmap.compression == Rle4)
        return dib + runLengthRows(bitmap);
    for (int y = 0; y < Height; ++y)
        dib += pixelRow(bitmap, bitmap.pixels[bitmap.topDown ? y : Height - 1 - y]);
    return dib;
}

Bitmap indexedBitmap(int bitCount, bool topDown)
{
    Bitmap bitmap;
    bitmap.bitCount = bitCount;
    bitmap.topDown = topDown;
    bitmap.colours = palette(1 << bitCount);
    bitmap.pixels = cornerIndices(1 << bitCount);
    return bitmap;
}

// The colours an indexed picture should decode to.
Pixels indexedPixels(const Bitmap &bitmap)
{
    Pixels colours;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            colours[y][x] = bitmap.colours[bitmap.pixels[y][x]];
    return colours;
}

// A run-length bitmap with the given rows of codes and a palette of `colours`.
QByteArray runLengthDib(int bitCount, const QByteArray &rows, int colours = 0)
{
    Bitmap bitmap = indexedBitmap(bitCount, false);
    bitmap.compression = bitCount == 8 ? Rle8 : Rle4;
    if (colours) {
        bitmap.colours = palette(colours);
        bitmap.colourCountField = quint32(colours);
    }
    QByteArray dib = packedDib(bitmap);
    return dib.left(dib.size() - runLengthRows(bitmap).size()) + rows;
}

// Every pixel colour 0 of the palette except those listed as {x, y (top row 0), index}.
Pixels colourZeroExcept(int bitCount, std::initializer_list<std::array<int, 3>> reached)
{
    const QList<QRgb> colours = palette(1 << bitCount);
    Pixels pixels;
    for (auto &row : pixels)
        row.fill(colours[0]);
    for (const auto &[x, y, index] : reached)
        pixels[y][x] = colours[index];
    return pixels;
}

// Picture with a single colour, for tests that only need to tell which entry was used.
QByteArray plainDib(QRgb colour, int width = Width, int height = Height)
{
    QByteArray dib;
    const int stride = (width * 24 + 31) / 32 * 4;
    appendU32(dib, 40);
    appendU32(dib, quint32(width));
    appendU32(dib, quint32(height));
    appendU16(dib, 1);
    appendU16(dib, 24);
    for (int field = 0; field < 6; ++field)
        appendU32(dib, 0);
    for (int y = 0; y < height; ++y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            row[3 * x] = char(qBlue(colour));
            row[3 * x + 1] = char(qGreen(colour));
            row[3 * x + 2] = char(qRed(colour));
        }
        dib += row;
    }
    return dib;
}

QByteArray pngOf(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

QByteArray plainPng(QRgb colour, int width = Width, int height = Height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return pngOf(image);
}

QImage decode(const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return DwgPreview::fromDevice(buffer);
}

QRgb colourOf(const QImage &image)
{
    return image.isNull() ? 0 : image.pixel(0, 0);
}

void comparePixels(const QImage &image, const Pixels &expected)
{
    QCOMPARE(image.size(), QSize(Width, Height));
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            QVERIFY2(image.pixel(x, y) == expected[y][x],
                     qPrintable(QStringLiteral("pixel %1,%2 is %3, expected %4")
                                    .arg(x)
                                    .arg(y)
                                    .arg(image.pixel(x, y), 8, 16)
                                    .arg(expected[y][x], 8, 16)));
}

// Reads a file on behalf of the decoder and counts the bytes it asks for.
class CountingDevice : public QIODevice
{
public:
    explicit CountingDevice(const QString &path) : file_(path) {}

    bool open(OpenMode mode) override { return file_.open(mode | Unbuffered) && QIODevice::open(mode | Unbuffered); }
    qint64 size() const override { return file_.size(); }
    bool seek(qint64 position) override { return QIODevice::seek(position) && file_.seek(position); }
    qint64 bytesRead() const { return bytesRead_; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 got = file_.read(data, maxSize);
        bytesRead_ += qMax<qint64>(got, 0);
        return got;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QFile file_;
    qint64 bytesRead_ = 0;
};

using Damage = std::function<void(Drawing &)>;

} // namespace

Q_DECLARE_METATYPE(Pixels)
Q_DECLARE_METATYPE(PreviewEntry)
Q_DECLARE_METATYPE(Damage)

class TestDwgPreview : public QObject
{
    Q_OBJECT

private slots:
    void bitmapPreviews_data();
    void bitmapPreviews();
    void thirtyTwoBitFourthByteIsNotAlpha();
    void runLengthPixelsNeverReachedAreColourZero_data();
    void runLengthPixelsNeverReachedAreColourZero();
    void pngPreviews_data();
    void pngPreviews();
    void everyVersionWithSeeker_data();
    void everyVersionWithSeeker();
    void entryChoice_data();
    void entryChoice();
    void entryStartsAreFollowed();
    void sizeLimits_data();
    void sizeLimits();
    void damagedDrawings_data();
    void damagedDrawings();
    void paths_data();
    void paths();
    void readsOnlyThePreview_data();
    void readsOnlyThePreview();

private:
    QTemporaryDir dir_;
};

void TestDwgPreview::bitmapPreviews_data()
{
    QTest::addColumn<QByteArray>("dib");
    QTest::addColumn<Pixels>("expected");
    for (const bool topDown : {false, true}) {
        const char *order = topDown ? "top-down" : "bottom-up";
        for (const int bitCount : {1, 4, 8}) {
            const Bitmap bitmap = indexedBitmap(bitCount, topDown);
            QTest::addRow("%d-bit %s", bitCount, order) << packedDib(bitmap) << indexedPixels(bitmap);
        }
        for (const int bitCount : {24, 32}) {
            Bitmap bitmap;
            bitmap.bitCount = bitCount;
            bitmap.topDown = topDown;
            bitmap.pixels = cornerColours();
            QTest::addRow("%d-bit %s", bitCount, order) << packedDib(bitmap) << cornerColours();
        }
    }

    // biClrUsed names a short palette; the rows start right after it.
    Bitmap shortPalette = indexedBitmap(8, false);
    shortPalette.colours = palette(5);
    shortPalette.colourCountField = 5;
    QTest::newRow("8-bit with 5 colours") << packedDib(shortPalette) << indexedPixels(shortPalette);

    // An index beyond a short palette shows colour 0, as in run-length bitmaps.
    Bitmap beyond = indexedBitmap(4, false);
    beyond.colours = palette(4);
    beyond.colourCountField = 4;
    Pixels beyondColours;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            beyondColours[y][x] = beyond.colours.value(int(beyond.pixels[y][x]), beyond.colours[0]);
    QTest::newRow("4-bit index beyond a short palette") << packedDib(beyond) << beyondColours;

    // biClrUsed written out in full for a 4-bit image.
    Bitmap fullCount = indexedBitmap(4, false);
    fullCount.colourCountField = 16;
    QTest::newRow("4-bit with 16 colours named") << packedDib(fullCount) << indexedPixels(fullCount);

    for (const int bitCount : {8, 4}) {
        Bitmap runLength = indexedBitmap(bitCount, false);
        runLength.compression = bitCount == 8 ? Rle8 : Rle4;
        QTest::addRow("%d-bit run-length", bitCount) << packedDib(runLength) << indexedPixels(runLength);
    }

    // Colour masks follow the 40-byte header.
    Bitmap masked;
    masked.bitCount = 32;
    masked.compression = Bitfields;
    masked.pixels = cornerColours();
    QTest::newRow("32-bit with colour masks") << packedDib(masked) << cornerColours();
}

void TestDwgPreview::bitmapPreviews()
{
    QFETCH(QByteArray, dib);
    QFETCH(Pixels, expected);
    comparePixels(decode(buildDrawing({TitleEntry, {BmpCode, dib}}).bytes), expected);
}

void TestDwgPreview::thirtyTwoBitFourthByteIsNotAlpha()
{
    Bitmap bitmap;
    bitmap.bitCount = 32;
    bitmap.pixels = cornerColours();
    const QImage image = decode(buildDrawing({TitleEntry, {BmpCode, packedDib(bitmap)}}).bytes);
    QVERIFY(!image.isNull());
    for (int x = 0; x < Width; ++x)
        QCOMPARE(qAlpha(image.pixel(x, 0)), 255);
}

void TestDwgPreview::runLengthPixelsNeverReachedAreColourZero_data()
{
    QTest::addColumn<QByteArray>("dib");
    QTest::addColumn<Pixels>("expected");
    const auto codes = [](std::initializer_list<int> bytes) {
        QByteArray data;
        for (const int byte : bytes)
            data.append(char(byte));
        return data;
    };
    // Rows are coded bottom-up: the bottom row is y = 2 here.
    QTest::newRow("RLE8 ends after the bottom row")
        << runLengthDib(8, codes({5, 3, 0, 0, 0, 1}))
        << colourZeroExcept(8, {{0, 2, 3}, {1, 2, 3}, {2, 2, 3}, {3, 2, 3}, {4, 2, 3}});
    QTest::newRow("RLE8 data ends without an end code")
        << runLengthDib(8, codes({5, 3}))
        << colourZeroExcept(8, {{0, 2, 3}, {1, 2, 3}, {2, 2, 3}, {3, 2, 3}, {4, 2, 3}});
    QTest::newRow("RLE8 delta jumps over pixels")
        << runLengthDib(8, codes({1, 2, 0, 2, 2, 1, 1, 4, 0, 1})) << colourZeroExcept(8, {{0, 2, 2}, {3, 1, 4}});
    QTest::newRow("RLE8 short rows") << runLengthDib(8, codes({2, 1, 0, 0, 3, 2, 0, 0, 5, 4, 0, 1}))
                                     << colourZeroExcept(8,
                                                         {{0, 2, 1},
                                                          {1, 2, 1},
                                                          {0, 1, 2},
                                                          {1, 1, 2},
                                                          {2, 1, 2},
                                                          {0, 0, 4},
                                                          {1, 0, 4},
                                                          {2, 0, 4},
                                                          {3, 0, 4},
                                                          {4, 0, 4}});
    QTest::newRow("RLE8 literal run") << runLengthDib(8, codes({0, 3, 7, 8, 9, 0, 0, 1}))
                                      << colourZeroExcept(8, {{0, 2, 7}, {1, 2, 8}, {2, 2, 9}});
    QTest::newRow("RLE8 run past the row's end is cut")
        << runLengthDib(8, codes({9, 1, 0, 0, 1, 5, 0, 1}))
        << colourZeroExcept(8, {{0, 2, 1}, {1, 2, 1}, {2, 2, 1}, {3, 2, 1}, {4, 2, 1}, {0, 1, 5}});
    QTest::newRow("RLE8 index beyond the palette")
        << runLengthDib(8, codes({1, 200, 1, 3, 0, 1}), 4) << colourZeroExcept(8, {{1, 2, 3}});
    QTest::newRow("RLE4 run alternates two indices")
        << runLengthDib(4, codes({5, 0x12, 0, 1}))
        << colourZeroExcept(4, {{0, 2, 1}, {1, 2, 2}, {2, 2, 1}, {3, 2, 2}, {4, 2, 1}});
    QTest::newRow("RLE4 literal run, then an early end")
        << runLengthDib(4, codes({0, 5, 0x12, 0x34, 0x50, 0, 0, 1}))
        << colourZeroExcept(4, {{0, 2, 1}, {1, 2, 2}, {2, 2, 3}, {3, 2, 4}, {4, 2, 5}});
}

void TestDwgPreview::runLengthPixelsNeverReachedAreColourZero()
{
    QFETCH(QByteArray, dib);
    QFETCH(Pixels, expected);
    const QByteArray drawing = buildDrawing({TitleEntry, {BmpCode, dib}}).bytes;
    const QImage first = decode(drawing);
    comparePixels(first, expected);
    // The same drawing always gives the same picture.
    QCOMPARE(decode(drawing), first);
}

void TestDwgPreview::pngPreviews_data()
{
    QTest::addColumn<QImage>("picture");
    QImage rgb(Width, Height, QImage::Format_RGB32);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            rgb.setPixel(x, y, cornerColours()[y][x]);
    QTest::newRow("rgb") << rgb;
    QTest::newRow("palette") << rgb.convertToFormat(QImage::Format_Indexed8);
}

void TestDwgPreview::pngPreviews()
{
    QFETCH(QImage, picture);
    const Drawing drawing = buildDrawing({TitleEntry, {PngCode, pngOf(picture)}}, "AC1032", 0x1C0);
    comparePixels(decode(drawing.bytes), cornerColours());
}

void TestDwgPreview::everyVersionWithSeeker_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<bool>("hasPreview");
    for (const char *version :
         {"AC1012", "AC1013", "AC1014", "AC1015", "AC1016", "AC1018", "AC1021", "AC1024", "AC1027", "AC1032"})
        QTest::newRow(version) << QByteArray(version) << true;
    // Older drawings keep something else at the seeker's place.
    for (const char *version : {"AC1009", "AC1006", "AC1.40", "AC1011", "ac1015", "MC0.0"})
        QTest::newRow(version) << QByteArray(version) << false;
}

void TestDwgPreview::everyVersionWithSeeker()
{
    QFETCH(QByteArray, version);
    QFETCH(bool, hasPreview);
    const Drawing drawing = buildDrawing({TitleEntry, {BmpCode, plainDib(qRgb(9, 99, 199))}}, version);
    QCOMPARE(colourOf(decode(drawing.bytes)), hasPreview ? qRgb(9, 99, 199) : QRgb(0));
}

void TestDwgPreview::entryChoice_data()
{
    const QRgb red = qRgb(255, 0, 0);
    const QRgb blue = qRgb(0, 0, 255);
    const QRgb green = qRgb(0, 255, 0);
    const QByteArray wmf = QByteArray::fromHex("D7CDC69A") + QByteArray(40, '\1');
    QTest::addColumn<QList<PreviewEntry>>("entries");
    QTest::addColumn<QRgb>("shown"); // 0: no preview
    QTest::newRow("PNG after BMP") << QList<PreviewEntry>{TitleEntry,
                                                          {BmpCode, plainDib(red)},
                                                          {PngCode, plainPng(blue)}}
                                   << blue;
    QTest::newRow("PNG before BMP") << QList<PreviewEntry>{{PngCode, plainPng(blue)}, {BmpCode, plainDib(red)}} << blue;
    QTest::newRow("two BMPs: the first") << QList<PreviewEntry>{TitleEntry,
                                                                {BmpCode, plainDib(red)},
                                                                {BmpCode, plainDib(green)}}
                                         << red;
    QTest::newRow("broken PNG gives way to BMP")
        << QList<PreviewEntry>{{PngCode, QByteArray("not a png at all, really not")}, {BmpCode, plainDib(red)}} << red;
    QTest::newRow("broken first BMP gives way")
        << QList<PreviewEntry>{{BmpCode, QByteArray(12, '\0')}, {BmpCode, plainDib(green)}} << green;
    QTest::newRow("WMF and BMP") << QList<PreviewEntry>{TitleEntry, {WmfCode, wmf}, {BmpCode, plainDib(green)}}
                                 << green;
    QTest::newRow("unknown code skipped") << QList<PreviewEntry>{{9, plainDib(red)}, {BmpCode, plainDib(blue)}} << blue;
    QTest::newRow("WMF only") << QList<PreviewEntry>{TitleEntry, {WmfCode, wmf}} << QRgb(0);
    QTest::newRow("header only") << QList<PreviewEntry>{TitleEntry} << QRgb(0);
    QTest::newRow("no entries") << QList<PreviewEntry>{} << QRgb(0);
    QTest::newRow("BMP under another code") << QList<PreviewEntry>{{HeaderCode, plainDib(red)}} << QRgb(0);
}

void TestDwgPreview::entryChoice()
{
    QFETCH(QList<PreviewEntry>, entries);
    QFETCH(QRgb, shown);
    QCOMPARE(colourOf(decode(buildDrawing(entries).bytes)), shown);
}

void TestDwgPreview::entryStartsAreFollowed()
{
    // Entry data need not follow the table's order; the start addresses say where it is.
    const QList<PreviewEntry> entries{TitleEntry, {BmpCode, plainDib(qRgb(1, 2, 3))}};
    const Drawing drawing = buildDrawing(entries, "AC1018", 0x1C0, DataOrder::Reversed);
    QVERIFY(drawing.entryStart(1) < drawing.entryStart(0));
    QCOMPARE(colourOf(decode(drawing.bytes)), qRgb(1, 2, 3));
}

void TestDwgPreview::sizeLimits_data()
{
    constexpr int max = DwgPreview::MaxSide;
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<quint8>("code");
    QTest::addColumn<QSize>("decoded"); // empty: no preview
    QTest::newRow("BMP at the widest") << plainDib(qRgb(5, 5, 5), max, 1) << quint8(BmpCode) << QSize(max, 1);
    QTest::newRow("BMP too wide") << plainDib(qRgb(5, 5, 5), max + 1, 1) << quint8(BmpCode) << QSize();
    QTest::newRow("BMP too high") << plainDib(qRgb(5, 5, 5), 1, max + 1) << quint8(BmpCode) << QSize();
    Bitmap overfullPalette = indexedBitmap(8, false);
    overfullPalette.colours = palette(257);
    overfullPalette.colourCountField = 257;
    QTest::newRow("BMP with 257 colours") << packedDib(overfullPalette) << quint8(BmpCode) << QSize();
    QTest::newRow("PNG at the highest") << plainPng(qRgb(5, 5, 5), 1, max) << quint8(PngCode) << QSize(1, max);
    QTest::newRow("PNG too wide") << plainPng(qRgb(5, 5, 5), max + 1, 1) << quint8(PngCode) << QSize();
    QTest::newRow("PNG too high") << plainPng(qRgb(5, 5, 5), 1, max + 1) << quint8(PngCode) << QSize();
}

void TestDwgPreview::sizeLimits()
{
    QFETCH(QByteArray, entry);
    QFETCH(quint8, code);
    QFETCH(QSize, decoded);
    const QImage image = decode(buildDrawing({{code, entry}}).bytes);
    QCOMPARE(image.isNull() ? QSize() : image.size(), decoded);
}

void TestDwgPreview::damagedDrawings_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::newRow("wrong start sentinel") << Damage([](Drawing &d) { d.bytes[d.blockOffset + 7] = '\0'; });
    QTest::newRow("seeker 0") << Damage([](Drawing &d) { d.setU32(SeekerOffset, 0); });
    QTest::newRow("seeker past the end") << Damage(
        [](Drawing &d) { d.setU32(SeekerOffset, quint32(d.bytes.size() + 100)); });
    QTest::newRow("seeker near the end") << Damage(
        [](Drawing &d) { d.setU32(SeekerOffset, quint32(d.bytes.size() - 10)); });
    QTest::newRow("seeker at 0xFFFFFFFF") << Damage([](Drawing &d) { d.setU32(SeekerOffset, 0xFFFFFFFF); });
    QTest::newRow("overall size past the end")
        << Damage([](Drawing &d) { d.setU32(d.overallSizeField(), quint32(d.bytes.size())); });
    QTest::newRow("overall size huge") << Damage([](Drawing &d) { d.setU32(d.overallSizeField(), 0xFFFFFFFF); });
    QTest::newRow("255 entries in a short block") << Damage([](Drawing &d) { d.bytes[d.countField()] = char(255); });
    QTest::newRow("BMP size huge") << Damage([](Drawing &d) { d.setU32(d.entrySizeField(1), 0x7FFFFFF0); });
    QTest::newRow("BMP size past the end")
        << Damage([](Drawing &d) { d.setU32(d.entrySizeField(1), quint32(d.bytes.size())); });
    QTest::newRow("BMP size too small for a header") << Damage([](Drawing &d) { d.setU32(d.entrySizeField(1), 39); });
    QTest::newRow("BMP size short of the rows")
        << Damage([](Drawing &d) { d.setU32(d.entrySizeField(1), 40 + 4 * 256 + 8); });
    QTest::newRow("BMP start past the end")
        << Damage([](Drawing &d) { d.setU32(d.entryStartField(1), quint32(d.bytes.size() + 1)); });
    QTest::newRow("BMP start 0xFFFFFFFF") << Damage([](Drawing &d) { d.setU32(d.entryStartField(1), 0xFFFFFFFF); });
    QTest::newRow("truncated inside the BMP") << Damage([](Drawing &d) { d.bytes.truncate(d.entryStart(1) + 100); });
    QTest::newRow("truncated inside the table") << Damage([](Drawing &d) { d.bytes.truncate(d.tableOffset + 4); });
    QTest::newRow("truncated inside the header") << Damage([](Drawing &d) { d.bytes.truncate(0x10); });
    QTest::newRow("biClrUsed huge") << Damage([](Drawing &d) { d.setU32(d.entryStart(1) + 32, 0x40000000); });
    QTest::newRow("biClrUsed 257") << Damage([](Drawing &d) { d.setU32(d.entryStart(1) + 32, 257); });
    QTest::newRow("width absurd") << Damage([](Drawing &d) { d.setU32(d.entryStart(1) + 4, 100000); });
    QTest::newRow("width negative") << Damage([](Drawing &d) { d.setU32(d.entryStart(1) + 4, quint32(-5)); });
    QTest::newRow("height absurd") << Damage([](Drawing &d) { d.setU32(d.entryStart(1) + 8, 0x80000000); });
    QTest::newRow("height 0") << Damage([](Drawing &d) { d.setU32(d.entryStart(1) + 8, 0); });
    QTest::newRow("bit count 7") << Damage([](Drawing &d) { d.bytes[d.entryStart(1) + 14] = 7; });
    QTest::newRow("info header size 0") << Damage([](Drawing &d) { d.setU32(d.entryStart(1), 0); });
    QTest::newRow("info header size huge") << Damage([](Drawing &d) { d.setU32(d.entryStart(1), 0xFFFFFF00); });
    QTest::newRow("unknown compression") << Damage([](Drawing &d) { d.setU32(d.entryStart(1) + 16, 9); });
    QTest::newRow("empty file") << Damage([](Drawing &d) { d.bytes.clear(); });
    QTest::newRow("version only") << Damage([](Drawing &d) { d.bytes.truncate(6); });
}

void TestDwgPreview::damagedDrawings()
{
    QFETCH(Damage, damage);
    Drawing drawing = buildDrawing({TitleEntry, {BmpCode, packedDib(indexedBitmap(8, false))}});
    QVERIFY(!decode(drawing.bytes).isNull());
    damage(drawing);
    QVERIFY(decode(drawing.bytes).isNull());
}

void TestDwgPreview::paths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("hasPreview");
    QVERIFY(dir_.isValid());
    const auto write = [this](const QString &name, const QByteArray &bytes) {
        QFile file(dir_.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    };
    const QByteArray withPreview = buildDrawing({TitleEntry, {BmpCode, plainDib(qRgb(1, 1, 1))}}).bytes;
    QTest::newRow("drawing") << write("a.dwg", withPreview) << true;
    QTest::newRow("pre-R13 with a valid-looking block")
        << write("old.dwg", buildDrawing({{BmpCode, plainDib(qRgb(1, 1, 1))}}, "AC1009").bytes) << false;
    QTest::newRow("empty file") << write("empty.dwg", QByteArray()) << false;
    QTest::newRow("not a drawing") << write("text.dwg", QByteArray("just some text\n").repeated(20)) << false;
    QTest::newRow("missing") << dir_.filePath("missing.dwg") << false;
    QTest::newRow("folder") << dir_.path() << false;
    QTest::newRow("single blank") << QStringLiteral(" ") << false;
    QTest::newRow("empty text") << QString() << false;
}

void TestDwgPreview::paths()
{
    QFETCH(QString, path);
    QFETCH(bool, hasPreview);
    QCOMPARE(!DwgPreview::fromFile(path).isNull(), hasPreview);
}

void TestDwgPreview::readsOnlyThePreview_data()
{
    QTest::addColumn<PreviewEntry>("entry");
    Bitmap bitmap = indexedBitmap(8, false);
    QTest::newRow("BMP") << PreviewEntry{BmpCode, packedDib(bitmap)};
    QTest::newRow("PNG") << PreviewEntry{PngCode, plainPng(qRgb(7, 7, 7))};
}

void TestDwgPreview::readsOnlyThePreview()
{
    QFETCH(PreviewEntry, entry);
    const Drawing drawing = buildDrawing({TitleEntry, entry});
    QFile file(dir_.filePath("big.dwg"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(drawing.bytes), drawing.bytes.size());
    // 10 MB of drawing after the preview.
    QVERIFY(file.resize(drawing.bytes.size() + 10 * 1024 * 1024));
    file.close();

    CountingDevice device(file.fileName());
    QVERIFY(device.open(QIODevice::ReadOnly));
    QVERIFY(!DwgPreview::fromDevice(device).isNull());
    const qint64 headers = 0x15 + 21 + 2 * 9 + 40;
    QVERIFY2(device.bytesRead() <= entry.data.size() + headers,
             qPrintable(QStringLiteral("read %1 bytes").arg(device.bytesRead())));
}

QTEST_GUILESS_MAIN(TestDwgPreview)
#include "tst_dwgpreview.moc"
