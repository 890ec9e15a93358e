// Feeds arbitrary bytes to the DWG preview decoder as if they were a drawing file.
// Seeds in fuzz/seeds/fuzz_dwgpreview hold small drawings with BMP (1, 4, 8, 24,
// 32 bits, RLE8, top-down), PNG and WMF entries.

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
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    const QImage image = DwgPreview::fromDevice(device);
    if (!image.isNull() && (image.width() > DwgPreview::MaxSide || image.height() > DwgPreview::MaxSide))
        std::abort();
    return 0;
}
