// Feeds arbitrary bytes to the DWG preview decoder as if they were a drawing file.
// Seeds in fuzz/seeds/fuzz_dwgpreview hold small drawings with BMP (1, 4, 8, 24,
// 32 bits, RLE8 and RLE4 with early ends, deltas and short rows, top-down), PNG
// and WMF entries.

#include "files/DwgPreview.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// The image decoders warn about every broken file; that is noise here.
void discardMessage(QtMsgType, const QMessageLogContext &, const QString &)
{
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(discardMessage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto decode = [&bytes] {
        QBuffer device(&bytes);
        device.open(QIODevice::ReadOnly);
        return DwgPreview::fromDevice(device);
    };
    const QImage image = decode();
    if (!image.isNull() && (image.width() > DwgPreview::MaxSide || image.height() > DwgPreview::MaxSide))
        std::abort();
    // One drawing, one picture: a pixel the decoder never wrote would differ
    // between runs (and reading it is what valgrind and MSan report).
    if (decode() != image)
        std::abort();
    return 0;
}
