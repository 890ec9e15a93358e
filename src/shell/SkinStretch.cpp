#include "shell/SkinStretch.h"

#include <QPainter>

namespace SkinStretch {

QPixmap skinFor(const QPixmap &skin, int width)
{
    const qreal ratio = skin.devicePixelRatio();
    const int skinWidth = qRound(skin.width() / ratio), height = qRound(skin.height() / ratio);
    const int grow = width - skinWidth;
    if (grow == 0)
        return skin;
    QPixmap stretched(QSize(width, height) * ratio);
    stretched.setDevicePixelRatio(ratio);
    stretched.fill(Qt::transparent);
    QPainter p(&stretched);
    // Target rectangles in window pixels, source rectangles in the skin's own pixels.
    const auto copy = [&](qreal x, qreal w, qreal sourceX, qreal sourceW) {
        if (w > 0)
            p.drawPixmap(QRectF(x, 0, w, height), skin, QRectF(sourceX * ratio, 0, sourceW * ratio, height * ratio));
    };
    const int kept = qMin(StretchColumn, StretchColumn + grow);
    copy(0, kept, 0, kept);
    copy(StretchColumn, grow, StretchColumn, 1);
    copy(StretchColumn + grow, skinWidth - StretchColumn, StretchColumn, skinWidth - StretchColumn);
    return stretched;
}

QRegion outlineFor(const QRegion &outline, int skinWidth, int width)
{
    const int grow = width - skinWidth;
    if (grow == 0 || outline.isEmpty())
        return outline;
    const QRect all = outline.boundingRect();
    const int kept = qMin(StretchColumn, StretchColumn + grow);
    QRegion result = outline & QRect(0, all.top(), kept, all.height());
    if (grow > 0) {
        for (const QRect &piece : outline &QRect(StretchColumn, all.top(), 1, all.height()))
            result += QRect(StretchColumn, piece.top(), grow, piece.height());
    }
    result += (outline & QRect(StretchColumn, all.top(), skinWidth - StretchColumn, all.height())).translated(grow, 0);
    return result;
}

}
