#include "widgets/FileListBox.h"

#include "files/FolderLister.h"

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QStringListModel>
#include <QUrl>

namespace {
const QString NoticeText = QStringLiteral("Folder not found: ");
}

FileListBox::FileListBox(const QString &pattern, QWidget *parent, std::function<QString(const QString &)> resolve)
    : QListView(parent),
      pattern_(pattern),
      model_(new QStringListModel(this)),
      lister_(new FolderLister(
          [patterns = QStringList{pattern}](const QString &folder) { return listFolder(folder, patterns); }, this,
          std::move(resolve)))
{
    setModel(model_);
    // Equal rows let the view lay out a folder of many thousand drawings at once.
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(lister_, &FolderLister::listed, this, &FileListBox::showListing);
    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("FolderNotice"));
    notice_->setForegroundRole(QPalette::PlaceholderText);
    notice_->setWordWrap(true);
    notice_->hide();
}

QString FileListBox::FileName() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString() : selected.constFirst().data().toString();
}

QStringList FileListBox::names() const
{
    return model_->stringList();
}

void FileListBox::setPath(const QString &folder, const QString &fallback)
{
    selectionModel()->clear();
    requested_ = folder;
    lister_->request({folder, fallback});
}

bool FileListBox::listingPending() const
{
    return lister_->pending();
}

void FileListBox::setDragSource(std::function<QString()> draggedFile)
{
    draggedFile_ = std::move(draggedFile);
}

void FileListBox::showListing(const FolderListing &listing)
{
    // Typing a file name re-lists the same folder on every keystroke: keep the
    // view (and a selection made since the request) when nothing changed.
    if (listing.folder != path_ || listing.names != model_->stringList()) {
        path_ = listing.folder;
        model_->setStringList(listing.names);
    }
    showNotice(listing.firstMissing ? requested_ : QString());
    emit listingShown();
}

void FileListBox::showNotice(const QString &missingFolder)
{
    notice_->setProperty("folder", missingFolder);
    notice_->setToolTip(missingFolder.isEmpty() ? QString() : NoticeText + missingFolder);
    notice_->setVisible(!missingFolder.isEmpty());
    placeNotice();
}

// The folder is shortened in the middle where it would not fit; the drawings
// listed instead (those of the program's folder) stand below the notice.
void FileListBox::placeNotice()
{
    const QString folder = notice_->property("folder").toString();
    int height = 0;
    if (!folder.isEmpty()) {
        const QRect area = contentsRect();
        constexpr int Margin = 3;
        notice_->setContentsMargins(Margin, Margin, Margin, Margin);
        notice_->setText(NoticeText
                         + notice_->fontMetrics().elidedText(folder, Qt::ElideMiddle, area.width() - 2 * Margin));
        height = notice_->heightForWidth(area.width());
        notice_->setGeometry(area.left(), area.top(), area.width(), height);
    }
    setViewportMargins(0, height, 0, 0);
}

void FileListBox::resizeEvent(QResizeEvent *event)
{
    QListView::resizeEvent(event);
    placeNotice();
}

void FileListBox::mousePressEvent(QMouseEvent *event)
{
    // Only the left button selects and previews; the others do nothing here.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    leftPressed_ = true;
    pressPosition_ = event->position().toPoint();
    QListView::mousePressEvent(event);
    if (indexAt(pressPosition_).isValid())
        emit Click();
}

void FileListBox::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() == Qt::NoButton) {
        QListView::mouseMoveEvent(event);
        return;
    }
    // Held buttons never sweep the selection: the left button alone drags, the
    // distance keeps a slightly moving click a click.
    const bool draggedFarEnough =
        (event->position().toPoint() - pressPosition_).manhattanLength() >= QApplication::startDragDistance();
    if (event->buttons() == Qt::LeftButton && leftPressed_ && draggedFarEnough) {
        leftPressed_ = false;
        startFileDrag();
    }
    event->accept();
}

void FileListBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    leftPressed_ = false;
    QListView::mouseReleaseEvent(event);
}

void FileListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The press before it has already selected and reported its Click.
    if (event->button() == Qt::LeftButton)
        emit DblClick();
    event->accept();
}

void FileListBox::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    if (currentIndex().isValid() && currentIndex() != before)
        emit Click();
}

void FileListBox::startFileDrag()
{
    const QString file = draggedFile_ ? draggedFile_() : QString();
    // Only a full path names a file that a drop target could copy.
    if (!QDir::isAbsolutePath(file))
        return;
    auto *data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(file)});
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    // Copy only: a drop must never move the drawing away from its folder.
    constexpr Qt::DropActions offered = Qt::CopyAction;
    if (const auto &handler = FileDragSeam::handler()) {
        handler(*drag, offered);
        drag->deleteLater();
        return;
    }
    drag->exec(offered, Qt::CopyAction);
}
