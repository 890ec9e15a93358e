#include "JetAppend.h"

// mdbtools.h includes glib inside an extern "C" block: glib comes first.
#include <glib.h>

#include <mdbtools.h>

#include <cstdio>
#include <memory>

namespace {
constexpr int OffsetMask = 0x1FFF;
constexpr guint32 MapPageType = 0x05;

class Appender
{
public:
    Appender(MdbHandle *mdb, MdbTableDef *table) : mdb_(mdb), table_(table), pageSize_(mdb->fmt->pg_size) {}

    bool run(long count, const std::function<JetAppend::Row(long)> &row, std::string *why);

private:
    void writePage(guint32 page, const unsigned char *bytes)
    {
        FILE *stream = mdb_->f->stream;
        fseeko(stream, off_t(page) * pageSize_, SEEK_SET);
        fwrite(bytes, 1, size_t(pageSize_), stream);
        fflush(stream);
    }
    bool packRow(const JetAppend::Row &values, std::string *why);
    void addPageWithRow();
    void markFree(guint32 page, bool free);
    bool writeUsageMap(std::string *why);

    MdbHandle *mdb_;
    MdbTableDef *table_;
    int pageSize_;
    std::vector<guint32> pages_; // the table's data pages, old and new
    guint32 firstNew_ = 0, nextPage_ = 0;
    std::vector<unsigned char> freeMap_; // pages with room, from firstNew_
    std::vector<MdbField> fields_;
    std::vector<std::vector<char>> text_;
};

bool Appender::packRow(const JetAppend::Row &values, std::string *why)
{
    if (values.size() != table_->num_cols) {
        *why = "a row needs one value per column";
        return false;
    }
    fields_.assign(table_->num_cols, MdbField{});
    if (text_.size() != table_->num_cols)
        text_.assign(table_->num_cols, std::vector<char>(4096));
    for (unsigned i = 0; i < table_->num_cols; ++i) {
        const auto *column = static_cast<MdbColumn *>(g_ptr_array_index(table_->columns, i));
        MdbField &field = fields_[i];
        field.colnum = int(i);
        field.is_fixed = column->is_fixed;
        field.is_null = !values[i];
        if (values[i])
            field.siz =
                mdb_ascii2unicode(mdb_, values[i]->c_str(), values[i]->size(), text_[i].data(), text_[i].size());
        field.value = text_[i].data();
    }
    return true;
}

void Appender::markFree(guint32 page, bool free)
{
    const guint32 bit = page - firstNew_;
    if (free)
        freeMap_[5 + bit / 8] |= 1 << (bit % 8);
    else
        freeMap_[5 + bit / 8] &= ~(1 << (bit % 8));
}

// libmdb finds no room in an empty page (it reads the free space of a page
// without rows wrongly): a new page starts with its first row.
void Appender::addPageWithRow()
{
    std::unique_ptr<void, decltype(&g_free)> page(mdb_new_data_pg(table_->entry), g_free);
    memcpy(mdb_->pg_buf, page.get(), size_t(pageSize_));
    unsigned char row[4096];
    const int size = mdb_pack_row(table_, row, table_->num_cols, fields_.data());
    mdb_add_row_to_pg(table_, row, size);
    writePage(nextPage_, mdb_->pg_buf);
    pages_.push_back(nextPage_);
    markFree(nextPage_, true);
    ++nextPage_;
}

bool Appender::run(long count, const std::function<JetAppend::Row(long)> &row, std::string *why)
{
    for (gint32 page = 0; (page = mdb_map_find_next(mdb_, table_->usage_map, guint32(table_->map_sz), page)) > 0;)
        pages_.push_back(guint32(page));
    fseeko(mdb_->f->stream, 0, SEEK_END);
    firstNew_ = nextPage_ = guint32(ftello(mdb_->f->stream) / pageSize_);
    // A page map of libmdb's first kind over the new pages only, in memory:
    // the rows go to new pages, and a full page leaves the map at once.
    freeMap_.assign(5 + 1024 * 1024 / 8, 0);
    mdb_put_int32(freeMap_.data(), 1, firstNew_);
    unsigned char *oldMap = table_->free_usage_map;
    const size_t oldSize = table_->freemap_sz;
    table_->free_usage_map = freeMap_.data();
    table_->freemap_sz = freeMap_.size();
    bool ok = true;
    for (long i = 0; i < count && ok; ++i) {
        ok = packRow(row(i), why);
        if (!ok)
            break;
        if (mdb_map_find_next(mdb_, table_->free_usage_map, guint32(table_->freemap_sz), 0) <= 0) {
            addPageWithRow();
            continue;
        }
        if (!mdb_insert_row(table_, int(table_->num_cols), fields_.data())) {
            *why = "libmdb could not insert a row";
            ok = false;
        } else if (mdb_pg_get_freespace(mdb_) < 1024) {
            markFree(guint32(mdb_->cur_pg), false);
        }
    }
    table_->free_usage_map = oldMap;
    table_->freemap_sz = oldSize;
    return ok && writeUsageMap(why);
}

// The table's page map becomes one of the second kind: its row names map
// pages, each a bitmap of (page size - 4) * 8 pages.
bool Appender::writeUsageMap(std::string *why)
{
    const guint32 perMapPage = guint32(pageSize_ - 4) * 8;
    std::vector<guint32> mapPages;
    std::vector<std::vector<unsigned char>> maps;
    for (guint32 page : pages_) {
        const guint32 index = page / perMapPage;
        if (maps.size() <= index)
            maps.resize(index + 1);
        if (maps[index].empty()) {
            maps[index].assign(size_t(pageSize_), 0);
            maps[index][0] = MapPageType;
            maps[index][1] = 1;
        }
        const guint32 bit = page % perMapPage;
        maps[index][4 + bit / 8] |= 1 << (bit % 8);
    }
    for (auto &map : maps) {
        mapPages.push_back(map.empty() ? 0 : nextPage_);
        if (!map.empty())
            writePage(nextPage_++, map.data());
    }
    mdb_read_pg(mdb_, table_->entry->table_pg);
    const guint32 pageRow = guint32(mdb_get_int32(mdb_->pg_buf, mdb_->fmt->tab_usage_map_offset));
    mdb_read_pg(mdb_, pageRow >> 8);
    int start = 0;
    size_t length = 0;
    if (mdb_find_row(mdb_, int(pageRow & 0xFF), &start, &length) != 0 || (length - 1) / 4 < mapPages.size()) {
        *why = "the table's page map has no room for the new pages";
        return false;
    }
    start &= OffsetMask;
    memset(mdb_->pg_buf + start, 0, length);
    mdb_->pg_buf[start] = 1;
    for (size_t i = 0; i < mapPages.size(); ++i)
        mdb_put_int32(mdb_->pg_buf, guint32(start + 1 + 4 * i), mapPages[i]);
    writePage(pageRow >> 8, mdb_->pg_buf);
    return true;
}
}

namespace JetAppend {

bool appendRows(const std::string &file, const std::string &table, long count, const std::function<Row(long)> &row,
                std::string *why)
{
    MdbHandle *mdb = mdb_open(file.c_str(), MDB_WRITABLE);
    if (!mdb) {
        *why = "cannot open " + file;
        return false;
    }
    MdbTableDef *def = mdb_read_catalog(mdb, MDB_TABLE)
        ? mdb_read_table_by_name(mdb, const_cast<gchar *>(table.c_str()), MDB_TABLE)
        : nullptr;
    bool ok = def && mdb_read_columns(def);
    if (ok)
        mdb_read_indices(def); // inserts keep the table's indexes up to date
    if (!ok)
        *why = "no table " + table;
    else if (!IS_JET4(mdb))
        ok = (*why = "only Jet 4 files", false);
    else
        ok = Appender(mdb, def).run(count, row, why);
    mdb_close(mdb);
    return ok;
}
}
