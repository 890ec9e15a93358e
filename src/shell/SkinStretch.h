#pragma once

#include <QPixmap>
#include <QRegion>

// The record window folds narrower and wider than its skin. The skin and its
// outline then follow the window's width: the columns left of StretchColumn
// stay, those from it on move with the right edge, and the column itself
// fills a wider window (a narrower one drops the columns just left of it).
// The column runs through plain ground only: the caption bar, the drawing
// panel's middle and the frame.
namespace SkinStretch {

inline constexpr int StretchColumn = 560;

// The skin as it paints a window of this width (in device-independent pixels).
QPixmap skinFor(const QPixmap &skin, int width);

// The window's outline for this width, from its outline at the skin's width.
QRegion outlineFor(const QRegion &outline, int skinWidth, int width);

}
