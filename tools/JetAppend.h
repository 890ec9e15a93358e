#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Makes large Jet 4 files for benchmarks and tests: appends rows to a table of
// an existing Jet 4 file with libmdb (mdb_insert_row), adding the data pages
// libmdb cannot allocate itself and recording them in the table's page map.
// Readers (libmdb, Access) see every row; the row count in the table
// definition stays as it was, as with libmdb's own inserts.
namespace JetAppend {
// One row: the columns' texts in the table's order, UTF-8; nothing is NULL.
using Row = std::vector<std::optional<std::string>>;

// Appends count rows, row(i) giving the i-th; false with why on a failure.
bool appendRows(const std::string &file, const std::string &table, long count, const std::function<Row(long)> &row,
                std::string *why);
}
