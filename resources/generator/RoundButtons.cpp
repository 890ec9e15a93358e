#include "RoundButtons.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

// Glyphs are laid out on a 24-unit square and scaled to the button.
constexpr qreal DesignUnits = 24;
constexpr qreal Stroke = 2.6;

void paintDisc(QPainter &p, const QColor &face)
{
    const QRectF disc(1, 1, 22, 22);
    QRadialGradient shading(QPointF(10, 7), 15);
    shading.setColorAt(0, face.lighter(135));
    shading.setColorAt(1, face.darker(118));
    p.setPen(QPen(face.darker(175), 1));
    p.setBrush(shading);
    p.drawEllipse(disc.adjusted(0.5, 0.5, -0.5, -0.5));
    p.setPen(QPen(QColor(255, 255, 255, 70), 1));
    p.setBrush(Qt::NoBrush);
    p.drawArc(disc.adjusted(2, 2, -2, -2), 35 * 16, 110 * 16);
}

void paintPadlockBody(QPainter &p, const QColor &ink, const QColor &face)
{
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(7, 11, 10, 8), 1.5, 1.5);
    p.setBrush(face.darker(130));
    p.drawEllipse(QPointF(12, 14.2), 1.3, 1.3);
    p.drawRect(QRectF(11.4, 14.5, 1.2, 2.6));
}

void paintShackle(QPainter &p, const QColor &ink, qreal lift, qreal rightLegEnd)
{
    QPainterPath shackle;
    shackle.moveTo(9.2, 11.5);
    shackle.lineTo(9.2, 8.5 - lift);
    shackle.arcTo(QRectF(9.2, 5.7 - lift, 5.6, 5.6), 180, -180);
    shackle.lineTo(14.8, rightLegEnd);
    p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shackle);
}

void paintGlyph(QPainter &p, const RoundButton &button)
{
    p.setPen(QPen(button.ink, Stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (button.glyph) {
    case Glyph::Question: {
        QPainterPath hook;
        hook.moveTo(8.8, 8.8);
        hook.arcTo(QRectF(8.8, 5.6, 6.4, 6.4), 180, -230);
        hook.quadTo(QPointF(12, 12.2), QPointF(12, 14));
        p.drawPath(hook);
        p.setPen(Qt::NoPen);
        p.setBrush(button.ink);
        p.drawEllipse(QPointF(12, 17.4), 1.5, 1.5);
        break;
    }
    case Glyph::Plus:
        p.drawLine(QPointF(7.5, 12), QPointF(16.5, 12));
        p.drawLine(QPointF(12, 7.5), QPointF(12, 16.5));
        break;
    case Glyph::Minus:
        p.drawLine(QPointF(7.5, 13), QPointF(16.5, 13));
        break;
    case Glyph::Cross:
        p.drawLine(QPointF(8.3, 8.3), QPointF(15.7, 15.7));
        p.drawLine(QPointF(15.7, 8.3), QPointF(8.3, 15.7));
        break;
    case Glyph::ClosedPadlock:
        paintShackle(p, button.ink, 0, 11.5);
        paintPadlockBody(p, button.ink, button.face);
        break;
    case Glyph::OpenPadlock:
        paintShackle(p, button.ink, 2.2, 8.8);
        paintPadlockBody(p, button.ink, button.face);
        break;
    }
}

} // namespace

QImage paintRoundButton(const RoundButton &button)
{
    QImage image(button.size, button.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(button.size / DesignUnits, button.size / DesignUnits);
    paintDisc(p, button.face);
    paintGlyph(p, button);
    return image;
}
