#pragma once

#include "stores/CatalogueStore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <vector>

// The upper-cased text of every record, kept so that a walk over a million
// records takes a fraction of a second: each record's fields are stored as one
// span of UTF-8, the fields separated by a NUL that no search text contains,
// so a match never runs from one field into the next and NULL matches nothing.
// A short value that repeats (a client, a county, a date) is held once by
// the one who writes it: later records name it by number in a few bytes from
// 0x80 to 0xBF before their own text. UTF-8 text never begins with such a byte, so
// no match starts in them, and a NUL on their left keeps one from running in.
class SearchCorpus
{
    struct SharedValues;

public:
    // Eight bytes: a chunk's offsets fit in 24 bits, and 254 chunks hold 4 GB
    // of text; a record past them has no span and is read when walked.
    struct Span
    {
        quint32 chunk : 8 = NoSpan;
        quint32 offset : 24 = 0;
        quint32 length = 0;
        bool isSet() const { return chunk != NoSpan; }
    };
    static constexpr quint32 NoSpan = 0xFF;

    // The text a search looks for: upper case, UTF-8.
    static QByteArray needleFor(const QString &searchText);
    // Appends one record's fields.
    Span append(const std::vector<FieldBytes> &fields);
    Span append(const std::vector<QVariant> &fields);
    bool contains(const Span &span, const QByteArray &needle) const;
    // Records appended one after another lie in one run of memory, a NUL
    // between them, so a walk can scan many records with one search.
    static bool followsDirectly(const Span &a, const Span &b)
    {
        return a.isSet() && b.chunk == a.chunk && b.offset == a.offset + a.length + 1;
    }
    // The first (last) place of the needle in [begin, end) of a chunk; -1 if
    // none. Values a record shares are not in its bytes: see SharedMatches.
    qint64 findFirst(quint32 chunk, quint32 begin, quint32 end, const QByteArray &needle) const;
    qint64 findLast(quint32 chunk, quint32 begin, quint32 end, const QByteArray &needle) const;

    // Moves the chunks of another store to the end of this one; returns the
    // number by which the other store's chunk numbers must be shifted.
    quint32 adopt(SearchCorpus &&other);
    // A span of the other store as this one numbers it after adopt; unset
    // when its chunk lies past the last one a span can name.
    static Span shifted(Span span, quint32 shift);
    // The bytes written into each chunk, and into all of them.
    std::vector<quint32> chunkEnds() const;
    quint64 byteCount() const;

    // The whole text as a kept copy holds it: each chunk's bytes with the set
    // of shared values its records name by number.
    struct Layout
    {
        std::vector<std::string_view> chunks;
        std::vector<quint32> valueSetOf; // by chunk
        std::vector<std::vector<std::string_view>> valueSets;
    };
    Layout layout() const;
    // A text over bytes kept elsewhere (a mapped file), which `alive` holds;
    // checked: nothing when a value set is larger than numbers can name.
    static std::optional<SearchCorpus> over(const Layout &layout, const std::shared_ptr<const void> &alive);
    // Whether a span lies in its chunk, a byte before its end, and names only
    // values its chunk has: what a span read from a file must be.
    bool holdsSpan(const Span &span) const;
    static constexpr size_t ChunkSize = 16u << 20;

    // Which shared values hold one needle, worked out for a chunk's values the
    // first time a walk asks about the chunk. One per walking thread.
    class SharedMatches
    {
    public:
        SharedMatches(const SearchCorpus &text, const QByteArray &needle);
        // Whether any value the chunk's records share holds the needle.
        bool anyIn(quint32 chunk);
        // Whether a value the record shares holds it; anyIn(span.chunk) first.
        bool holds(const Span &span) const;

    private:
        struct Result
        {
            const SharedValues *values;
            std::vector<bool> matching; // by number
            bool any;
        };
        const SearchCorpus &text_;
        QByteArray needle_;
        std::vector<Result> results_; // one for each set of values asked about
        std::vector<qint32> resultOf_; // by chunk; -1 until asked
    };

private:
    // Three bytes of five bits name any of them.
    static constexpr size_t MostSharedValues = 1u << 15;
    struct Shared
    {
        const char *text; // a copy, kept close together for the look-ups and the walks
        quint32 length;
    };
    struct Sharing;
    // The values shared in the chunks that one writer filled, by number.
    struct SharedValues
    {
        std::vector<Shared> values;
        std::vector<std::unique_ptr<char[]>> texts; // blocks the copies are in
        size_t lastBlockUsed = 0;
        std::unique_ptr<Sharing> sharing; // while records are written
        const char *copy(const char *text, size_t length);
        SharedValues();
        ~SharedValues();
    };
    struct Chunk
    {
        std::string text; // written in this session
        std::string_view kept; // or read from a kept copy, which keptAlive holds
        std::shared_ptr<const void> keptAlive;
        std::shared_ptr<SharedValues> shared;
        bool isKept() const { return kept.data() != nullptr; }
        const char *data() const { return isKept() ? kept.data() : text.data(); }
        size_t size() const { return isKept() ? kept.size() : text.size(); }
    };
    Chunk *chunkWithRoomFor(size_t bytes); // nullptr when no span could name it
    static bool valueHolds(const Shared &value, const QByteArray &needle);

    std::vector<std::unique_ptr<Chunk>> chunks_;
};

// Reads every record of a table off the window's thread into a SearchCorpus,
// two halves side by side, each through a connection of its own.
struct SearchCorpusBuild
{
    SearchCorpus text;
    // Where each record's text lies, by id: where the ids are dense (the
    // usual case), where it begins in a table indexed by id - firstId, four
    // bytes a record at the text's largest, for it ends where the next
    // record's of its chunk begins; a list by ascending id where they are not.
    static constexpr quint32 NoStart = 0xFFFFFFFF;
    qint64 firstId = 0;
    std::vector<quint32> startById; // chunk << 24 | offset
    std::vector<quint32> chunkEnds; // kept, as the text moves on when taken in
    std::vector<std::pair<qint64, SearchCorpus::Span>> spans;
    // Or, from a kept file: each record's whole span by id - firstId, mapped
    // (keptAlive holds the mapping).
    const SearchCorpus::Span *keptSpans = nullptr;
    size_t keptSpanCount = 0;
    std::shared_ptr<const void> keptAlive;
    qint64 keptCursor = -1; // the change the kept file holds the text at
    // Records changed since the kept file was written: their text is read anew.
    std::unordered_set<qint64> stale;
    bool complete = false;
    SearchCorpus::Span spanOf(qint64 id) const;
};

// The ids of the records to read: they lie in [first, last], about `count` of them.
struct RowIdRange
{
    qint64 first = 0, last = -1, count = 0;
};
SearchCorpusBuild buildSearchCorpus(const CatalogueStore &store, const QString &table, const QStringList &fields,
                                    const RowIdRange &ids, const std::atomic<bool> &cancelled);
