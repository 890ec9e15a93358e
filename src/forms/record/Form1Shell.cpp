// The record window's own frame: its outline, the caption buttons and drag
// strip that stand in for a title bar, and the panel that folds the window.
#include "forms/record/Form1.h"

#include "desktop/AppPaths.h"
#include "forms/record/Form1Layout.h"
#include "forms/record/Form1ShellLayout.h"
#include "forms/tray/FrmMenu.h"
#include "modules/LaunchApp.h"
#include "program/ProgramFacts.h"
#include "shell/FrmFakeMin.h"
#include "shell/clsTransForm.h"
#include "widgets/ImageControl.h"

#include <QCoreApplication>
#include <QCursor>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace {
constexpr int LeftButton = 1, RightButton = 2;

// Widths and positions are kept in twips, the unit of the panel's steps; a
// control stands at the nearest pixel (15 twips each) of its position.
void placeLeft(QWidget *control, int leftTwips)
{
    control->move(twipsToPixels(leftTwips), control->y());
}

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
    QPalette skin = palette();
    skin.setBrush(QPalette::Window, QPixmap(QString::fromLatin1(Artwork::Skin)));
    setPalette(skin);

    for (const ImageRow &row : Images) {
        auto *image = new ImageControl(this);
        image->setObjectName(QString::fromLatin1(row.name));
        image->setGeometry(twipsRect(row.left, row.top, row.width, row.height));
        if (row.picture)
            image->setPicture(QPixmap(QString::fromLatin1(row.picture)));
        if (row.toolTip)
            image->setToolTip(QString::fromLatin1(row.toolTip));
        switch (row.role) {
        case ImageRole::DragStrip:
            image->lower(); // a press on any control lying on the strip never drags
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
    Command2->hide();
    widthTwips_ = Form1Layout::Width;
    command1LeftTwips_ = PanelButtons[0].left;
    command2LeftTwips_ = PanelButtons[1].left;

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

// A step of 10 twips is two thirds of a pixel, so the real edge moves on two
// steps of three; the panel reads the width in twips, so every step counts
// and both of its loops end.
void Form1::setWidthInTwips(int twips)
{
    widthTwips_ = twips;
    setFixedWidth(twipsToPixels(twips));
}

void Form1::TogglePanel()
{
    using namespace Form1ShellLayout::Panel;
    TxtNumber->setFocus();

    // Slides the width and the travelling button until the width is past its
    // end. Each step first lets pending events run; when they close or hide
    // the window the slide stops, and when they delete it nothing is touched.
    const QPointer<Form1> self(this);
    const auto slide = [&](auto finished, int step, QPushButton *traveller, int &travellerLeftTwips) {
        while (!finished(widthTwips_)) {
            QCoreApplication::processEvents();
            if (!self)
                return false;
            if (isUnloading() || !isVisible())
                break;
            setWidthInTwips(widthTwips_ + step);
            travellerLeftTwips += step;
            placeLeft(traveller, travellerLeftTwips);
        }
        return true;
    };

    if (widthTwips_ > CollapseAbove) {
        if (!slide([](int width) { return width < CollapseAbove; }, -CollapseStep, Command1, command1LeftTwips_))
            return;
        Command1->hide();
        command1LeftTwips_ = Command1Rest;
        placeLeft(Command1, command1LeftTwips_);
        command2LeftTwips_ = Command2Rest;
        placeLeft(Command2, command2LeftTwips_);
        Command2->show();
    } else {
        if (!slide([](int width) { return width > ExpandedAbove; }, ExpandStep, Command2, command2LeftTwips_))
            return;
        Command2->hide();
        Command1->show();
    }
    tmrCollapse->stop();
}
