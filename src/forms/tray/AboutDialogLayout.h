#pragma once

#include <QPalette>
#include <QRgb>
#include <array>

// The About box, in twips.
namespace AboutDialogLayout {
inline constexpr char Caption[] = "About Morvo II";
inline constexpr int Width = 4170, Height = 2595;

// The one place that names the contact address: the label shows it and its
// click mails it.
inline constexpr char ContactAddress[] = "support@morvo.example";

// How a label looks: its font and the colour of its text.
enum class Look { Plain, Title, TitleShadow, Grey, Link };

struct LabelRow
{
    const char *name;
    int index; // element of a control array, or -1
    const char *text;
    int left, top, width, height;
    Look look;
    bool filled; // painted in the dialog's background colour; otherwise transparent
};

// Listed back to front: the shadow lies behind the title, 30 twips right and
// 45 twips down. A null text is the contact address. The title ends above the
// line of the purpose and the version, which the thick rule runs below: with
// the faces found here the design's places made them collide.
inline constexpr std::array<LabelRow, 7> Labels{{
    {"Label1", 1, "CAD Morvo", 750, 90, 2895, 480, Look::TitleShadow, false},
    {"Label1", 0, "CAD Morvo", 720, 45, 2895, 480, Look::Title, false},
    {"Label2", -1, "Version 2.5", 3000, 585, 1110, 255, Look::Plain, false},
    {"Label7", -1, "CAD Cataloging Software", 840, 585, 1935, 255, Look::Grey, false},
    {"Label5", -1, "For comments, questions and", 1080, 1800, 2115, 255, Look::Plain, true},
    {"Label8", -1, "purchasing information, e-mail to:", 960, 2040, 2355, 195, Look::Plain, true},
    {"Label6", -1, nullptr, 1080, 2280, 1875, 195, Look::Link, true},
}};

inline constexpr QRgb GreyText = qRgb(64, 64, 64);
// The title in the slate of the record window's caption bar: the design's
// pale tool-tip yellow all but vanishes on a light dialog.
inline constexpr QRgb TitleInk = qRgb(0x2e, 0x41, 0x55);
inline constexpr QRgb LinkBlue = qRgb(0, 0, 255);

// The application icon.
inline constexpr int ImageLeft = 60, ImageTop = 120, ImageSize = 480;

// Horizontal rules; Line2 over Line3 draws an etched rule. Parts beyond the
// dialog are not drawn.
struct LineRow
{
    const char *name;
    int x1, x2, y; // twips
    int width; // pixels, downwards from y
    QPalette::ColorRole colour;
};

inline constexpr std::array<LineRow, 3> Lines{{
    {"Line1", 660, 5280, 870, 3, QPalette::Text},
    {"Line2", -120, 4695, 1560, 1, QPalette::Text},
    {"Line3", 0, 4200, 1570, 2, QPalette::Base},
}};
}
