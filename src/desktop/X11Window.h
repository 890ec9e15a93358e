#pragma once

#include <QByteArray>
#include <QPoint>

class QWidget;

// What an X window manager needs to hear from a window that Qt does not say
// for it. Every call does nothing (and reports false) on other window systems.
namespace X11Window {

// The program talks to an X server (X11, or XWayland under a Wayland desktop).
bool isAvailable();

// Task bars and pagers leave the window out. The window manager forgets this
// when the window is hidden, so it is said again before every show.
void setSkipTaskbar(QWidget *window);

// A small dialog that the window manager offers no minimize or maximize
// for. Window managers keep a minimize button on every dialog and utility
// window, so the window is also called a torn-off menu, the one kind they
// keep without it. Call before each show.
void setWithoutMinimize(QWidget *window);

// A window once minimized keeps "start iconic" in its WM_HINTS; mapped with
// it, the window manager may leave it iconic however it is asked afterwards.
// Say "start normal" before the window is mapped again.
void setStartsNormal(QWidget *window);

// The window manager shows the window as an icon (WM_STATE says Iconic).
bool isIconic(QWidget *window);

// Asks the window manager to move the window with the pointer until the left
// button is released, as a press on a title bar would. The pointer's position
// is taken from the X server itself, in its own (device) pixels. False when
// the window manager offers no such move.
bool startMove(QWidget *window);

// A compositing manager draws the screen: what a window draws outside its
// shape may then be shown (some apply no shapes), but transparency works.
bool isCompositing();

// The X server's time now, read on a connection of its own: a start that the
// user asked for may claim the focus from then on. 0 without an X server.
quint32 serverTime();

// Asks the window manager to give the window the focus on behalf of a start
// at this time: a launcher's startup id ("..._TIME<time>") or an id made of
// the server's time. The window carries the id, and the launcher's feedback
// for it ends. False when the id names no time.
bool activate(QWidget *window, const QByteArray &startupId);

// The time a startup id names, or 0.
quint32 timeOfStartupId(const QByteArray &startupId);

}
