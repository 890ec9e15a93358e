#pragma once

#include <QPoint>

class QWidget;

// What an X window manager needs to hear from a window that Qt does not say
// for it. Every call does nothing (and reports false) on other window systems.
namespace X11Window {

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

// Asks the window manager to move the window with the pointer until the left
// button is released, as a press on a title bar would. The pointer's position
// is taken from the X server itself, in its own (device) pixels. False when
// the window manager offers no such move.
bool startMove(QWidget *window);

}
