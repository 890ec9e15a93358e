#pragma once

#include <QString>
#include <QStringList>

// The SQL that makes an empty catalogue: table Projects with its eight TEXT
// fields. The program itself never creates a catalogue; the build's example
// catalogue, the benchmarks and the tests do.
namespace CatalogueSchema {
// The eight fields' names, in the field table's order.
QStringList fieldNames();
QString createProjectsSql();
// "INSERT INTO Projects (<eight fields>) VALUES (?,?,?,?,?,?,?,?)"
QString insertProjectSql();
}
