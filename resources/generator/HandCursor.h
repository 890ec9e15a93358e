#pragma once

#include <QImage>
#include <QPoint>
#include <QStringList>

// The pointing hand over the caption buttons: black outline, white fill,
// transparent elsewhere, fingertip at the hot spot.
inline constexpr QPoint HandHotSpot{13, 5};

QImage paintHandCursor();
QStringList handCursorProblems(const QImage &hand);
