#pragma once

#include <QImage>
#include <QStringList>

// The pointing hand over the caption buttons: black outline, white fill,
// transparent elsewhere, fingertip at the hot spot.

QImage paintHandCursor();
QStringList handCursorProblems(const QImage &hand);
