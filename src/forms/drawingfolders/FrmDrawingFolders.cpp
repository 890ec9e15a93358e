#include "forms/drawingfolders/FrmDrawingFolders.h"

#include "catalogue/CatalogueFields.h"
#include "catalogue/DataEnvironment1.h"
#include "catalogue/FieldValues.h"
#include "desktop/FileDialog.h"
#include "desktop/MsgBox.h"
#include "drawingpaths/DrawingFolderTable.h"
#include "files/BlockingPool.h"
#include "forms/record/Form1.h"
#include "program/Background.h"
#include "widgets/Forms.h"
#include "widgets/ScreenPlace.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <mutex>

namespace {
enum Column { PrefixColumn, FolderColumn, CountColumn };
constexpr int RecountAfterMs = 300;
const QString CountingText = QStringLiteral("counting…");

struct Button
{
    const char *name;
    const char *caption;
    void (FrmDrawingFolders::*handler)();
};
constexpr Button RowButtons[] = {
    {"CmdAdd", "Add", &FrmDrawingFolders::CmdAdd_Click},
    {"CmdRemove", "Remove", &FrmDrawingFolders::CmdRemove_Click},
    {"CmdUp", "Up", &FrmDrawingFolders::CmdUp_Click},
    {"CmdDown", "Down", &FrmDrawingFolders::CmdDown_Click},
    {"CmdBrowse", "Browse…", &FrmDrawingFolders::CmdBrowse_Click},
};

QString cell(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text().trimmed() : QString();
}

QTableWidgetItem *countItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}
}

// The catalogue's drawing paths, read once, and the generation of the
// latest count: a count for an older table is dropped.
struct FrmDrawingFolders::Counting
{
    QString catalogue;
    std::once_flag read;
    QStringList paths;
    std::atomic<quint64> generation{0};
    std::atomic<bool> stop{false};
};

