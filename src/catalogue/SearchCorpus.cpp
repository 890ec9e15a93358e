#include "catalogue/SearchCorpus.h"

#include "catalogue/ByteSearch.h"
#include "stores/SearchKey.h"

#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <thread>

QByteArray SearchCorpus::needleFor(const QString &searchText)
{
    return searchText.toUpper().toUtf8();
}

namespace {
// Values longer than this seldom repeat, and would cost a hash each.
constexpr size_t LongestShared = 64;
// A field whose values have repeated less than one time in sixteen after this
// many of them is not looked up again by that writer: it only fills the table.
constexpr quint32 TrialLookups = 2048;

bool isNumberByte(char c)
{
    return (uchar(c) & 0xC0) == 0x80;
}

// High digits first; 0x80 to 0x9F go on, 0xA0 to 0xBF end a number.
void appendNumber(std::string &out, quint32 number)
{
    int shift = number >= 1024 ? 10 : number >= 32 ? 5 : 0;
    for (; shift > 0; shift -= 5)
        out += char(0x80 | ((number >> shift) & 0x1F));
    out += char(0xA0 | (number & 0x1F));
}

// Calls found(number) for each value the text at p names; returns where its own text begins.
template <class Found> const char *readNumbers(const char *p, const char *end, Found found)
{
    quint32 number = 0;
    for (; p < end && isNumberByte(*p); ++p) {
        number = (number << 5) | (uchar(*p) & 0x1F);
        if (uchar(*p) & 0x20) {
            if (found(number))
                return nullptr;
            number = 0;
        }
    }
    return p;
}
}

// While records are written: the numbers of the shared values by their text,
// and how often each field's values have repeated.
struct SearchCorpus::Sharing
{
    // Open addressing over (hash, number + 1): a look-up touches this array
    // and the one copy it compares, both small enough to stay in cache.
    struct Slot
    {
        quint32 hash = 0, numberPlusOne = 0; // 0: empty
    };
    static constexpr quint32 Dropped = 0xFFFFFFFF;
    std::vector<Slot> table = std::vector<Slot>(1024);
    size_t tableUsed = 0;

    struct Field
    {
        quint32 looked = 0, found = 0;
        bool givenUp = false;
        // The values the field named last, by hash: most repeat a few values,
        // found here in the first-level cache instead of the table.
        std::array<Slot, 64> recent{};
    };
    std::vector<Field> fields;
    struct Owner
    {
        quint32 field;
        bool named;
    };
    std::vector<Owner> owners; // by value number

    static quint32 hashOf(std::string_view text) { return quint32(std::hash<std::string_view>{}(text)); }

    static bool holdsText(const Slot &slot, const std::vector<Shared> &values, std::string_view text, quint32 hash)
    {
        if (slot.hash != hash || slot.numberPlusOne == 0 || slot.numberPlusOne == Dropped)
            return false;
        const Shared &value = values[slot.numberPlusOne - 1];
        return std::string_view(value.text, value.length) == text;
    }

    // The slot that holds the text, or the empty one where it would go.
    Slot &slotFor(const std::vector<Shared> &values, std::string_view text, quint32 hash)
    {
        for (size_t i = hash & (table.size() - 1);; i = (i + 1) & (table.size() - 1)) {
            Slot &slot = table[i];
            if (slot.numberPlusOne == 0 || holdsText(slot, values, text, hash))
                return slot;
        }
    }

    // Files an entry, in a table twice as large once it is half full; the
    // hashes kept in the slots move the others without hashing them again.
    void index(const std::vector<Shared> &values, Slot entry)
    {
        if ((tableUsed + 1) * 2 > table.size()) {
            std::vector<Slot> old(table.size() * 2);
            old.swap(table);
            tableUsed = 0;
            for (const Slot &slot : old)
                if (slot.numberPlusOne != 0 && slot.numberPlusOne != Dropped)
                    index(values, slot);
        }
        const Shared &value = values[entry.numberPlusOne - 1];
        slotFor(values, std::string_view(value.text, value.length), entry.hash) = entry;
        ++tableUsed;
    }

    bool worthLookingUp(size_t field)
    {
        if (field >= fields.size())
            fields.resize(field + 1);
        return !fields[field].givenUp;
    }

