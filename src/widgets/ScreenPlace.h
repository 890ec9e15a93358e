#pragma once

#include <QSize>

class QWidget;

// Where windows open: wholly on the screen they open on, as far as they fit
// (a fixed spot of the original design can lie off a smaller or scaled screen).
namespace ScreenPlace {

// Moves the window, frame included, into the free area of its screen.
void keepOnScreen(QWidget *window);

// Places the window beside the anchor window, on the anchor's screen: right of
// it where it fits, else below, left or above it; else as near as it fits.
void placeBeside(QWidget *window, const QWidget *anchor);

// Places the window over the middle of the anchor window, on the anchor's
// screen and wholly on it.
void centreOver(QWidget *window, const QWidget *anchor);

// The window's size, no larger than the free area of the screen it opens on
// leaves for it, frame included.
QSize fittedToScreen(const QWidget *window, QSize wanted);

// Tells the window manager that the window is a dialog of the owner: it stays
// with the owner and has no minimize of its own. Call before it is shown.
void belongTo(QWidget *window, const QWidget *owner);

}
