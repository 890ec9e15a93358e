#pragma once

#include <QImage>

// The locate-file button's 16 x 16 icon: a folder under a magnifier, drawn
// hard-edged in the classic sixteen colours.
QImage paintLocateIcon();
