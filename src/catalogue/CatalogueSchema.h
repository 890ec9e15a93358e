#pragma once

#include <QString>

// The SQL that makes an empty catalogue: table Projects with its eight TEXT
// fields. The program itself never creates a catalogue; the build's example
// catalogue, the benchmarks and the tests do.
namespace CatalogueSchema {
QString createProjectsSql();
// "INSERT INTO Projects (<eight fields>) VALUES (?,?,?,?,?,?,?,?)"
QString insertProjectSql();
}