    std::optional<quint32> find(std::vector<Shared> &values, size_t field, std::string_view text)
    {
        Field &tally = fields[field];
        ++tally.looked;
        const quint32 hash = hashOf(text);
        Slot &recent = tally.recent[hash % tally.recent.size()];
        if (holdsText(recent, values, text, hash)) {
            ++tally.found;
            return recent.numberPlusOne - 1;
        }
        if (const Slot &slot = slotFor(values, text, hash); slot.numberPlusOne != 0) {
            ++tally.found;
            owners[slot.numberPlusOne - 1].named = true;
            recent = slot;
            return slot.numberPlusOne - 1;
        }
        if (tally.looked == TrialLookups && tally.found * 16 < tally.looked)
            giveUp(values, field);
        return std::nullopt;
    }

    void add(SharedValues &shared, size_t field, const char *text, quint32 length)
    {
        const std::string_view seen(text, length);
        const quint32 hash = hashOf(seen);
        if (shared.values.size() >= MostSharedValues || slotFor(shared.values, seen, hash).numberPlusOne != 0)
            return;
        shared.values.push_back({shared.copy(text, length), length});
        owners.push_back({quint32(field), false});
        index(shared.values, {hash, quint32(shared.values.size())});
    }

    // The field's values that no record names again are dropped, so that a
    // walk does not look at them; their numbers stay unused.
    void giveUp(std::vector<Shared> &values, size_t field)
    {
        fields[field].givenUp = true;
        for (size_t number = 0; number < owners.size(); ++number) {
            Shared &value = values[number];
            if (owners[number].field != field || owners[number].named || value.length == 0)
                continue;
            const std::string_view text(value.text, value.length);
            slotFor(values, text, hashOf(text)).numberPlusOne = Dropped;
            value.length = 0;
        }
    }
};

SearchCorpus::SharedValues::SharedValues() = default;
SearchCorpus::SharedValues::~SharedValues() = default;

const char *SearchCorpus::SharedValues::copy(const char *text, size_t length)
{
    constexpr size_t BlockSize = 64 * 1024;
    if (texts.empty() || lastBlockUsed + length > BlockSize) {
        texts.push_back(std::make_unique<char[]>(BlockSize));
        lastBlockUsed = 0;
    }
    char *kept = texts.back().get() + lastBlockUsed;
    std::memcpy(kept, text, length);
    lastBlockUsed += length;
    return kept;
}

SearchCorpus::Chunk *SearchCorpus::chunkWithRoomFor(size_t bytes)
{
    if (chunks_.empty() || chunks_.back()->isKept() || chunks_.back()->text.size() + bytes > ChunkSize) {
        if (chunks_.size() >= NoSpan)
            return nullptr;
        auto chunk = std::make_unique<Chunk>();
        // Room made once: a chunk never moves to a larger block.
        chunk->text.reserve(std::max(ChunkSize, bytes));
        if (chunks_.empty()) {
            chunk->shared = std::make_shared<SharedValues>();
            chunk->shared->sharing = std::make_unique<Sharing>();
        } else {
            chunk->shared = chunks_.back()->shared;
        }
        chunks_.push_back(std::move(chunk));
    }
    return chunks_.back().get();
}

SearchCorpus::Span SearchCorpus::append(const std::vector<FieldBytes> &fields)
{
    size_t worstCase = fields.size() * 4;
    for (const FieldBytes &f : fields)
        worstCase += size_t(f.length) * 3; // upper case may lengthen UTF-8
    Chunk *room = chunkWithRoomFor(worstCase);
    if (!room)
        return {};
    Chunk &chunk = *room;
    std::string &text = chunk.text;
    const size_t start = text.size();
    QVarLengthArray<quint32, 16> named; // values shared before, by number
    struct FirstSeen
    {
        size_t field;
        quint32 offset, length; // offset from start
    };
    QVarLengthArray<FirstSeen, 16> firstSeen; // values to share from now on
    Sharing *sharing = chunk.shared->sharing.get();
    std::vector<Shared> &values = chunk.shared->values;
    for (size_t i = 0; i < fields.size(); ++i) {
        const size_t before = text.size();
        if (before > start)
            text += '\0';
        const size_t valueAt = text.size();
        if (fields[i].data)
            SearchKey::appendUpper(text, fields[i].data, fields[i].length);
        const size_t length = text.size() - valueAt;
        if (length == 0) { // nothing in it to find
            text.resize(before);
            continue;
        }
        if (!sharing || length > LongestShared || !sharing->worthLookingUp(i))
            continue;
        if (const auto number = sharing->find(values, i, std::string_view(text.data() + valueAt, length))) {
            named.append(*number);
            text.resize(before);
        } else if (sharing->worthLookingUp(i)) {
            firstSeen.append({i, quint32(valueAt - start), quint32(length)});
        }
    }
    if (!named.isEmpty()) {
        std::string numbers;
        for (quint32 number : named)
            appendNumber(numbers, number);
        text.insert(start, numbers);
        for (FirstSeen &seen : firstSeen)
            seen.offset += quint32(numbers.size());
    }
    for (const FirstSeen &seen : firstSeen)
        sharing->add(*chunk.shared, seen.field, text.data() + start + seen.offset, seen.length);
    const Span span{quint32(chunks_.size() - 1), quint32(start), quint32(text.size() - start)};
    text += '\0'; // nor does a match run from one record into the next
    return span;
}

