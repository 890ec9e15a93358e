#pragma once

#include <QImage>

// The record window's 24-bit skin: the key colour outside the outline, the
// window's face inside it; drawn at 2 for screens of twice the pixels.
QImage paintSkin(int scale = 1);
