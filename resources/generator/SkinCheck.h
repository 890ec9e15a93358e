#pragma once

#include <QImage>
#include <QStringList>

// Everything wrong with a skin: wrong size or depth, key colour missing where
// the window must be cut away, or present where it would punch a hole.
QStringList skinProblems(const QImage &skin);
