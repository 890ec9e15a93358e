#include "AppIcon.h"

#include "Palette.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// The design is laid out on a 32-unit square and scaled to the target.
constexpr qreal DesignUnits = 32;

void paintSheet(QPainter &p)
{
    const QRectF sheet(2.5, 6.5, 27, 21);
    p.setPen(QPen(Palette::Ink, 1));
    p.setBrush(Palette::Paper);
    p.drawRect(sheet);
    p.setPen(QPen(QColor(0xa9, 0xbb, 0xcd), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(sheet.adjusted(2, 2, -2, -2));
}

void paintPlan(QPainter &p)
{
    p.setPen(QPen(Palette::DrawingLine, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(6.5, 10.5, 9, 13));
    p.drawLine(QPointF(6.5, 17.5), QPointF(11.5, 17.5));
    p.drawLine(QPointF(11.5, 10.5), QPointF(11.5, 14.5));
}

// A compass standing on the sheet, its pencil leg tracing an arc.
void paintCompass(QPainter &p)
{
    const QColor steel(0x4a, 0x55, 0x62);
    const QPointF hinge(23.5, 3.5);
    const QPointF needle(19, 14);
    const QPointF pencil(27.5, 15.5);

    const qreal radius = QLineF(needle, pencil).length();
    p.setPen(QPen(Palette::DrawingLine, 1.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(needle.x() - radius, needle.y() - radius, 2 * radius, 2 * radius), -12 * 16, -62 * 16);

    p.setPen(QPen(steel, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(hinge, needle);
    p.drawLine(hinge, pencil);
    p.setPen(QPen(Palette::ExitRed, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QLineF(hinge, pencil).pointAt(0.8), pencil);
    p.setPen(QPen(steel.darker(130), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(hinge, hinge - QPointF(0, 2.5));
    p.setPen(QPen(steel.darker(150), 0.8));
    p.setBrush(QColor(0xc9, 0xd0, 0xd8));
    p.drawEllipse(hinge, 1.8, 1.8);
}

QImage transparentImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

void paintAppMark(QPainter &painter, const QRectF &target)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(target.topLeft());
    painter.scale(target.width() / DesignUnits, target.height() / DesignUnits);
    paintSheet(painter);
    paintPlan(painter);
    paintCompass(painter);
    painter.restore();
}

QImage appIcon(int size)
{
    QImage image = transparentImage(size);
    QPainter painter(&image);
    paintAppMark(painter, QRectF(0, 0, size, size));
    return image;
}

QImage placeholderIcon(int size)
{
    QImage image = appIcon(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / DesignUnits, size / DesignUnits);
    p.setPen(QPen(Palette::Paper, 1));
    p.setBrush(Palette::CaptionBottom);
    p.drawRoundedRect(QRectF(1.5, 19.5, 12, 11), 2.5, 2.5);
    p.setPen(QPen(Palette::Paper, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.5, 27), QPointF(10.5, 27));
    return image;
}
