#include "HandCursor.h"

#include "shell/Artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

namespace {

constexpr int Side = 32;

struct Finger
{
    QRectF bounds;
    qreal seamBottom; // where the line parting it from its right neighbour ends
};

// Index finger first; its centre column is the hot spot's column.
constexpr Finger Fingers[] = {
    {{11, 5, 5, 15}, 17},
    {{15, 11, 5, 10}, 17},
    {{19, 12, 5, 9}, 17},
    {{23, 14, 4, 8}, 0},
};

QPainterPath handShape()
{
    QPainterPath hand;
    hand.setFillRule(Qt::WindingFill);
    for (const Finger &finger : Fingers)
        hand.addRoundedRect(finger.bounds, 2.5, 2.5);
    hand.addRoundedRect(QRectF(11, 16, 16, 11), 3, 3);
    hand.addRect(QRectF(13, 24, 12, 5));
    QPainterPath thumb;
    thumb.addRoundedRect(QRectF(-2, -5.5, 4.5, 11), 2.2, 2.2);
    hand.addPath(QTransform().translate(9.2, 19.5).rotate(-42).map(thumb));
    return hand.simplified();
}

QImage fillMask()
{
    QImage mask(Side, Side, QImage::Format_Alpha8);
    mask.fill(Qt::transparent);
    QPainter p(&mask);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(handShape(), Qt::black);
    return mask;
}

bool inside(const QImage &mask, int x, int y)
{
    return x >= 0 && y >= 0 && x < Side && y < Side && qAlpha(mask.pixel(x, y)) >= 128;
}

} // namespace

QImage paintHandCursor()
{
    const QImage mask = fillMask();
    QImage hand(Side, Side, QImage::Format_ARGB32);
    hand.fill(Qt::transparent);
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x) {
            if (!inside(mask, x, y))
                continue;
            const bool edge = !inside(mask, x - 1, y) || !inside(mask, x + 1, y) || !inside(mask, x, y - 1)
                || !inside(mask, x, y + 1);
            hand.setPixel(x, y, edge ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }

    // Seams between neighbouring fingers.
    for (const Finger &finger : Fingers) {
        const int seam = int(finger.bounds.right());
        for (int y = int(finger.bounds.top()) + 2; y < finger.seamBottom; ++y)
            if (inside(mask, seam, y))
                hand.setPixel(seam, y, qRgb(0, 0, 0));
    }
    return hand;
}

QStringList handCursorProblems(const QImage &hand)
{
    QStringList problems;
    if (hand.size() != QSize(Side, Side))
        problems << QStringLiteral("hand cursor is not 32x32");
    if (hand.pixel(Artwork::HandHotSpot) != qRgb(0, 0, 0))
        problems << QStringLiteral("the fingertip is not at the hot spot");
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x) {
            const QRgb pixel = hand.pixel(x, y);
            if (qAlpha(pixel) == 0)
                continue;
            if (y < Artwork::HandHotSpot.y())
                problems << QStringLiteral("pixel (%1,%2) lies above the fingertip").arg(x).arg(y);
            if (pixel != qRgb(0, 0, 0) && pixel != qRgb(255, 255, 255))
                problems << QStringLiteral("pixel (%1,%2) is neither black nor white").arg(x).arg(y);
        }
    return problems;
}
