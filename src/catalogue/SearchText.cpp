#include "catalogue/SearchText.h"

#include "catalogue/ByteSearch.h"
#include "stores/SearchKey.h"

#include <algorithm>
#include <cstring>
#include <thread>

QByteArray SearchText::needleFor(const QString &searchText)
{
    return searchText.toUpper().toUtf8();
}

SearchText::Span SearchText::append(const std::vector<FieldBytes> &fields)
{
    size_t worstCase = fields.size();
    for (const FieldBytes &f : fields)
        worstCase += size_t(f.length) * 3; // upper case may lengthen UTF-8
    if (chunks_.empty() || chunks_.back()->size() + worstCase > ChunkSize) {
        if (chunks_.size() >= NoSpan)
            return {};
        chunks_.push_back(std::make_unique<std::string>());
        chunks_.back()->reserve(std::max(ChunkSize, worstCase));
    }
    std::string &chunk = *chunks_.back();
    const size_t start = chunk.size();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            chunk += '\0';
        if (fields[i].data)
            SearchKey::appendUpper(chunk, fields[i].data, fields[i].length);
    }
    const Span span{quint32(chunks_.size() - 1), quint32(start), quint32(chunk.size() - start)};
    chunk += '\0'; // nor does a match run from one record into the next
    return span;
}

SearchText::Span SearchText::append(const std::vector<QVariant> &fields)
{
    std::vector<QByteArray> utf8;
    std::vector<FieldBytes> bytes;
    for (const QVariant &field : fields)
        utf8.push_back(field.isNull() ? QByteArray() : field.toString().toUtf8());
    for (size_t i = 0; i < fields.size(); ++i)
        bytes.push_back({fields[i].isNull() ? nullptr : utf8[i].constData(), int(utf8[i].size())});
    return append(bytes);
}

bool SearchText::contains(const Span &span, const QByteArray &needle) const
{
    if (!span.isSet() || span.length < size_t(needle.size()))
        return false;
    const char *start = chunks_[span.chunk]->data() + span.offset;
    return ByteSearch::first(start, span.length, needle.constData(), size_t(needle.size())) != nullptr;
}

qint64 SearchText::findFirst(quint32 chunk, quint32 begin, quint32 end, const QByteArray &needle) const
{
    const char *base = chunks_[chunk]->data();
    const char *hit = ByteSearch::first(base + begin, end - begin, needle.constData(), size_t(needle.size()));
    return hit ? hit - base : -1;
}

qint64 SearchText::findLast(quint32 chunk, quint32 begin, quint32 end, const QByteArray &needle) const
{
    const char *base = chunks_[chunk]->data();
    const char *hit = ByteSearch::last(base + begin, end - begin, needle.constData(), size_t(needle.size()));
    return hit ? hit - base : -1;
}

SearchText::Span SearchText::shifted(Span span, quint32 shift)
{
    if (!span.isSet() || span.chunk + shift >= NoSpan)
        return {};
    span.chunk += shift;
    return span;
}

quint32 SearchText::adopt(SearchText &&other)
{
    const quint32 shift = quint32(chunks_.size());
    for (auto &chunk : other.chunks_)
        chunks_.push_back(std::move(chunk));
    other.chunks_.clear();
    return shift;
}

SearchText::Span SearchTextBuild::spanOf(qint64 id) const
{
    if (!byId.empty())
        return id >= firstId && id - firstId < qint64(byId.size()) ? byId[size_t(id - firstId)] : SearchText::Span{};
    const auto at = std::lower_bound(spans.begin(), spans.end(), id,
                                     [](const auto &entry, qint64 wanted) { return entry.first < wanted; });
    return at != spans.end() && at->first == id ? at->second : SearchText::Span{};
}

SearchTextBuild buildSearchText(const CatalogueStore &store, const QString &table, const QStringList &fields,
                                const RowIdRange &ids, const std::atomic<bool> &cancelled)
{
    SearchTextBuild build;
    if (ids.count == 0) {
        build.complete = true;
        return build;
    }
    // Split at the middle id. Dense ids: each half fills its own part of one
    // table. Sparse ones: each half keeps its list in id order, room made once.
    const qint64 split = ids.first + (ids.last - ids.first) / 2 + 1;
    constexpr qint64 DenseEnough = 4, SmallRange = 4096;
    const bool dense = ids.last - ids.first < DenseEnough * ids.count + SmallRange;
    build.firstId = ids.first;
    if (dense)
        build.byId.resize(size_t(ids.last - ids.first + 1));
    else
        build.spans.reserve(size_t(ids.count));
    SearchTextBuild upper;
    if (!dense)
        upper.spans.reserve(size_t(ids.count / 2));
    const auto readRange = [&](SearchTextBuild &part, qint64 first, qint64 last) {
        part.complete = store.scanRecords(
            table, fields, first, last,
            [&](qint64 id, const std::vector<FieldBytes> &values) {
                const SearchText::Span span = part.text.append(values);
                if (dense)
                    build.byId[size_t(id - ids.first)] = span;
                else
                    part.spans.emplace_back(id, span);
            },
            cancelled);
    };
    std::thread other([&] { readRange(upper, split, ids.last); });
    readRange(build, ids.first, split - 1);
    other.join();
    const quint32 shift = build.text.adopt(std::move(upper.text));
    for (size_t i = size_t(split - ids.first); i < build.byId.size(); ++i)
        build.byId[i] = SearchText::shifted(build.byId[i], shift);
    for (const auto &[id, span] : upper.spans)
        build.spans.emplace_back(id, SearchText::shifted(span, shift));
    build.complete = build.complete && upper.complete;
    return build;
}
