#include "forms/tray/AboutDialog.h"

#include "desktop/WindowSystem.h"
#include "desktop/X11Window.h"
#include "forms/record/Form1.h"
#include "forms/tray/AboutDialogLayout.h"
#include "modules/LaunchApp.h"
#include "shell/Artwork.h"
#include "widgets/ControlTable.h"
#include "widgets/LabelFit.h"
#include "widgets/ScreenPlace.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>

namespace {
using namespace AboutDialogLayout;

QFont fontFor(Look look)
{
    QFont font = look == Look::Title || look == Look::TitleShadow ? uiFont("MS Sans Serif", 24, true)
                                                                  : uiFont("MS Sans Serif", 8.25);
    font.setUnderline(look == Look::Link);
    return font;
}

QColor colourFor(Look look, const QPalette &palette)
{
    switch (look) {
    case Look::Title:
        return QColor(TitleInk);
    case Look::TitleShadow:
        return palette.color(QPalette::Mid);
    case Look::Grey:
        return QColor(GreyText);
    case Look::Link:
        return QColor(LinkBlue);
    case Look::Plain:
        break;
    }
    return palette.color(QPalette::WindowText);
}
}

AboutDialog::AboutDialog()
    : Form(nullptr,
           Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
               | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QString::fromLatin1(Caption));
    WindowSystem::makeSmallDialog(this);
    setWindowIcon(Artwork::appIcon());
    setFixedSize(twipsRect(0, 0, Width, Height).size());
    setFocusPolicy(Qt::NoFocus);

    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(Artwork::appIcon().pixmap(QSize(ImageSize, ImageSize) / TwipsPerPixel));
    image->setScaledContents(true);
    image->setGeometry(twipsRect(ImageLeft, ImageTop, ImageSize, ImageSize));
    image->setAccessibleName(QStringLiteral("Morvo II icon"));
    buildLabels();
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &Form::Unload);
}

void AboutDialog::buildLabels()
{
    QList<QLabel *> title;
    for (const LabelRow &row : Labels) {
        const QString text = row.text ? QString::fromLatin1(row.text) : QString::fromLatin1(ContactAddress);
        auto *label = new QLabel(text, this);
        label->setObjectName(QString::fromLatin1(row.name));
        if (row.index >= 0)
            label->setProperty("index", row.index);
        label->setGeometry(twipsRect(row.left, row.top, row.width, row.height));
        label->setFont(fontFor(row.look));
        shrinkFontToFit(label);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colourFor(row.look, palette));
        label->setPalette(palette);
        label->setAutoFillBackground(row.filled);
        if (row.look == Look::Title || row.look == Look::TitleShadow)
            title << label;
        if (row.look == Look::Link) {
            label->setCursor(Artwork::handCursor());
            label->installEventFilter(this);
        }
    }
    // Both copies of the title keep one font, or the shadow would not match.
    QFont smallest = title.constFirst()->font();
    for (QLabel *copy : title)
        smallest = copy->font().pointSizeF() < smallest.pointSizeF() ? copy->font() : smallest;
    for (QLabel *copy : title)
        copy->setFont(smallest);
}

void AboutDialog::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    for (const LineRow &line : Lines) {
        const int y = twipsToPixels(line.y);
        painter.fillRect(QRect(QPoint(twipsToPixels(line.x1), y), QPoint(twipsToPixels(line.x2), y + line.width - 1)),
                         palette().color(line.colour));
    }
}

bool AboutDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        auto *label = static_cast<QWidget *>(watched);
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint()))
            Label6_Click();
    }
    return Form::eventFilter(watched, event);
}

void AboutDialog::Label6_Click()
{
    // Nothing is reported when no mail program starts.
    LaunchApp::open(QStringLiteral("mailto:") + QString::fromLatin1(ContactAddress));
}

// A dialog of the record window where it is on screen; Esc closes it.
void AboutDialog::showEvent(QShowEvent *event)
{
    if (const Form1 *window = Forms::Loaded<Form1>(); window && window->isVisible()) {
        ScreenPlace::centreOver(this, window);
        ScreenPlace::belongTo(this, window);
    }
    X11Window::setWithoutMinimize(this);
    Form::showEvent(event);
}

void AboutDialog::changeEvent(QEvent *event)
{
    Form::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        Form_LostFocus();
}

void AboutDialog::Form_LostFocus()
{
    Unload();
}
