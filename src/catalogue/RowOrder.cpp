#include "catalogue/RowOrder.h"

#include "catalogue/LeadingNumber.h"
#include "catalogue/SortRows.h"

#include <algorithm>

void RowOrder::clear()
{
    rows.clear();
    keyText.clear();
}

size_t RowOrder::withRoomToGrow(size_t count)
{
    return count + count / 64 + 1024;
}

void RowOrder::reserveRoom(size_t rowCount, size_t keyBytes)
{
    rows.reserve(withRoomToGrow(rowCount));
    keyText.reserve(withRoomToGrow(keyBytes));
}

QString RowOrder::lastKey() const
{
    return rows.empty() ? QString() : QString::fromUtf8(keyOf(rows.back()).data(), qsizetype(rows.back().keyLength));
}

void RowOrder::appendScanned(qint64 rowid, FieldBytes key)
{
    Row row{rowid, 0.0, quint32(keyText.size()), 0, {}};
    if (key.data) {
        row.number = LeadingNumber::parse(std::string_view(key.data, size_t(key.length)));
        keyText.append(key.data, size_t(key.length));
        row.keyLength = quint32(key.length);
    }
    rows.push_back(row);
}

RowOrder::Row RowOrder::make(qint64 rowid, const QVariant &sortValue, SearchCorpus::Span search)
{
    Row row{rowid, 0.0, quint32(keyText.size()), 0, search};
    if (sorted_ && !sortValue.isNull()) {
        const QByteArray utf8 = sortValue.toString().toUtf8();
        row.number = LeadingNumber::parse(std::string_view(utf8.constData(), size_t(utf8.size())));
        keyText.append(utf8.constData(), size_t(utf8.size()));
        row.keyLength = quint32(utf8.size());
    }
    return row;
}

void RowOrder::sortAll()
{
    // A server sends its rows in order already.
    if (sorted_)
        rows.flat([this](std::vector<Row> &flat) {
            SortRows::inOrder(
                flat, [this](const Row &a, const Row &b) { return less(a, b); },
                [](const Row &row) { return row.keyLength; });
        });
}

bool RowOrder::less(const Row &a, const Row &b) const
{
    if (a.number != b.number)
        return a.number < b.number;
    const std::string_view ka = keyOf(a), kb = keyOf(b);
    if (ka != kb)
        return ka < kb;
    return a.rowid < b.rowid;
}

bool RowOrder::holdsKey(const QString &key) const
{
    const QByteArray utf8 = key.toUtf8();
    const std::string_view wanted(utf8.constData(), size_t(utf8.size()));
    const auto holds = [&](const Row &row) { return keyOf(row) == wanted; };
    if (!sorted_)
        return std::ranges::any_of(rows, holds);
    // The first row of the key's number and text, whatever its row id.
    const double number = LeadingNumber::parse(wanted);
    const auto at = std::partition_point(rows.begin(), rows.end(), [&](const Row &row) {
        return row.number != number ? row.number < number : keyOf(row) < wanted;
    });
    return at != rows.end() && at->number == number && holds(*at);
}

size_t RowOrder::sortedIndexOf(const Row &row) const
{
    if (!sorted_)
        return rows.size();
    const auto at =
        std::upper_bound(rows.begin(), rows.end(), row, [this](const Row &a, const Row &b) { return less(a, b); });
    return size_t(at - rows.begin());
}

size_t RowOrder::insert(const Row &row)
{
    const size_t index = sortedIndexOf(row);
    rows.insert(index, row);
    return index;
}

std::optional<qint64> RowOrder::indexOf(qint64 rowid) const
{
    const size_t at = rows.findIf([rowid](const Row &row) { return row.rowid == rowid; });
    if (at == rows.size())
        return std::nullopt;
    return qint64(at);
}

void RowOrder::replace(const std::unordered_set<qint64> &ids, std::vector<Row> placed)
{
    // One by one costs a search and a move of the rows behind each; one pass
    // costs a hash look-up per row: the pass pays from a few dozen changes on.
    constexpr size_t OneByOne = 32;
    if (ids.size() <= OneByOne) {
        for (const qint64 id : ids) {
            if (const auto index = indexOf(id))
                erase(*index);
        }
        for (const Row &row : placed)
            insert(row);
        return;
    }
    const auto lessThan = [this](const Row &a, const Row &b) { return less(a, b); };
    std::sort(placed.begin(), placed.end(), lessThan);
    rows.flat([&](std::vector<Row> &flat) {
        std::erase_if(flat, [&ids](const Row &row) { return ids.contains(row.rowid); });
        const size_t middle = flat.size();
        flat.insert(flat.end(), placed.begin(), placed.end());
        if (sorted_)
            std::inplace_merge(flat.begin(), flat.begin() + qsizetype(middle), flat.end(), lessThan);
    });
}

bool RowOrder::holdsKeptRows()
{
    for (Row &row : rows) {
        if (size_t(row.keyOffset) + row.keyLength > keyText.size())
            return false;
        row.search = {}; // the text of this session is yet to be read
    }
    return std::adjacent_find(rows.begin(), rows.end(), [this](const Row &a, const Row &b) { return !less(a, b); })
        == rows.end();
}
