// Times DwgPreview::fromFile on drawings of 100 kB and 10 MB with 8-bit BMP,
// 32-bit BMP and PNG previews: the time must not grow with the drawing.
// With a folder argument it also decodes every *.dwg there and, when the folder
// has a MANIFEST.tsv (file, ..., preview, pixels columns), compares with it.

#include "files/DwgPreview.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int PreviewWidth = 256;
constexpr int PreviewHeight = 160;
constexpr qint64 BlockOffset = 0x1C0;

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

// A bottom-up BI_RGB DIB with a grey ramp palette (8 bits) or no palette (32 bits).
QByteArray packedDib(int bitCount)
{
    QByteArray dib;
    const int colours = bitCount == 8 ? 256 : 0;
    const int stride = (PreviewWidth * bitCount + 31) / 32 * 4;
    appendU32(dib, 40);
    appendU32(dib, PreviewWidth);
    appendU32(dib, PreviewHeight);
    appendU16(dib, 1);
    appendU16(dib, bitCount);
    appendU32(dib, 0);
    appendU32(dib, stride * PreviewHeight);
    appendU32(dib, 0);
    appendU32(dib, 0);
    appendU32(dib, colours);
    appendU32(dib, 0);
    for (int i = 0; i < colours; ++i)
        appendU32(dib, qRgb(i, i, 255 - i));
    for (int y = 0; y < PreviewHeight; ++y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < stride; ++x)
            row[x] = char((x * 7 + y * 3) & 0xFF);
        dib += row;
    }
    return dib;
}

QByteArray pngPreview()
{
    QImage image(PreviewWidth, PreviewHeight, QImage::Format_RGB32);
    for (int y = 0; y < PreviewHeight; ++y)
        for (int x = 0; x < PreviewWidth; ++x)
            image.setPixel(x, y, (x + y) % 17 ? qRgb(255, 255, 255) : qRgb(200, 30, 30));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_Indexed8).save(&buffer, "PNG");
    return png;
}

// An R2018-style drawing: file header with the seeker, a preview block holding
// an 80-byte header entry and the image, then filler up to totalSize bytes.
QByteArray drawing(quint8 code, const QByteArray &image, qint64 totalSize)
{
    static const QByteArray startSentinel = QByteArray::fromHex("1F256D07D43628289D57CA3F9D44102B");
    static const QByteArray endSentinel = QByteArray::fromHex("E0DA92F82BC9D7D762A835C062BBEFD4");
    const QByteArray title(80, '\0');
    QByteArray bytes("AC1032");
    bytes.resize(0x0D, '\0');
    appendU32(bytes, BlockOffset);
    bytes.resize(BlockOffset, '\0');
    bytes += startSentinel;
    const quint32 tableEnd = BlockOffset + 21 + 2 * 9;
    appendU32(bytes, 1 + 2 * 9 + title.size() + image.size());
    bytes.append(char(2));
    bytes.append(char(1));
    appendU32(bytes, tableEnd);
    appendU32(bytes, title.size());
    bytes.append(char(code));
    appendU32(bytes, tableEnd + title.size());
    appendU32(bytes, image.size());
    bytes += title + image + endSentinel;
    bytes.resize(std::max<qint64>(totalSize, bytes.size()), '\x5A');
    return bytes;
}

struct Timing
{
    double median;
    double min;
    double max;
};

Timing timeMicroseconds(int runs, const std::function<void()> &work)
{
    std::vector<double> samples;
    samples.reserve(runs);
    work(); // warm-up
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        samples.push_back(timer.nsecsElapsed() / 1000.0);
    }
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples.front(), samples.back()};
}

QString describe(const QImage &image)
{
    return image.isNull() ? QStringLiteral("none") : QStringLiteral("%1x%2").arg(image.width()).arg(image.height());
}

