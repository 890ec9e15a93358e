// The record window's own frame: its outline, the caption buttons and drag
// strip that stand in for a title bar, and the panel that folds the window.
#include "forms/record/Form1.h"

#include "catalogue/Recordset.h"
#include "desktop/AppPaths.h"
#include "desktop/WindowSystem.h"
#include "forms/record/Form1Layout.h"
#include "forms/record/Form1ShellLayout.h"
#include "forms/tray/FrmMenu.h"
#include "modules/LaunchApp.h"
#include "program/ProgramFacts.h"
#include "shell/FrmFakeMin.h"
#include "shell/SkinStretch.h"
#include "shell/clsTransForm.h"
#include "widgets/DwgThumbnail.h"
#include "widgets/FileListBox.h"
#include "widgets/ImageControl.h"

#include <QCoreApplication>
#include <QCursor>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace {
constexpr int LeftButton = 1, RightButton = 2;

// The program's command menu, at the mouse pointer.
void popUpCommandMenu()
{
    Forms::Get<FrmMenu>()->PopMenu->popup(QCursor::pos());
}
}

void Form1::buildShell()
{
    using namespace Form1ShellLayout;
    // The skin is the window's background; its magenta outside is cut away at load.
    skin_ = Artwork::picture(Artwork::Skin);
    if (testAttribute(Qt::WA_TranslucentBackground))
        skin_ = Artwork::withoutKey(skin_, Artwork::SkinKey);
    shownSkin_ = skin_;

    for (const ImageRow &row : Images) {
        auto *image = new ImageControl(this);
        image->setObjectName(QString::fromLatin1(row.name));
        image->setGeometry(twipsRect(row.left, row.top, row.width, row.height));
        if (row.picture)
            image->setPicture(Artwork::picture(row.picture));
        if (row.toolTip)
            image->setToolTip(QString::fromLatin1(row.toolTip));
        switch (row.role) {
        case ImageRole::DragStrip:
            image->lower(); // a press on any control lying on the strip never drags
            image->setAccessibleName(QStringLiteral("Title bar"));
            break;
        case ImageRole::CaptionButton:
            image->setCursor(Artwork::handCursor());
            image->raise();
            break;
        case ImageRole::Hidden:
            image->hide();
            break;
        }
        row.keep(*this, image);
    }

    createControls(*this, PanelButtons, uiFont("DejaVu Sans", PanelButtonPointSize));
    // Their captions are arrows; a screen reader says what they do.
    Command1->setAccessibleName(QStringLiteral("Fold panel"));
    Command2->setAccessibleName(QStringLiteral("Unfold panel"));
    Command2->hide();
    widthTwips_ = Form1Layout::Width;

    tmrCollapse = new QTimer(this);
    tmrCollapse->setObjectName(QStringLiteral("tmrCollapse"));
    tmrCollapse->setInterval(Panel::TimerInterval);

    connect(Image2, &ImageControl::mousePressed, this, &Form1::Image2_MouseDown);
    const std::pair<ImageControl *, void (Form1::*)()> clicks[] = {{ImgQ, &Form1::ImgQ_Click},
                                                                   {ImgMax, &Form1::ImgMax_Click},
                                                                   {ImgMIn, &Form1::ImgMIn_Click},
                                                                   {ImgExit, &Form1::ImgExit_Click}};
    for (const auto &[image, handler] : clicks)
        connect(image, &ImageControl::clicked, this, handler);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
}

void Form1::shapeFromRegionFile()
{
    TransForm_ = std::make_unique<clsTransForm>();
    const QString regionFile = AppPaths::companion(QString::fromLatin1(ProgramFacts::RegionFileName));
    try {
        TransForm_->ShapeMe(this, Artwork::SkinKey, true, regionFile);
    } catch (const TransFormError &error) {
        // A missing or unreadable region file costs the outline, not the program.
        qWarning("%s: %s (error %d); the record window stays rectangular", qPrintable(regionFile),
                 qPrintable(error.Description), int(error.Number));
    }
}

void Form1::Image2_MouseDown(int Button, QPoint)
{
    if (Button == LeftButton && TransForm_)
        TransForm_->DragForm(this, Button);
    if (Button == RightButton)
        popUpCommandMenu();
}

void Form1::ImgQ_Click()
{
    ImgQ->setPicture(ImgQBw->picture());
    // A missing help page or viewer goes unnoticed.
    LaunchApp::open(AppPaths::companion(QString::fromLatin1(ProgramFacts::HelpFileName)));
}

