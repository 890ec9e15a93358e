#include "catalogue/KeptSearchText.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <array>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr std::array<char, 16> Magic{'M', 'o', 'r', 'v', 'o', 'I', 'I', ' ', 's', 'e', 'a', 'r', 'c', 'h', '1', '\n'};

// Every count is checked against the file's size before anything is read by it.
struct Header
{
    std::array<char, 16> magic = Magic;
    quint64 spanSize = sizeof(SearchCorpus::Span);
    qint64 cursor = 0;
    quint64 historyBytes = 0;
    quint64 valueSetCount = 0;
    quint64 valueCount = 0;
    quint64 valueTextBytes = 0;
    quint64 chunkCount = 0;
    quint64 textBytes = 0;
    qint64 firstId = 0;
    quint64 spanCount = 0;
    quint64 dense = 0; // spans by id - firstId; else (id, span) pairs by ascending id
    quint64 bodyBytes = 0;
    quint64 checksum = 0;
};

struct ChunkEntry
{
    quint32 valueSet;
    quint32 bytes;
};

struct IdSpanEntry
{
    qint64 id;
    SearchCorpus::Span span;
};

constexpr quint64 padTo8(quint64 bytes)
{
    return (bytes + 7) & ~quint64(7);
}

// Where each part of the body lies, from the header's counts; nothing when
// they do not add up to the file's size.
struct BodyParts
{
    quint64 history, valueSetSizes, valueLengths, chunkTable, spans, valueTexts, texts, end;

    static std::optional<BodyParts> of(const Header &h, quint64 bodyBytes)
    {
        // No count can exceed the body's bytes: checked first, the sums below cannot overflow.
        for (const quint64 count :
             {h.historyBytes, h.valueSetCount, h.valueCount, h.valueTextBytes, h.chunkCount, h.textBytes, h.spanCount})
            if (count > bodyBytes)
                return std::nullopt;
        BodyParts p;
        p.history = 0;
        p.valueSetSizes = padTo8(h.historyBytes);
        p.valueLengths = p.valueSetSizes + h.valueSetCount * 4;
        p.chunkTable = p.valueLengths + h.valueCount * 4;
        p.spans = padTo8(p.chunkTable + h.chunkCount * sizeof(ChunkEntry));
        p.valueTexts = p.spans + h.spanCount * (h.dense ? sizeof(SearchCorpus::Span) : sizeof(IdSpanEntry));
        p.texts = p.valueTexts + h.valueTextBytes;
        p.end = p.texts + h.textBytes;
        if (p.end != bodyBytes)
            return std::nullopt;
        return p;
    }
};

template <class T> std::string_view bytesOf(const std::vector<T> &items)
{
    return {reinterpret_cast<const char *>(items.data()), items.size() * sizeof(T)};
}

// Zeros up to the next multiple of 8 from the body's start, so that the span table read in place is aligned.
bool padFrom(KeptFile::BlockOutput &out, quint64 bodyBytesSoFar)
{
    static constexpr char Zeros[8] = {};
    return out.write({Zeros, size_t(padTo8(bodyBytesSoFar) - bodyBytesSoFar)});
}

// The spans as the file holds them: by id where the ids are dense, else in pairs.
void spanTable(Header &header, const std::vector<KeptSearchText::IdSpan> &spans, std::vector<SearchCorpus::Span> &dense,
               std::vector<IdSpanEntry> &pairs)
{
    constexpr qint64 DenseEnough = 4, SmallRange = 4096;
    const qint64 first = spans.empty() ? 0 : spans.front().id;
    const qint64 range = spans.empty() ? 0 : spans.back().id - first + 1;
    header.firstId = first;
    header.dense = range < DenseEnough * qint64(spans.size()) + SmallRange;
    if (header.dense) {
        dense.resize(size_t(range));
        for (const auto &[id, span] : spans)
            dense[size_t(id - first)] = span;
        header.spanCount = dense.size();
    } else {
        for (const auto &[id, span] : spans)
            pairs.push_back({id, span});
        header.spanCount = pairs.size();
    }
}

// The file's bytes, mapped read-only: the pages are the file's, shared with
// the page cache, not the program's own memory.
std::shared_ptr<const void> mapWhole(const QString &file, size_t &size)
{
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info = {};
    void *at = MAP_FAILED;
    if (::fstat(fd, &info) == 0 && info.st_size >= qint64(sizeof(Header)))
        at = ::mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);
    if (at == MAP_FAILED)
        return nullptr;
    size = size_t(info.st_size);
    return std::shared_ptr<const void>(at, [size](const void *p) { ::munmap(const_cast<void *>(p), size); });
}
}

