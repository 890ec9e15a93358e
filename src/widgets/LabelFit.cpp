#include "widgets/LabelFit.h"

#include <QWidget>

namespace {
// Room kept free right of the text, so that neighbours never touch.
constexpr int Gap = 2;

bool fits(const QWidget *caption)
{
    const QSize needed = caption->sizeHint();
    return needed.width() + Gap <= caption->width() && needed.height() <= caption->height();
}
}

void shrinkFontToFit(QWidget *caption)
{
    constexpr qreal Step = 0.25, Smallest = 6.0;
    QFont font = caption->font();
    while (font.pointSizeF() > Smallest && !fits(caption)) {
        font.setPointSizeF(font.pointSizeF() - Step);
        caption->setFont(font);
    }
}

void fitCaptionAbove(QWidget *caption, const QWidget *box)
{
    // A pixel left of the text for letters that reach left of their origin ("J").
    caption->setContentsMargins(1, 0, 0, 0);
    // As wide as the box it names, short of the box's last pixel, where the
    // next box may begin.
    const QRect above = caption->geometry();
    caption->setGeometry(above.x(), above.y(), qMax(above.width(), box->geometry().right() - above.x()),
                         qMin(above.height(), box->y() - 1 - above.y()));
    shrinkFontToFit(caption);
}