void Form1::ImgMax_Click()
{
    ImgMax->setPicture(ImgPlusBw->picture());
    popUpCommandMenu();
}

void Form1::ImgMIn_Click()
{
    ImgMIn->setPicture(ImgMinBw->picture());
    minimizeToTaskbar();
}

void Form1::minimizeToTaskbar()
{
    // A Wayland desktop never tells a window that it was restored, so the
    // placeholder could never give way there: the record window goes itself.
    if (WindowSystem::isWayland()) {
        showMinimized();
        return;
    }
    FrmFakeMin *placeholder = Forms::Get<FrmFakeMin>();
    placeholder->move(pos());
    // Minimized before it is mapped, so it goes straight to the task bar
    // without showing itself in the normal state first.
    placeholder->showMinimized();
    hide();
}

void Form1::ImgExit_Click()
{
    Unload();
}

void Form1::Command1_Click()
{
    TogglePanel();
}

void Form1::Command2_Click()
{
    const QPointer<Form1> self(this);
    TogglePanel();
    if (self)
        TxtNumber->setFocus();
}

void Form1::rememberDesignGeometry()
{
    const auto designOf = [](std::initializer_list<QWidget *> controls) {
        std::vector<std::pair<QWidget *, QRect>> placed;
        for (QWidget *control : controls)
            placed.emplace_back(control, control->geometry());
        return placed;
    };
    // The caption buttons, the padlock and the fold buttons keep to the right
    // edge; the drag strip and the drawing panel take the width in between.
    rightAnchored_ = designOf({ImgLocked, ImgUnlocked, ImgQ, ImgMax, ImgMIn, ImgExit, Command1, Command2});
    stretched_ = designOf({Image2, File1, DwgThumbnail1});
}

void Form1::paintEvent(QPaintEvent *)
{
    QPainter(this).drawPixmap(0, 0, shownSkin_);
    // Only now, with the record on screen, is the catalogue's text read.
    QMetaObject::invokeMethod(&rs(), &Recordset::startPendingSearchBuild, Qt::QueuedConnection);
}

// A step of 10 twips is two thirds of a pixel, so the real edge moves on two
// steps of three; the panel reads the width in twips, so every step counts
// and both of its loops end.
void Form1::setWidthInTwips(int twips)
{
    widthTwips_ = twips;
    setFixedWidth(twipsToPixels(twips));
    followWidth();
}

void Form1::followWidth()
{
    const int grow = width() - Artwork::SkinSize.width();
    for (const auto &[control, design] : rightAnchored_)
        control->move(design.x() + grow, design.y());
    for (const auto &[control, design] : stretched_)
        control->resize(design.width() + grow, design.height());
    // The record buttons share the list's width, a few pixels apart.
    constexpr int Gap = 3;
    QPushButton *const moves[] = {Command4, Command5, Command6, Command7};
    const int buttonWidth = (File1->width() - Gap * int(std::size(moves) - 1)) / int(std::size(moves));
    for (size_t i = 0; i < std::size(moves); ++i)
        moves[i]->setGeometry(File1->x() + int(i) * (buttonWidth + Gap), moves[i]->y(), buttonWidth,
                              moves[i]->height());
    shownSkin_ = SkinStretch::skinFor(skin_, width());
    if (TransForm_ && !TransForm_->RegionHandle.isEmpty())
        setMask(SkinStretch::outlineFor(TransForm_->RegionHandle, Artwork::SkinSize.width(), width()));
    update();
}

void Form1::TogglePanel()
{
    using namespace Form1ShellLayout::Panel;
    TxtNumber->setFocus();

    // Slides the width until it is past its end; the visible fold button
    // travels with the right edge. Each step first lets pending events run;
    // when they close or hide the window the slide stops, and when they
    // delete it nothing is touched.
    const QPointer<Form1> self(this);
    const auto slide = [&](auto finished, int step) {
        while (!finished(widthTwips_)) {
            QCoreApplication::processEvents();
            if (!self)
                return false;
            if (isUnloading() || !isVisible())
                break;
            setWidthInTwips(widthTwips_ + step);
        }
        return true;
    };

    const bool collapse = widthTwips_ > CollapseAbove;
    if (collapse ? !slide([](int width) { return width < CollapseAbove; }, -CollapseStep)
                 : !slide([](int width) { return width > ExpandedAbove; }, ExpandStep))
        return;
    Command1->setVisible(!collapse);
    Command2->setVisible(collapse);
    tmrCollapse->stop();
}
