#include "widgets/LabelFit.h"

#include <QFontMetrics>
#include <QLabel>

void shrinkFontToFit(QLabel *label)
{
    constexpr qreal Step = 0.25, Smallest = 6.0;
    QFont font = label->font();
    const QString text = label->text();
    while (font.pointSizeF() > Smallest && QFontMetrics(font).horizontalAdvance(text) > label->contentsRect().width())
        font.setPointSizeF(font.pointSizeF() - Step);
    label->setFont(font);
}
