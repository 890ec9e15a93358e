// Feeds arbitrary bytes to the thumbnailer through its command line, as a file
// manager would hand it a drawing: a thumbnail is written whole, fitted into
// SIZE x SIZE, or there is no output file at all. Seeds: the preview decoder's
// drawings (fuzz/seeds/fuzz_thumbnailer links to them). Run with -timeout=2.

#include "thumbnailer/Thumbnailer.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void discardMessage(QtMsgType, const QMessageLogContext &, const QString &)
{
}

constexpr int Size = 128;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(discardMessage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString input = dir.filePath("input.dwg");
    const QString output = dir.filePath("output.png");
    QFile file(input);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    QFile::remove(output);

    const Thumbnailer::Status status =
        Thumbnailer::run({"-s", QString::number(Size), input, output}, [] { /* no clock in the fuzzer */ });
    const QImage thumbnail(output);
    if ((status == Thumbnailer::Written) != QFile::exists(output))
        std::abort();
    if (status == Thumbnailer::Written
        && (thumbnail.isNull() || qMax(thumbnail.width(), thumbnail.height()) != Size
            || qMin(thumbnail.width(), thumbnail.height()) < 1))
        std::abort();
    return 0;
}
