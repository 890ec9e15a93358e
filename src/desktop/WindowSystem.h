#pragma once

#include <QByteArray>

class QWidget;

// What the desktop under the program lets it do with its windows, for the few
// places where an X server and a Wayland compositor differ.
namespace WindowSystem {

bool isWayland();

// A desktop the user sees (X11 or Wayland), where a minimized window waits in
// the task bar or the window switcher; not so the offscreen platform.
bool isDesktop();

// What a window draws outside its mask stays on screen: a Wayland mask limits
// only the mouse, and a compositor may apply no shapes. Such a window is drawn
// transparent outside its outline instead.
bool drawsOutsideMask();

// The desktop lets a program place its windows and tells it where they are
// (Wayland does neither).
bool placesWindows();

// A small dialog offers no minimize or maximize. Qt's own title bar, the
// only one a Wayland window gets under GNOME, always offers both, so there
// such a dialog goes without one and moves by its background. Call before
// the dialog is first shown (X11: also X11Window::setWithoutMinimize).
void makeSmallDialog(QWidget *dialog);

// The launcher's token for this start: its activation token or startup id,
// which Qt takes out of the environment; read it before Qt starts.
QByteArray launchTokenFromEnvironment();

// A token for a start from a launcher that gave none (a terminal, a script):
// under X, an id made of the server's time now, since the user asked for the
// start just now; empty where the desktop accepts only its own tokens.
QByteArray launchTokenOfNow();

// Only a short line of printable text is taken for a token.
bool isWellFormedToken(const QByteArray &token);

// Brings the window to the front with the keyboard on behalf of a start with
// this token (empty: a request of the program's own, which a desktop that
// guards the focus may refuse).
void bringToFront(QWidget *window, const QByteArray &launchToken);

}
