#pragma once

#include <QSize>
#include <QString>

class QDialog;
class QPushButton;
class QTableWidget;

// The history's windows share one shape: a table of rows to choose from,
// read-only, one row at a time; below it the window's one command and Close.
namespace GridDialog {
// A table named name in the dialog, with these column headers.
QTableWidget *makeGrid(QDialog *dialog, const char *name, const QString &accessibleName, const QStringList &headers);
// Lays the table out above the command (named, captioned) and Close; returns the command's button.
QPushButton *layOut(QDialog *dialog, QTableWidget *grid, const char *name, const QString &caption, QSize size);
}
