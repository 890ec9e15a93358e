// The record window's drawing panel: the drawings of the record's folder, the
// preview of one drawing, opening them, and choosing a drawing file.
#include "forms/record/Form1.h"

#include "desktop/AppPaths.h"
#include "desktop/FileDialog.h"
#include "drawingpaths/DrawingPaths.h"
#include "forms/record/Form1DrawingLayout.h"
#include "forms/record/Form1Layout.h"
#include "forms/search/SearchInProgress.h"
#include "modules/LaunchApp.h"
#include "shell/Artwork.h"
#include "widgets/DwgThumbnail.h"
#include "widgets/FileListBox.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Everything up to and including the last separator (catalogues made on
// Windows hold Windows paths: both count); empty when there is none.
QString folderOfDrawingPath(const QString &path)
{
    const qsizetype last = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.left(last + 1);
}

void place(QWidget *widget, const Form1DrawingLayout::Placement &row)
{
    widget->setObjectName(QString::fromLatin1(row.name));
    widget->setGeometry(twipsRect(row.left, row.top, row.width, row.height));
    widget->setToolTip(QString::fromLatin1(row.toolTip));
}

} // namespace

void Form1::buildDrawingPanel(TabOrder &order)
{
    using namespace Form1DrawingLayout;
    createControls(*this, Buttons, uiFont("MS Sans Serif", 8.25), &order);
    CmdExplore->setIcon(QIcon(QString::fromLatin1(Artwork::Locate)));
    CmdExplore->setIconSize(QSize(LocateIconSize, LocateIconSize));
    CmdExplore->setAccessibleName(QStringLiteral("Browse for drawing"));
    CmdScript->hide();

    // Every use of the record's drawing path goes through the one resolver.
    File1 = new FileListBox(QString::fromLatin1(DrawingPattern), this, DrawingPaths::resolve);
    place(File1, Form1DrawingLayout::File1);
    File1->setAccessibleName(QStringLiteral("Drawings"));
    DwgThumbnail1 = new DwgThumbnail(this);
    DwgThumbnail1->setPathResolver(DrawingPaths::resolve);
    place(DwgThumbnail1, Form1DrawingLayout::DwgThumbnail1);
    File1->setDragSource([this] { return previewedFile(); });

    connect(txtFileLoc, &QLineEdit::textChanged, this, &Form1::txtFileLoc_Change);
    connect(File1, &FileListBox::Click, this, &Form1::File1_Click);
    connect(File1, &FileListBox::DblClick, this, &Form1::File1_DblClick);
    connect(DwgThumbnail1, &DwgThumbnail::DblClick, this, &Form1::DwgThumbnail1_DblClick);
    connect(CmdExplore, &QPushButton::clicked, this, &Form1::CmdExplore_Click);
    connect(CmdScript, &QPushButton::clicked, this, &Form1::CmdScript_Click);
    // The list agrees with the drawing path from the start, even an empty one.
    UpdateFile1Path();
}

void Form1::UpdateFile1Path()
{
    // A path without a folder, or a folder that cannot be listed, shows the program's folder.
    File1->setPath(folderOfDrawingPath(txtFileLoc->text()), AppPaths::programFolder());
}

void Form1::UpdatePicture()
{
    DwgThumbnail1->setDwgFileName(txtFileLoc->text());
    DwgThumbnail1->Refresh();
}

void Form1::txtFileLoc_Change()
{
    // A search refreshes once when it ends, not for every record it passes.
    if (SearchInProgress)
        return;
    UpdateFile1Path();
    UpdatePicture();
}

void Form1::File1_Click()
{
    // The record's drawing path stays as it is; only the preview changes, and
    // it is refreshed at once so that the thumbnail shows what was clicked.
    DwgThumbnail1->setDwgFileName(QDir(File1->Path()).filePath(File1->FileName()));
    DwgThumbnail1->Refresh();
}

void Form1::File1_DblClick()
{
    LaunchApp::open(File1->Path()); // a failed launch is silent
}

QString Form1::previewedFile() const
{
    // As the preview resolved it; a path that is no Windows path needs no waiting.
    const QString resolved = DwgThumbnail1->resolvedFileName();
    return resolved.isEmpty() ? nativeDrawingPath(DwgThumbnail1->DwgFileName()) : resolved;
}

void Form1::DwgThumbnail1_DblClick()
{
    const QString file = previewedFile();
    if (!file.isEmpty()) {
        LaunchApp::open(file); // a failed launch is silent
        return;
    }
    // A Windows path whose preview is still on its way: resolved off the
    // window's thread, as the share may hang.
    DrawingPaths::resolveLater(this, DwgThumbnail1->DwgFileName(),
                               [](const QString &local) { LaunchApp::open(local); });
}

void Form1::CmdExplore_Click()
{
    // Leaving the box later runs its focus-loss rule.
    txtFileLoc->setFocus();
    using namespace Form1DrawingLayout;
    // It opens in the folder the list shows, the record's folder as resolved.
    const std::optional<QString> chosen =
        ShowOpenDialog({QString::fromLatin1(LocateTitle), QString::fromLatin1(LocateFileName),
                        QString::fromLatin1(LocateFilter), File1->Path()},
                       this);
    if (chosen)
        txtFileLoc->setText(*chosen); // re-points the list and the preview
}

// The program has no scripting window: the button stays hidden, and a click
// that reached it would have nothing to show.
void Form1::CmdScript_Click()
{
}