namespace KeptSearchText {

QString fileFor(const QString &catalogue, const QString &table, const QStringList &fields)
{
    return KeptFile::cacheFile(QStringLiteral("kept search text"), QStringList{catalogue, table} + fields);
}

bool write(const QString &file, const KeptFile::Stamp &stamp, const SearchCorpus &text,
           const std::vector<IdSpan> &spans)
{
    const SearchCorpus::Layout layout = text.layout();
    Header header;
    header.cursor = stamp.cursor;
    header.historyBytes = quint64(stamp.history.size());
    header.valueSetCount = layout.valueSets.size();
    header.chunkCount = layout.chunks.size();
    std::vector<quint32> setSizes, valueLengths;
    for (const auto &values : layout.valueSets) {
        setSizes.push_back(quint32(values.size()));
        for (const std::string_view value : values) {
            valueLengths.push_back(quint32(value.size()));
            header.valueTextBytes += value.size();
        }
    }
    header.valueCount = valueLengths.size();
    std::vector<ChunkEntry> chunkTable;
    for (size_t i = 0; i < layout.chunks.size(); ++i) {
        chunkTable.push_back({layout.valueSetOf[i], quint32(layout.chunks[i].size())});
        header.textBytes += layout.chunks[i].size();
    }
    std::vector<SearchCorpus::Span> dense;
    std::vector<IdSpanEntry> pairs;
    spanTable(header, spans, dense, pairs);

    QDir().mkpath(QFileInfo(file).path());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    // The sizes and the checksum are known at the end: the header is written again then.
    out.write(reinterpret_cast<const char *>(&header), sizeof header);
    KeptFile::BlockOutput body(out);
    const quint64 tablesEnd = padTo8(header.historyBytes) + (setSizes.size() + valueLengths.size()) * 4
        + chunkTable.size() * sizeof(ChunkEntry);
    bool written = body.write({stamp.history.constData(), size_t(stamp.history.size())})
        && padFrom(body, header.historyBytes) && body.write(bytesOf(setSizes)) && body.write(bytesOf(valueLengths))
        && body.write(bytesOf(chunkTable)) && padFrom(body, tablesEnd)
        && body.write(header.dense ? bytesOf(dense) : bytesOf(pairs));
    for (const auto &values : layout.valueSets)
        for (const std::string_view value : values)
            written = written && body.write(value);
    for (const std::string_view chunk : layout.chunks)
        written = written && body.write(chunk);
    if (!written || !body.flush(header.checksum))
        return false;
    header.bodyBytes = quint64(out.pos()) - sizeof header;
    if (!out.seek(0) || out.write(reinterpret_cast<const char *>(&header), sizeof header) != qint64(sizeof header))
        return false;
    return out.commit();
}

std::optional<KeptFile::Stamp> stampOf(const QString &file)
{
    QFile in(file);
    Header header;
    if (!in.open(QIODevice::ReadOnly)
        || in.read(reinterpret_cast<char *>(&header), sizeof header) != qint64(sizeof header) || header.magic != Magic
        || header.spanSize != sizeof(SearchCorpus::Span) || header.historyBytes > quint64(in.size()))
        return std::nullopt;
    KeptFile::Stamp stamp{in.read(qint64(header.historyBytes)), header.cursor};
    if (quint64(stamp.history.size()) != header.historyBytes)
        return std::nullopt;
    return stamp;
}

std::optional<SearchCorpusBuild> read(const QString &file, const KeptFile::Stamp &expected)
{
    size_t fileBytes = 0;
    const std::shared_ptr<const void> mapping = mapWhole(file, fileBytes);
    if (!mapping)
        return std::nullopt;
    const char *const whole = static_cast<const char *>(mapping.get());
    Header header;
    std::memcpy(&header, whole, sizeof header);
    const char *const body = whole + sizeof header;
    const quint64 bodyBytes = fileBytes - sizeof header;
    const std::optional<BodyParts> parts = BodyParts::of(header, bodyBytes);
    if (header.magic != Magic || header.spanSize != sizeof(SearchCorpus::Span) || header.bodyBytes != bodyBytes
        || !parts || header.cursor != expected.cursor
        || std::string_view(body, header.historyBytes)
            != std::string_view(expected.history.constData(), size_t(expected.history.size()))
        || KeptFile::checksumOf(body, bodyBytes) != header.checksum)
        return std::nullopt;

    const auto table = [&](quint64 offset, size_t index) {
        quint32 value;
        std::memcpy(&value, body + offset + index * 4, 4);
        return value;
    };
    SearchCorpus::Layout layout;
    quint64 valueAt = parts->valueTexts, value = 0;
    for (size_t set = 0; set < header.valueSetCount; ++set) {
        std::vector<std::string_view> &values = layout.valueSets.emplace_back();
        for (quint32 n = table(parts->valueSetSizes, set); n > 0; --n, ++value) {
            const quint32 length = value < header.valueCount ? table(parts->valueLengths, value) : 0;
            if (value >= header.valueCount || valueAt + length > parts->texts)
                return std::nullopt;
            values.emplace_back(body + valueAt, length);
            valueAt += length;
        }
    }
    quint64 textAt = parts->texts;
    for (size_t i = 0; i < header.chunkCount; ++i) {
        ChunkEntry entry;
        std::memcpy(&entry, body + parts->chunkTable + i * sizeof entry, sizeof entry);
        if (textAt + entry.bytes > parts->end)
            return std::nullopt;
        layout.chunks.emplace_back(body + textAt, entry.bytes);
        layout.valueSetOf.push_back(entry.valueSet);
        textAt += entry.bytes;
    }
    std::optional<SearchCorpus> text = SearchCorpus::over(layout, mapping);
    if (!text || value != header.valueCount || textAt != parts->end)
        return std::nullopt;

    SearchCorpusBuild build;
    build.firstId = header.firstId;
    if (header.dense) {
        build.keptSpans = reinterpret_cast<const SearchCorpus::Span *>(body + parts->spans);
        build.keptSpanCount = header.spanCount;
        for (size_t i = 0; i < build.keptSpanCount; ++i)
            if (!text->holdsSpan(build.keptSpans[i]))
                return std::nullopt;
    } else {
        const auto *pairs = reinterpret_cast<const IdSpanEntry *>(body + parts->spans);
        for (size_t i = 0; i < header.spanCount; ++i) {
            if (!text->holdsSpan(pairs[i].span) || (i > 0 && pairs[i].id <= pairs[i - 1].id))
                return std::nullopt;
            build.spans.emplace_back(pairs[i].id, pairs[i].span);
        }
    }
    build.text = std::move(*text);
    build.keptAlive = mapping;
    build.keptCursor = header.cursor;
    build.complete = true;
    return build;
}
}
