#pragma once

#include <QColor>
#include <QImage>

// The round picture buttons of the caption row: a shaded disc with a glyph.
enum class Glyph { Question, Plus, Minus, Cross, ClosedPadlock, OpenPadlock };

struct RoundButton
{
    int size;
    QColor face;
    QColor ink;
    Glyph glyph;
};

QImage paintRoundButton(const RoundButton &button);
