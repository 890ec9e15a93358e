#include "shell/FrmFakeMin.h"

#include "desktop/X11Window.h"
#include "shell/Artwork.h"
#include "widgets/ControlTable.h"

#include <QIcon>
#include <QTimer>
#include <QWindowStateChangeEvent>

namespace {
// A caption bar with almost no client area, in twips.
constexpr int InnerWidth = 9075, InnerHeight = 240;
constexpr char LoadCaption[] = "CADMorvo(";
constexpr char RestoreCaption[] = "Morvo II(";
// How often the window manager's view is read while the placeholder becomes
// an icon, and how long a window manager that never makes it one is waited for.
constexpr int IconCheckMs = 25, LongestWaitForIconMs = 3000;

std::function<QString()> &jobNumberShown()
{
    static std::function<QString()> source;
    return source;
}

// The caption names the job number the record window shows.
QString captionWith(const char *prefix)
{
    const QString jobNumber = jobNumberShown() ? jobNumberShown()() : QString();
    return QString::fromLatin1(prefix) + jobNumber + u')';
}
}

FrmFakeMin::FrmFakeMin()
{
    setWindowIcon(QIcon(QString::fromLatin1(Artwork::FakeMin)));
    resize(twipsRect(0, 0, InnerWidth, InnerHeight).size());
    iconCheck_ = new QTimer(this);
    iconCheck_->setInterval(IconCheckMs);
    connect(iconCheck_, &QTimer::timeout, this, [this] {
        if (X11Window::isIconic(this) || awaitingIcon_.hasExpired(LongestWaitForIconMs)) {
            iconCheck_->stop();
            awaitingIcon_.invalidate();
        }
    });
}

void FrmFakeMin::setJobNumberSource(std::function<QString()> source)
{
    jobNumberShown() = std::move(source);
}

void FrmFakeMin::Form_Load()
{
    setWindowTitle(captionWith(LoadCaption));
    setWindowState(Qt::WindowNoState);
}

void FrmFakeMin::changeEvent(QEvent *event)
{
    Form::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // Only a change away from minimized restores: window systems report sizes
    // and states in their own order while the window is being shown minimized.
    const bool wasMinimized = static_cast<QWindowStateChangeEvent *>(event)->oldState() & Qt::WindowMinimized;
    if (isMinimized() && !wasMinimized)
        awaitIcon();
    else if (wasMinimized && awaitingIcon_.isValid())
        setWindowState(windowState() | Qt::WindowMinimized); // it is still to become an icon
    else if (wasMinimized)
        Form_Resize();
}

void FrmFakeMin::awaitIcon()
{
    // Without an X window manager the state asked for is the state shown.
    if (!X11Window::isAvailable())
        return;
    awaitingIcon_.start();
    iconCheck_->start();
}

void FrmFakeMin::Form_Resize()
{
    if (windowState() & Qt::WindowMinimized)
        return;
    emit restoreRequested();
    setWindowTitle(captionWith(RestoreCaption));
    hide();
}
