#pragma once

#include <QImage>

// The record window's 24-bit skin: the key colour outside the outline, the
// window's face inside it.
QImage paintSkin();
