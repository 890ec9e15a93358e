#include "widgets/ScreenPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {
// The window manager's frame around the window: as measured once it was
// shown, else a title bar and thin borders for a decorated window.
QMargins frameMargins(const QWidget *window)
{
    const QRect frame = window->frameGeometry(), inner = window->geometry();
    if (frame != inner)
        return QMargins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                        frame.bottom() - inner.bottom());
    if (window->windowFlags() & Qt::FramelessWindowHint)
        return QMargins();
    constexpr int Border = 4, TitleBar = 26;
    return QMargins(Border, TitleBar, Border, Border);
}

QRect freeAreaOf(const QScreen *screen)
{
    return (screen ? screen : QGuiApplication::primaryScreen())->availableGeometry();
}

// The frame's top-left corner moved so that the frame lies inside the area;
// a frame larger than the area keeps to its top-left corner.
QPoint inside(const QRect &area, const QRect &frame)
{
    return QPoint(qMax(area.left(), qMin(frame.left(), area.right() + 1 - frame.width())),
                  qMax(area.top(), qMin(frame.top(), area.bottom() + 1 - frame.height())));
}

QRect frameAt(const QWidget *window, QPoint topLeft)
{
    const QMargins m = frameMargins(window);
    return QRect(topLeft, window->size().grownBy(m));
}

QScreen *screenOf(const QWidget *window)
{
    QScreen *screen = QGuiApplication::screenAt(window->frameGeometry().center());
    return screen ? screen : window->screen();
}
}

namespace ScreenPlace {

void keepOnScreen(QWidget *window)
{
    const QRect frame = frameAt(window, window->pos());
    const QPoint fitted = inside(freeAreaOf(screenOf(window)), frame);
    if (fitted != frame.topLeft())
        window->move(fitted);
}

void placeBeside(QWidget *window, const QWidget *anchor)
{
    constexpr int Gap = 8;
    const QRect area = freeAreaOf(screenOf(anchor)), by = anchor->frameGeometry();
    const QSize size = frameAt(window, QPoint()).size();
    const QPoint candidates[] = {
        {by.right() + 1 + Gap, by.top()},
        {by.left(), by.bottom() + 1 + Gap},
        {by.left() - Gap - size.width(), by.top()},
        {by.left(), by.top() - Gap - size.height()},
    };
    for (const QPoint candidate : candidates) {
        if (area.contains(QRect(candidate, size))) {
            window->move(candidate);
            return;
        }
    }
    window->move(inside(area, QRect(candidates[0], size)));
}

void centreOver(QWidget *window, const QWidget *anchor)
{
    QRect frame = frameAt(window, QPoint());
    frame.moveCenter(anchor->frameGeometry().center());
    window->move(inside(freeAreaOf(screenOf(anchor)), frame));
}

QSize fittedToScreen(const QWidget *window, QSize wanted)
{
    const QMargins m = frameMargins(window);
    const QSize free = freeAreaOf(screenOf(window)).size().shrunkBy(m);
    return wanted.boundedTo(free);
}

void belongTo(QWidget *window, const QWidget *owner)
{
    window->winId(); // the window needs its native handle for the hint
    if (QWindow *handle = window->windowHandle())
        handle->setTransientParent(owner->windowHandle());
}

}
