#pragma once

#include <QPoint>
#include <QRgb>
#include <QSize>
#include <QString>

class QCursor;
class QIcon;
class QPixmap;

// Every picture the program shows, as embedded resource paths. The pictures
// are drawn at build time by resources/generator.
namespace Artwork {

// The record window's background; pixels of SkinKey lie outside its outline.
inline constexpr char Skin[] = ":/art/skin.png";
inline constexpr QSize SkinSize{620, 409};
inline constexpr QRgb SkinKey = qRgb(255, 0, 255);

// Caption buttons, 24 x 24, in their resting look.
inline constexpr char Help[] = ":/art/help.png";
inline constexpr char Plus[] = ":/art/plus.png";
inline constexpr char Minimize[] = ":/art/minimize.png";
inline constexpr char Exit[] = ":/art/exit.png";

// Colour variants of the caption buttons, 32 x 32.
inline constexpr char HelpColour[] = ":/art/help_col.png";
inline constexpr char PlusColour[] = ":/art/plus_col.png";
inline constexpr char MinimizeColour[] = ":/art/minimize_col.png";

// The padlock button, 24 x 24: closed while the window is unlocked (a click
// locks it), open while it is locked.
inline constexpr char Locked[] = ":/art/locked.png";
inline constexpr char Unlocked[] = ":/art/unlocked.png";

// The locate-file button's 16 x 16 icon.
inline constexpr char Locate[] = ":/art/locate.png";

// The pointing hand over the caption buttons, 32 x 32.
inline constexpr char Hand[] = ":/art/hand.png";
inline constexpr QPoint HandHotSpot{13, 5};

// The application icon (window, tray, About box) and its larger copy.
inline constexpr char App[] = ":/art/app.png";
inline constexpr char App64[] = ":/art/app_64.png";

// The icon of the small window that stands in for the minimized record window.
inline constexpr char FakeMin[] = ":/art/fakemin.png";

// Every picture also comes drawn at twice its pixels, named as Qt names such
// copies ("help@2x.png"); a picture is shown from the copy that suits the
// screens' pixel ratio.
inline QString atTwice(const char *resourcePath)
{
    QString path = QString::fromLatin1(resourcePath);
    return path.insert(path.lastIndexOf(u'.'), QStringLiteral("@2x"));
}
QPixmap picture(const char *resourcePath);
// The picture with every pixel of the key colour transparent.
QPixmap withoutKey(const QPixmap &picture, QRgb key);

// The hand pointer with its hot spot on the fingertip.
QCursor handCursor();
// The application icon in both its sizes: every window and the tray show it.
QIcon appIcon();

} // namespace Artwork
