#include "JetValue.h"

#include <algorithm>
#include <ctime>

namespace {
// A memo's header in the row: its length with two flag bits, the page and
// row of its data, and four unused bytes; short memos follow it in the row.
constexpr std::size_t MemoHeader = MDB_MEMO_OVERHEAD;
constexpr guint32 MemoInline = 0x80000000u;
constexpr guint32 MemoOnePage = 0x40000000u;
constexpr guint32 MemoLengthMask = 0x3FFFFFFFu;
// Memo fields hold at most a gigabyte; a catalogue's hold a few kilobytes.
constexpr guint32 MemoLimit = 64u << 20;
constexpr int OffsetMask = 0x1FFF;

std::string dateText(double value)
{
    struct tm t = {};
    mdb_date_to_tm(value, &t);
    char text[32];
    const bool wholeDay = t.tm_hour == 0 && t.tm_min == 0 && t.tm_sec == 0;
    strftime(text, sizeof text, wholeDay ? "%Y-%m-%d" : "%Y-%m-%d %H:%M:%S", &t);
    return text;
}
}

bool JetValue::fail(const char *why)
{
    why_ = why;
    return false;
}

bool JetValue::read(const MdbColumn &column, const MdbField &field, std::string &out)
{
    out.clear();
    if (field.start < 0 || field.siz < 0 || field.start + field.siz > mdb_->fmt->pg_size)
        return fail("a field lies outside its page");
    const unsigned char *bytes = mdb_->pg_buf + field.start;
    const std::size_t size = std::size_t(field.siz);
    if (column.col_type == MDB_TEXT) {
        text_.appendUtf8(bytes, size, out);
    } else if (column.col_type == MDB_MEMO) {
        std::string stored;
        if (!readMemo(bytes, size, stored))
            return false;
        text_.appendUtf8(reinterpret_cast<const unsigned char *>(stored.data()), stored.size(), out);
    } else {
        readOther(column, field, out);
    }
    return true;
}

bool JetValue::readMemo(const unsigned char *header, std::size_t size, std::string &bytes)
{
    if (size < MemoHeader)
        return size == 0 || fail("a memo field is shorter than its header");
    const guint32 lengthAndFlags = guint32(mdb_get_int32(const_cast<unsigned char *>(header), 0));
    const guint32 length = lengthAndFlags & MemoLengthMask;
    guint32 pageRow = guint32(mdb_get_int32(const_cast<unsigned char *>(header), 4));
    if (lengthAndFlags & MemoInline) {
        bytes.assign(reinterpret_cast<const char *>(header) + MemoHeader, size - MemoHeader);
        return true;
    }
    if (length > MemoLimit)
        return fail("a memo field claims an impossible length");
    if (lengthAndFlags & MemoOnePage) {
        if (!appendRow(pageRow, 0, bytes, nullptr))
            return false;
        bytes.resize(std::min<std::size_t>(bytes.size(), length)); // the row may be longer than the memo
        return true;
    }
    // Longer memos run over a chain of rows, each naming the next first.
    const std::size_t maxLinks = length / 4 + 2;
    for (std::size_t link = 0; pageRow && bytes.size() < length; ++link) {
        if (link == maxLinks || !appendRow(pageRow, 4, bytes, &pageRow))
            return fail("the chain of a memo field is broken");
    }
    if (bytes.size() > length)
        bytes.resize(length);
    return true;
}

bool JetValue::appendRow(guint32 pageRow, std::size_t skip, std::string &bytes, guint32 *next)
{
    void *page = nullptr;
    int start = 0;
    size_t length = 0;
    if (mdb_find_pg_row(mdb_, int(pageRow), &page, &start, &length) != 0 || length < skip)
        return fail("a memo field points to a missing row");
    start &= OffsetMask;
    if (std::size_t(start) + length > std::size_t(mdb_->fmt->pg_size))
        return fail("a memo row lies outside its page");
    const char *row = static_cast<const char *>(page) + start;
    if (next)
        *next = guint32(mdb_get_int32(const_cast<char *>(row), 0));
    bytes.append(row + skip, length - skip);
    return true;
}

void JetValue::readOther(const MdbColumn &column, const MdbField &field, std::string &out) const
{
    if (column.col_type == MDB_BOOL) {
        out.assign(1, field.is_null ? '0' : '1'); // a yes/no column keeps its value in the null bit
    } else if (column.col_type == MDB_DATETIME) {
        out = dateText(mdb_get_double(mdb_->pg_buf, field.start));
    } else if (char *text = mdb_col_to_string(mdb_, mdb_->pg_buf, field.start, column.col_type, field.siz)) {
        out.append(text);
        g_free(text);
    }
}
