#pragma once

#include "drawingpaths/DrawingPaths.h"

#include <QDialog>
#include <memory>
#include <optional>

class QTableWidget;
class QTimer;

// "Drawing Folders": the table that maps the Windows prefixes of a
// catalogue's drawing paths (P:\, \\server\drawings) to local folders, in the
// order the rows are tried. Each row shows how many of the catalogue's paths
// it maps and how many of those it finds; the counting runs off the window's
// thread and starts again after every change.
class FrmDrawingFolders : public QDialog
{
    Q_OBJECT
public:
    // catalogue: the file whose drawing paths are counted.
    explicit FrmDrawingFolders(const QString &catalogue, QWidget *parent = nullptr);
    ~FrmDrawingFolders() override;

    // Shows the dialog for the catalogue in use, modal; true when it was saved.
    static bool edit(QWidget *parent = nullptr);

    QList<DrawingFolder> rows() const;
    void setRows(const QList<DrawingFolder> &rows);

    void CmdAdd_Click();
    void CmdRemove_Click();
    void CmdUp_Click();
    void CmdDown_Click();
    void CmdBrowse_Click();
    void CmdOK_Click();

signals:
    // The counts of the latest table are shown.
    void counted();

private:
    struct Counting;
    void startCounting();
    void showCounts(quint64 generation, const QList<DrawingPaths::RowCount> &counts);
    void moveRow(int by);
    // Why the table cannot be saved; empty when it can.
    QString problem(const QList<DrawingFolder> &rows) const;

    QTableWidget *GridFolders = nullptr;
    QTimer *recount_ = nullptr;
    std::shared_ptr<Counting> counting_;
};
