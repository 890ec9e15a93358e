#pragma once

#include "stores/CatalogueStore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <memory>
#include <vector>

// The upper-cased text of every record, kept so that a walk over a million
// records takes a fraction of a second: each record's fields are stored as one
// span of UTF-8, the fields separated by a NUL that no search text contains,
// so a match never runs from one field into the next and NULL matches nothing.
class SearchText
{
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
    // The first (last) place of the needle in [begin, end) of a chunk; -1 if none.
    qint64 findFirst(quint32 chunk, quint32 begin, quint32 end, const QByteArray &needle) const;
    qint64 findLast(quint32 chunk, quint32 begin, quint32 end, const QByteArray &needle) const;

    // Moves the chunks of another store to the end of this one; returns the
    // number by which the other store's chunk numbers must be shifted.
    quint32 adopt(SearchText &&other);
    // A span of the other store as this one numbers it after adopt; unset
    // when its chunk lies past the last one a span can name.
    static Span shifted(Span span, quint32 shift);

private:
    static constexpr size_t ChunkSize = 16u << 20;
    std::vector<std::unique_ptr<std::string>> chunks_;
};

// Reads every record of a table off the window's thread into a SearchText,
// two halves side by side, each through a connection of its own.
struct SearchTextBuild
{
    SearchText text;
    // Where each record's text lies, by id: a table indexed by id - firstId
    // where the ids are dense (the usual case: one look-up per record, and
    // half the room of a list), a list by ascending id where they are not.
    qint64 firstId = 0;
    std::vector<SearchText::Span> byId;
    std::vector<std::pair<qint64, SearchText::Span>> spans;
    bool complete = false;
    SearchText::Span spanOf(qint64 id) const;
};

// The ids of the records to read: they lie in [first, last], about `count` of them.
struct RowIdRange
{
    qint64 first = 0, last = -1, count = 0;
};
SearchTextBuild buildSearchText(const CatalogueStore &store, const QString &table, const QStringList &fields,
                                const RowIdRange &ids, const std::atomic<bool> &cancelled);
