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

// Listed back to front: the dark title lies behind the light one, 30 twips
// right and 45 twips down, as its shadow. A null text is the contact address.
inline constexpr std::array<LabelRow, 7> Labels{{
    {"Label1", 1, "CAD Morvo", 750, 135, 2895, 495, Look::TitleShadow, false},
    {"Label1", 0, "CAD Morvo", 720, 90, 3015, 495, Look::Title, false},
    {"Label2", -1, "Version 2.5", 3360, 480, 795, 195, Look::Plain, false},
    {"Label7", -1, "CAD Cataloging Software", 840, 600, 1935, 255, Look::Grey, false},
    {"Label5", -1, "For comments, questions and", 1080, 1800, 2115, 255, Look::Plain, true},
    {"Label8", -1, "purchasing information, e-mail to:", 960, 2040, 2355, 195, Look::Plain, true},
    {"Label6", -1, nullptr, 1080, 2280, 1875, 195, Look::Link, true},
}};

inline constexpr QRgb GreyText = qRgb(64, 64, 64);
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
    {"Line1", 660, 5280, 790, 3, QPalette::Text},
    {"Line2", -120, 4695, 1560, 1, QPalette::Text},
    {"Line3", 0, 4200, 1570, 2, QPalette::Base},
}};
}
