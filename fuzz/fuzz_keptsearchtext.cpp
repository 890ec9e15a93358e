// A kept search text lies in the user's cache folder, where anything may
// have damaged it, and it is mapped and walked in place; reading one must
// never crash or read outside it. The input's checksum and size are set
// right, so that the structure behind them is what gets tried.
#include "catalogue/KeptFile.h"
#include "catalogue/KeptSearchText.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstring>

namespace {
// Where the header keeps the body's size and checksum: its last two words.
constexpr size_t HeaderBytes = 128;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("kept"));
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (size >= HeaderBytes) {
        const quint64 bodyBytes = size - HeaderBytes;
        const quint64 checksum = KeptFile::checksumOf(bytes.constData() + HeaderBytes, bodyBytes);
        std::memcpy(bytes.data() + HeaderBytes - 16, &bodyBytes, 8);
        std::memcpy(bytes.data() + HeaderBytes - 8, &checksum, 8);
    }
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        out.write(bytes);
    }
    const std::optional<KeptFile::Stamp> stamp = KeptSearchText::stampOf(file);
    if (!stamp)
        return 0;
    const std::optional<SearchCorpusBuild> build = KeptSearchText::read(file, *stamp);
    if (!build)
        return 0;
    // Every span it hands out is walked, shared values and all.
    const qint64 ids = build->keptSpans ? qint64(build->keptSpanCount) : qint64(build->spans.size());
    for (qint64 i = 0; i < ids; ++i) {
        const SearchCorpus::Span span =
            build->keptSpans ? build->spanOf(build->firstId + i) : build->spans[size_t(i)].second;
        build->text.contains(span, QByteArrayLiteral("A"));
        SearchCorpus::SharedMatches shared(build->text, QByteArrayLiteral("A"));
        if (span.isSet() && shared.anyIn(span.chunk))
            shared.holds(span);
    }
    return 0;
}
