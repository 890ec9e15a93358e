#pragma once

#include "program/Seam.h"

#include <QListView>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>

class FolderLister;
class QDrag;
class QLabel;
class QStringListModel;
struct FolderListing;

// The file names of one folder that match a pattern, with single selection.
// A click (press) selects and reports Click; a double-click reports DblClick;
// moving with the left button alone held drags the file that the drag source
// names, offered for copying only. The folder is listed off the GUI thread;
// until the listing arrives the list keeps showing the previous folder.
class FileListBox : public QListView
{
    Q_OBJECT
public:
    // resolve turns the folder of setPath into the one to list, off the window's thread.
    FileListBox(const QString &pattern, QWidget *parent = nullptr,
                std::function<QString(const QString &)> resolve = {});

    QString Pattern() const { return pattern_; }
    // The folder whose files are shown (as resolved); empty before anything was listed.
    QString Path() const { return path_; }
    // The selected file name; empty when nothing is selected.
    QString FileName() const;
    QStringList names() const;

    // Lists folder, or fallback when folder cannot be listed; clears the selection.
    void setPath(const QString &folder, const QString &fallback);
    bool listingPending() const;

    // The file a drag offers, asked for when the drag starts.
    void setDragSource(std::function<QString()> draggedFile);

signals:
    void Click();
    void DblClick();
    // The latest requested listing is now shown.
    void listingShown();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showListing(const FolderListing &listing);
    // Says in the list's place that the record's folder does not exist.
    void showNotice(const QString &missingFolder);
    void placeNotice();
    void startFileDrag();

    QString pattern_;
    QString path_;
    QString requested_; // the folder asked for by the latest setPath
    QLabel *notice_;
    QStringListModel *model_;
    FolderLister *lister_;
    std::function<QString()> draggedFile_;
    bool leftPressed_ = false;
    QPoint pressPosition_;
};

// Tests see the drag and the actions it offers instead of running it (a drag
// needs a real desktop).
using FileDragSeam = Seam<struct FileDragTag, void(const QDrag &, Qt::DropActions)>;
