// morvo-jetreader FILE TABLE FIELD... — reads one table of a Jet (Access 97 to
// 2003) database with libmdb and writes the asked-for fields of every row to
// standard output as the frames of import/JetReaderProtocol.h.
//
// It runs as a child process with time and memory limits, because libmdb
// hangs or crashes on some damaged files: a fault here ends this process
// only, and the program that started it reports the file as damaged.
#include "FrameWriter.h"
#include "JetLibrary.h"
#include "JetText.h"
#include "JetValue.h"

#include "import/JetReaderProtocol.h"

#include <string>
#include <vector>

namespace {
using namespace JetReaderProtocol;

constexpr int OffsetMask = 0x1FFF;
constexpr guint64 ProgressEvery = 4096;

int fail(FrameWriter &out, ErrorCode code, const std::string &text)
{
    out.begin(Error);
    out.putU8(code);
    out.putBytes(text);
    out.end();
    out.flush();
    return 1;
}

MdbColumn *columnAt(MdbTableDef *table, unsigned index)
{
    return static_cast<MdbColumn *>(g_ptr_array_index(table->columns, index));
}

// The data pages the table's usage map names; counting stops at the file's
// last page, so a damaged map cannot run on.
guint32 countDataPages(MdbHandle *mdb, MdbTableDef *table, guint32 filePages)
{
    guint32 count = 0;
    for (gint32 page = 0; count < filePages;) {
        page = mdb_map_find_next(mdb, table->usage_map, guint32(table->map_sz), guint32(page));
        if (page <= 0)
            break;
        ++count;
    }
    return count;
}

guint32 pagesInFile(MdbHandle *mdb)
{
    struct stat info = {};
    if (fstat(fileno(mdb->f->stream), &info) != 0)
        return 0;
    return guint32(info.st_size / mdb->fmt->pg_size);
}

// Matches the asked-for fields to the table's columns by name, ignoring case
// as Jet does; -1 for a field the table lacks.
std::vector<int> matchColumns(MdbTableDef *table, char **fields, int count, std::vector<std::string> &others)
{
    std::vector<int> columns(std::size_t(count), -1);
    for (unsigned c = 0; c < table->num_cols; ++c) {
        bool asked = false;
        for (int f = 0; f < count; ++f) {
            if (columns[f] < 0 && g_ascii_strcasecmp(columnAt(table, c)->name, fields[f]) == 0) {
                columns[f] = int(c);
                asked = true;
                break;
            }
        }
        if (!asked)
            others.emplace_back(columnAt(table, c)->name);
    }
    return columns;
}

void writeHeader(FrameWriter &out, MdbHandle *mdb, MdbTableDef *table, guint32 dataPages,
                 const std::vector<int> &columns, const std::vector<std::string> &others)
{
    out.begin(Header);
    out.putU8(std::uint8_t(mdb->f->jet_version));
    out.putU16(mdb->f->code_page);
    out.putU32(table->num_rows);
    out.putU32(dataPages);
    for (int column : columns)
        out.putU16(std::uint16_t(std::int16_t(column)));
    out.putU16(std::uint16_t(others.size()));
    for (const std::string &name : others)
        out.putText16(name);
    out.end();
}

int readRows(FrameWriter &out, MdbHandle *mdb, MdbTableDef *table, const std::vector<int> &columns)
{
    JetText text(mdb->f->jet_version, mdb->f->code_page);
    JetValue value(mdb, text);
    std::vector<MdbField> fields(table->num_cols + 1);
    std::vector<const MdbField *> byColumn(table->num_cols);
    std::string field;
    guint64 rows = 0;
    guint32 pagesRead = 0, lastPage = 0;
    mdb_rewind_table(table);
    // Every row up to the end of the table's pages: the row count in the
    // table definition can be wrong.
    while (mdb_fetch_row(table)) {
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(mdb, int(table->cur_row) - 1, &start, &size) != 0)
            return fail(out, Damaged, "a row cannot be found on its page");
        const int count = mdb_crack_row(table, start & OffsetMask, size, fields.data());
        if (count < 0)
            return fail(out, Damaged, "a row cannot be taken apart");
        std::fill(byColumn.begin(), byColumn.end(), nullptr);
        for (int i = 0; i < count && i < int(fields.size()); ++i) {
            if (fields[i].colnum >= 0 && unsigned(fields[i].colnum) < table->num_cols)
                byColumn[fields[i].colnum] = &fields[i];
        }
        out.begin(Record);
        for (int c : columns) {
            const MdbField *stored = byColumn[c];
            const MdbColumn &column = *columnAt(table, unsigned(c));
            if (!stored || (stored->is_null && column.col_type != MDB_BOOL)) {
                out.putU32(NullLength);
                continue;
            }
            if (!value.read(column, *stored, field))
                return fail(out, Damaged, value.why());
            out.putText32(field);
        }
        out.end();
        if (table->cur_phys_pg != lastPage) {
            lastPage = table->cur_phys_pg;
            ++pagesRead;
        }
        if (++rows % ProgressEvery == 0) {
            out.begin(Progress);
            out.putU32(pagesRead);
            out.end();
        }
    }
    out.begin(Done);
    out.putU64(rows);
    out.end();
    return 0;
}
}

int main(int argc, char **argv)
{
    FrameWriter out;
    if (argc < 4)
        return fail(out, Usage, "usage: morvo-jetreader FILE TABLE FIELD...");
    MdbHandle *mdb = mdb_open(argv[1], MDB_NOFLAGS);
    if (!mdb)
        return fail(out, CannotOpen, "the file cannot be opened as a Jet database");
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        return fail(out, NoTableList, "the list of tables cannot be read");
    MdbTableDef *table = mdb_read_table_by_name(mdb, argv[2], MDB_TABLE);
    if (!table)
        return fail(out, NoTable, std::string("there is no table ") + argv[2]);
    if (!mdb_read_columns(table))
        return fail(out, Damaged, "the columns of the table cannot be read");
    // libmdb follows the page map without looking whether it could read it.
    if (!table->usage_map || table->map_sz < 1)
        return fail(out, Damaged, "the page map of the table cannot be read");

    std::vector<std::string> others;
    const std::vector<int> columns = matchColumns(table, argv + 3, argc - 3, others);
    writeHeader(out, mdb, table, countDataPages(mdb, table, pagesInFile(mdb)), columns, others);
    for (int column : columns) {
        if (column < 0) { // the caller reports the missing field by its name
            out.begin(Done);
            out.putU64(0);
            out.end();
            return 0;
        }
    }
    const int status = readRows(out, mdb, table, columns);
    out.flush();
    // The process ends here: what libmdb holds goes with it.
    return status;
}