void benchmarkBuiltDrawings()
{
    struct Case
    {
        const char *name;
        quint8 code;
        QByteArray image;
    };
    const std::vector<Case> cases = {
        {"8-bit BMP", 2, packedDib(8)}, {"32-bit BMP", 2, packedDib(32)}, {"PNG", 6, pngPreview()}};
    const std::vector<std::pair<const char *, qint64>> sizes = {{"100 kB", 100 * 1000}, {"10 MB", 10 * 1000 * 1000}};
    QTemporaryDir dir;
    std::printf("%-12s %-8s %10s %10s %10s  %s\n", "preview", "file", "median us", "min us", "max us", "decoded");
    int fileNumber = 0;
    for (const Case &c : cases) {
        for (const auto &[sizeName, bytes] : sizes) {
            const QString path = dir.filePath(QStringLiteral("drawing%1.dwg").arg(++fileNumber));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(drawing(c.code, c.image, bytes)) < 0)
                qFatal("cannot write %s", qPrintable(path));
            file.close();
            QImage image;
            const Timing t = timeMicroseconds(300, [&] { image = DwgPreview::fromFile(path); });
            std::printf("%-12s %-8s %10.1f %10.1f %10.1f  %s\n", c.name, sizeName, t.median, t.min, t.max,
                        qPrintable(describe(image)));
        }
    }
}

// file name -> expected "WxH", or "" when the manifest says there is no preview.
QHash<QString, QString> readManifest(const QDir &folder)
{
    QHash<QString, QString> expected;
    QFile file(folder.filePath(QStringLiteral("MANIFEST.tsv")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return expected;
    QTextStream in(&file);
    const QStringList columns = in.readLine().split(QLatin1Char('\t'));
    const qsizetype previewColumn = columns.indexOf(QStringLiteral("preview"));
    const qsizetype pixelsColumn = columns.indexOf(QStringLiteral("pixels"));
    if (previewColumn < 0 || pixelsColumn < 0)
        return expected;
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().split(QLatin1Char('\t'));
        if (fields.size() <= std::max(previewColumn, pixelsColumn))
            continue;
        const bool none = fields[previewColumn].startsWith(QStringLiteral("none"));
        expected.insert(fields[0], none ? QString() : fields[pixelsColumn]);
    }
    return expected;
}

void benchmarkFolder(const QString &path)
{
    const QDir folder(path);
    const QHash<QString, QString> expected = readManifest(folder);
    int agree = 0;
    int compared = 0;
    std::vector<double> medians;
    std::printf("\n%-48s %9s %10s %10s  %s\n", "drawing", "bytes", "median us", "decoded", "manifest");
    for (const QFileInfo &info : folder.entryInfoList({QStringLiteral("*.dwg")}, QDir::Files, QDir::Name)) {
        QImage image;
        const Timing t = timeMicroseconds(30, [&] { image = DwgPreview::fromFile(info.filePath()); });
        medians.push_back(t.median);
        const QString got = image.isNull() ? QString() : describe(image);
        QString verdict = QStringLiteral("-");
        if (expected.contains(info.fileName())) {
            ++compared;
            const bool same = expected.value(info.fileName()) == got;
            agree += same;
            verdict =
                same ? QStringLiteral("agrees") : QStringLiteral("DIFFERS (%1)").arg(expected.value(info.fileName()));
        }
        std::printf("%-48s %9lld %10.1f %10s  %s\n", qPrintable(info.fileName()), info.size(), t.median,
                    qPrintable(got.isEmpty() ? QStringLiteral("none") : got), qPrintable(verdict));
    }
    if (!medians.empty()) {
        std::sort(medians.begin(), medians.end());
        std::printf("%zu drawings, median of medians %.1f us, slowest %.1f us; manifest agrees on %d of %d\n",
                    medians.size(), medians[medians.size() / 2], medians.back(), agree, compared);
    }
}

} // namespace

int main(int argc, char **argv)
{
    benchmarkBuiltDrawings();
    if (argc > 1)
        benchmarkFolder(QString::fromLocal8Bit(argv[1]));
    return 0;
}
