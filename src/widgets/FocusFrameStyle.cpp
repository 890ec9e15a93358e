#include "widgets/FocusFrameStyle.h"

#include <QPainter>
#include <QStyleOption>

void FocusFrameStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                                  const QWidget *widget) const
{
    QProxyStyle::drawControl(element, option, painter, widget);
    if (element != CE_PushButton || !(option->state & State_HasFocus))
        return;
    constexpr qreal Ring = 2, Radius = 3;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(option->palette.color(QPalette::Highlight), Ring));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(QRectF(option->rect).adjusted(Ring, Ring, -Ring, -Ring), Radius, Radius);
    painter->restore();
}
