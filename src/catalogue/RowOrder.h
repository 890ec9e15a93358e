#pragma once

#include "catalogue/SearchCorpus.h"
#include "catalogue/TieredRows.h"
#include "stores/CatalogueStore.h"

#include <QString>
#include <QVariant>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// The order of a catalogue's records by their sort field, apart from the
// records themselves: each record's row id, the leading number of its sort key
// and the key's text (all keys in one text), and where its search text lies.
// The order is the numeric value, then the text, then the row id, so that one
// more than the last value is always a new one. Without a sort field the
// records keep the order they came in.
class RowOrder
{
public:
    struct Row
    {
        qint64 rowid;
        double number; // leading numeric value of the sort field
        quint32 keyOffset; // sort field's text in keyText
        quint32 keyLength;
        SearchCorpus::Span search; // this record's text in the search corpus
    };

    using Rows = TieredRows<Row>;
    Rows rows;
    std::string keyText;

    void setSorted(bool sorted) { sorted_ = sorted; }
    bool sorted() const { return sorted_; }
    void clear();
    // Room for the records added in a session beyond the ones read: the first
    // Add must not move every row (or key) to a larger block.
    static size_t withRoomToGrow(size_t count);
    void reserveRoom(size_t rowCount, size_t keyBytes);

    size_t size() const { return rows.size(); }
    bool empty() const { return rows.empty(); }
    std::string_view keyOf(const Row &row) const { return {keyText.data() + row.keyOffset, row.keyLength}; }
    QString lastKey() const;

    // A row of a record read in a scan (null data: no key), at the end.
    void appendScanned(qint64 rowid, FieldBytes key);
    // A row for a record whose sort field holds this (null: nothing); its key
    // text is added to the text.
    Row make(qint64 rowid, const QVariant &sortValue, SearchCorpus::Span search);
    // Puts every row in order after a scan.
    void sortAll();
    bool less(const Row &a, const Row &b) const;
    bool sameKey(const Row &a, const Row &b) const { return !less(a, b) && !less(b, a); }

    size_t sortedIndexOf(const Row &row) const;
    // Puts the row at its sorted place; the index it took.
    size_t insert(const Row &row);
    std::optional<qint64> indexOf(qint64 rowid) const;
    // Whether a record's sort field holds exactly this text.
    bool holdsKey(const QString &key) const;
    void erase(qint64 index) { rows.erase(size_t(index)); }
    // Takes the rows of these ids out and puts the new versions in their places.
    void replace(const std::unordered_set<qint64> &ids, std::vector<Row> placed);
    // Rows read back from a kept file hold only when each key lies in the text
    // and the rows are strictly in order; their search places are forgotten.
    bool holdsKeptRows();

private:
    bool sorted_ = false;
};