SearchCorpus::Span SearchCorpus::append(const std::vector<QVariant> &fields)
{
    std::vector<QByteArray> utf8;
    std::vector<FieldBytes> bytes;
    for (const QVariant &field : fields)
        utf8.push_back(field.isNull() ? QByteArray() : field.toString().toUtf8());
    for (size_t i = 0; i < fields.size(); ++i)
        bytes.push_back({fields[i].isNull() ? nullptr : utf8[i].constData(), int(utf8[i].size())});
    return append(bytes);
}

bool SearchCorpus::contains(const Span &span, const QByteArray &needle) const
{
    if (!span.isSet())
        return false;
    const char *start = chunks_[span.chunk]->data() + span.offset, *end = start + span.length;
    const char *own = readNumbers(
        start, end, [&](quint32 number) { return valueHolds(chunks_[span.chunk]->shared->values[number], needle); });
    return !own || ByteSearch::first(own, size_t(end - own), needle.constData(), size_t(needle.size())) != nullptr;
}

bool SearchCorpus::holdsSpan(const Span &span) const
{
    if (!span.isSet())
        return true;
    if (span.chunk >= chunks_.size() || quint64(span.offset) + span.length >= chunks_[span.chunk]->size())
        return false;
    const char *start = chunks_[span.chunk]->data() + span.offset;
    const size_t known = chunks_[span.chunk]->shared->values.size();
    return readNumbers(start, start + span.length, [known](quint32 number) { return number >= known; }) != nullptr;
}

bool SearchCorpus::valueHolds(const Shared &value, const QByteArray &needle)
{
    return value.length >= size_t(needle.size())
        && ByteSearch::first(value.text, value.length, needle.constData(), size_t(needle.size()));
}

qint64 SearchCorpus::findFirst(quint32 chunk, quint32 begin, quint32 end, const QByteArray &needle) const
{
    const char *base = chunks_[chunk]->data();
    const char *hit = ByteSearch::first(base + begin, end - begin, needle.constData(), size_t(needle.size()));
    return hit ? hit - base : -1;
}

qint64 SearchCorpus::findLast(quint32 chunk, quint32 begin, quint32 end, const QByteArray &needle) const
{
    const char *base = chunks_[chunk]->data();
    const char *hit = ByteSearch::last(base + begin, end - begin, needle.constData(), size_t(needle.size()));
    return hit ? hit - base : -1;
}

SearchCorpus::SharedMatches::SharedMatches(const SearchCorpus &text, const QByteArray &needle)
    : text_(text), needle_(needle), resultOf_(text.chunks_.size(), -1)
{
}

bool SearchCorpus::SharedMatches::anyIn(quint32 chunk)
{
    if (resultOf_[chunk] < 0) {
        const SharedValues *values = text_.chunks_[chunk]->shared.get();
        const auto known =
            std::find_if(results_.begin(), results_.end(), [&](const Result &r) { return r.values == values; });
        resultOf_[chunk] = qint32(known - results_.begin());
        if (known == results_.end()) {
            Result result{values, std::vector<bool>(values->values.size()), false};
            for (size_t number = 0; number < values->values.size(); ++number)
                result.any |= result.matching[number] = valueHolds(values->values[number], needle_);
            results_.push_back(std::move(result));
        }
    }
    return results_[size_t(resultOf_[chunk])].any;
}

bool SearchCorpus::SharedMatches::holds(const Span &span) const
{
    const char *start = text_.chunks_[span.chunk]->data() + span.offset;
    const std::vector<bool> &matching = results_[size_t(resultOf_[span.chunk])].matching;
    return !readNumbers(start, start + span.length, [&](quint32 number) { return bool(matching[number]); });
}