FrmDrawingFolders::FrmDrawingFolders(const QString &catalogue, QWidget *parent)
    : QDialog(parent), counting_(std::make_shared<Counting>())
{
    counting_->catalogue = catalogue;
    setObjectName(QStringLiteral("FrmDrawingFolders"));
    setWindowTitle(QStringLiteral("Drawing Folders"));
    GridFolders = new QTableWidget(0, 3, this);
    GridFolders->setObjectName(QStringLiteral("GridFolders"));
    GridFolders->setAccessibleName(QStringLiteral("Drawing folders"));
    GridFolders->setHorizontalHeaderLabels(
        {QStringLiteral("Windows prefix"), QStringLiteral("Local folder"), QStringLiteral("Paths found")});
    GridFolders->horizontalHeader()->setSectionResizeMode(FolderColumn, QHeaderView::Stretch);
    GridFolders->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridFolders->setSelectionMode(QAbstractItemView::SingleSelection);
    GridFolders->setToolTip(QStringLiteral("Each row maps a drive (P:\\) or a share (\\\\server\\drawings) of the "
                                           "Windows drawing paths to a folder here; the first row that fits is used."));

    auto *buttons = new QVBoxLayout;
    for (const Button &row : RowButtons) {
        auto *button = new QPushButton(QString::fromUtf8(row.caption), this);
        button->setObjectName(QString::fromLatin1(row.name));
        connect(button, &QPushButton::clicked, this, row.handler);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("CmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &FrmDrawingFolders::CmdOK_Click);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CmdCancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(GridFolders, 1);
    layout->addLayout(buttons);
    resize(ScreenPlace::fittedToScreen(this, QSize(720, 300)));

    recount_ = new QTimer(this);
    recount_->setSingleShot(true);
    recount_->setInterval(RecountAfterMs);
    connect(recount_, &QTimer::timeout, this, &FrmDrawingFolders::startCounting);
    connect(GridFolders, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (item->column() != CountColumn)
            recount_->start();
    });
    setRows(DrawingFolderTable::load());
}

FrmDrawingFolders::~FrmDrawingFolders()
{
    counting_->stop = true;
}

bool FrmDrawingFolders::edit(QWidget *parent)
{
    FrmDrawingFolders dialog(DataEnvironment1::instance().Connection1.ConnectionString, parent);
    return dialog.exec() == QDialog::Accepted;
}

QList<DrawingFolder> FrmDrawingFolders::rows() const
{
    QList<DrawingFolder> table;
    for (int row = 0; row < GridFolders->rowCount(); ++row) {
        const DrawingFolder folder{cell(GridFolders, row, PrefixColumn), cell(GridFolders, row, FolderColumn)};
        if (!folder.windowsPrefix.isEmpty() || !folder.localFolder.isEmpty())
            table.append(folder);
    }
    return table;
}

void FrmDrawingFolders::setRows(const QList<DrawingFolder> &rows)
{
    const QSignalBlocker quiet(GridFolders);
    GridFolders->setRowCount(0);
    for (const DrawingFolder &folder : rows) {
        const int row = GridFolders->rowCount();
        GridFolders->insertRow(row);
        GridFolders->setItem(row, PrefixColumn, new QTableWidgetItem(folder.windowsPrefix));
        GridFolders->setItem(row, FolderColumn, new QTableWidgetItem(QDir::toNativeSeparators(folder.localFolder)));
        GridFolders->setItem(row, CountColumn, countItem(CountingText));
    }
    startCounting();
}

void FrmDrawingFolders::startCounting()
{
    const quint64 generation = ++counting_->generation;
    for (int row = 0; row < GridFolders->rowCount(); ++row) {
        const QSignalBlocker quiet(GridFolders);
        GridFolders->setItem(row, CountColumn, countItem(CountingText));
    }
    // The catalogue's paths are read once; folders on a share may hang, so
    // all of it runs where it cannot hold the window.
    runInBackground(
        blockingPool(BlockingWork::FolderListing), this,
        [counting = counting_, table = rows(), generation] {
            std::call_once(counting->read, [&counting] {
                counting->paths =
                    distinctFieldValues(counting->catalogue, QLatin1String(DrawingPathField)).value_or(QStringList());
            });
            if (counting->generation != generation)
                return QList<DrawingPaths::RowCount>();
            return DrawingPaths::countByRow(table, counting->paths, counting->stop);
        },
        [this, generation](const QList<DrawingPaths::RowCount> &counts) { showCounts(generation, counts); });
}

void FrmDrawingFolders::showCounts(quint64 generation, const QList<DrawingPaths::RowCount> &counts)
{
    if (generation != counting_->generation)
        return;
    const QSignalBlocker quiet(GridFolders);
    for (int row = 0, filled = 0; row < GridFolders->rowCount() && filled < counts.size(); ++row) {
        if (cell(GridFolders, row, PrefixColumn).isEmpty() && cell(GridFolders, row, FolderColumn).isEmpty())
            continue; // an empty row is no row of the table
        const DrawingPaths::RowCount &count = counts[filled++];
        GridFolders->setItem(row, CountColumn,
                             countItem(QStringLiteral("%1 of %2").arg(count.found).arg(count.mapped)));
    }
    emit counted();
}

void FrmDrawingFolders::CmdAdd_Click()
{
    const int row = GridFolders->rowCount();
    {
        const QSignalBlocker quiet(GridFolders);
        GridFolders->insertRow(row);
        GridFolders->setItem(row, PrefixColumn, new QTableWidgetItem);
        GridFolders->setItem(row, FolderColumn, new QTableWidgetItem);
        GridFolders->setItem(row, CountColumn, countItem(QString()));
    }
    GridFolders->setCurrentCell(row, PrefixColumn);
    GridFolders->editItem(GridFolders->item(row, PrefixColumn));
}

void FrmDrawingFolders::CmdRemove_Click()
{
    if (GridFolders->currentRow() < 0)
        return;
    GridFolders->removeRow(GridFolders->currentRow());
    recount_->start();
}

void FrmDrawingFolders::moveRow(int by)
{
    const int from = GridFolders->currentRow(), to = from + by;
    if (from < 0 || to < 0 || to >= GridFolders->rowCount())
        return;
    QList<DrawingFolder> table;
    for (int row = 0; row < GridFolders->rowCount(); ++row)
        table.append({cell(GridFolders, row, PrefixColumn), cell(GridFolders, row, FolderColumn)});
    table.swapItemsAt(from, to);
    setRows(table);
    GridFolders->setCurrentCell(to, PrefixColumn);
}

void FrmDrawingFolders::CmdUp_Click()
{
    moveRow(-1);
}

void FrmDrawingFolders::CmdDown_Click()
{
    moveRow(1);
}

void FrmDrawingFolders::CmdBrowse_Click()
{
    const int row = GridFolders->currentRow();
    if (row < 0)
        return;
    FileDialogRequest request{QStringLiteral("Drawing Folders"), QString(), QString(),
                              cell(GridFolders, row, FolderColumn)};
    request.chooseFolder = true;
    if (const std::optional<QString> folder = ShowOpenDialog(request, this))
        GridFolders->setItem(row, FolderColumn, new QTableWidgetItem(QDir::toNativeSeparators(*folder)));
}

QString FrmDrawingFolders::problem(const QList<DrawingFolder> &rows) const
{
    for (qsizetype row = 0; row < rows.size(); ++row) {
        // A prefix needs a drive, or a server and a share.
        if (!isWindowsPath(rows[row].windowsPrefix))
            return QStringLiteral("Row %1: \"%2\" is no Windows prefix; write a drive such as P:\\ or a share such "
                                  "as \\\\server\\drawings.")
                .arg(row + 1)
                .arg(rows[row].windowsPrefix);
        if (!QDir::isAbsolutePath(rows[row].localFolder))
            return QStringLiteral("Row %1: \"%2\" is no folder of this computer; write its full path or choose it "
                                  "with Browse.")
                .arg(row + 1)
                .arg(rows[row].localFolder);
    }
    return QString();
}

void FrmDrawingFolders::CmdOK_Click()
{
    const QList<DrawingFolder> table = rows();
    if (const QString why = problem(table); !why.isEmpty()) {
        MsgBox(why, MsgIcon::Exclamation);
        return;
    }
    DrawingFolderTable::save(table);
    // The record window shows the drawing again through the new table.
    if (Form1 *window = Forms::Loaded<Form1>()) {
        window->UpdateFile1Path();
        window->UpdatePicture();
    }
    accept();
}