SearchCorpus::Span SearchCorpus::shifted(Span span, quint32 shift)
{
    if (!span.isSet() || span.chunk + shift >= NoSpan)
        return {};
    span.chunk += shift;
    return span;
}

std::vector<quint32> SearchCorpus::chunkEnds() const
{
    std::vector<quint32> ends;
    for (const auto &chunk : chunks_)
        ends.push_back(quint32(chunk->size()));
    return ends;
}

quint64 SearchCorpus::byteCount() const
{
    quint64 bytes = 0;
    for (const auto &chunk : chunks_)
        bytes += chunk->size();
    return bytes;
}

quint32 SearchCorpus::adopt(SearchCorpus &&other)
{
    const quint32 shift = quint32(chunks_.size());
    // Records that follow go in as they are: numbering ends with the writer.
    for (const auto &chunk : chunks_)
        chunk->shared->sharing.reset();
    for (auto &chunk : other.chunks_) {
        chunk->shared->sharing.reset();
        chunks_.push_back(std::move(chunk));
    }
    other.chunks_.clear();
    return shift;
}

namespace {
quint32 startOf(SearchCorpus::Span span)
{
    return span.isSet() ? span.chunk << 24 | span.offset : SearchCorpusBuild::NoStart;
}

SearchCorpus::Span spanStartingAt(quint32 start)
{
    SearchCorpus::Span span;
    span.chunk = start >> 24;
    span.offset = start & 0xFFFFFF;
    return span;
}
}

SearchCorpus::Span SearchCorpusBuild::spanOf(qint64 id) const
{
    if (!stale.empty() && stale.contains(id))
        return {};
    if (keptSpans)
        return id >= firstId && id - firstId < qint64(keptSpanCount) ? keptSpans[id - firstId] : SearchCorpus::Span{};
    if (startById.empty()) {
        const auto at = std::lower_bound(spans.begin(), spans.end(), id,
                                         [](const auto &entry, qint64 wanted) { return entry.first < wanted; });
        return at != spans.end() && at->first == id ? at->second : SearchCorpus::Span{};
    }
    if (id < firstId || id - firstId >= qint64(startById.size()))
        return {};
    SearchCorpus::Span span = spanStartingAt(startById[size_t(id - firstId)]);
    if (!span.isSet())
        return {};
    quint32 end = chunkEnds[span.chunk];
    for (size_t next = size_t(id - firstId) + 1; next < startById.size(); ++next) {
        const SearchCorpus::Span following = spanStartingAt(startById[next]);
        if (following.isSet()) {
            if (following.chunk == span.chunk)
                end = following.offset;
            break;
        }
    }
    span.length = end - span.offset - 1; // less the NUL that ends it
    return span;
}

SearchCorpusBuild buildSearchCorpus(const CatalogueStore &store, const QString &table, const QStringList &fields,
                                    const RowIdRange &ids, const std::atomic<bool> &cancelled)
{
    SearchCorpusBuild build;
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
        build.startById.resize(size_t(ids.last - ids.first + 1), SearchCorpusBuild::NoStart);
    else
        build.spans.reserve(size_t(ids.count));
    SearchCorpusBuild upper;
    if (!dense)
        upper.spans.reserve(size_t(ids.count / 2));
    const auto readRange = [&](SearchCorpusBuild &part, qint64 first, qint64 last) {
        part.complete = store.scanRecords(
            table, fields, first, last,
            [&](qint64 id, const std::vector<FieldBytes> &values) {
                const SearchCorpus::Span span = part.text.append(values);
                if (dense)
                    build.startById[size_t(id - ids.first)] = startOf(span);
                else
                    part.spans.emplace_back(id, span);
            },
            cancelled);
    };
    std::thread other([&] { readRange(upper, split, ids.last); });
    readRange(build, ids.first, split - 1);
    other.join();
    const quint32 shift = build.text.adopt(std::move(upper.text));
    for (size_t i = size_t(split - ids.first); i < build.startById.size(); ++i)
        build.startById[i] = startOf(SearchCorpus::shifted(spanStartingAt(build.startById[i]), shift));
    for (const auto &[id, span] : upper.spans)
        build.spans.emplace_back(id, SearchCorpus::shifted(span, shift));
    build.complete = build.complete && upper.complete;
    build.chunkEnds = build.text.chunkEnds();
    return build;
}
