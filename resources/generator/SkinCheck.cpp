#include "SkinCheck.h"

#include "SkinLayout.h"

#include <QList>
#include <QPoint>

using namespace SkinLayout;

namespace {

bool isKey(const QImage &skin, int x, int y)
{
    return (skin.pixel(x, y) & RGB_MASK) == (Key & RGB_MASK);
}

QString describe(const QRect &r)
{
    return QStringLiteral("(%1,%2,%3,%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Key pixels not connected to the picture's border would become holes.
int countEnclosedKeyPixels(const QImage &skin)
{
    const int w = skin.width(), h = skin.height();
    QList<bool> reached(qsizetype(w) * h, false);
    QList<QPoint> pending;
    auto visit = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h || reached[y * w + x] || !isKey(skin, x, y))
            return;
        reached[y * w + x] = true;
        pending.append(QPoint(x, y));
    };
    for (int x = 0; x < w; ++x) {
        visit(x, 0);
        visit(x, h - 1);
    }
    for (int y = 0; y < h; ++y) {
        visit(0, y);
        visit(w - 1, y);
    }
    while (!pending.isEmpty()) {
        const QPoint p = pending.takeLast();
        visit(p.x() + 1, p.y());
        visit(p.x() - 1, p.y());
        visit(p.x(), p.y() + 1);
        visit(p.x(), p.y() - 1);
    }
    int enclosed = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (isKey(skin, x, y) && !reached[y * w + x])
                ++enclosed;
    return enclosed;
}

int countKeyPixels(const QImage &skin, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += isKey(skin, x, y);
    return count;
}

} // namespace

QStringList skinProblems(const QImage &skin)
{
    if (skin.size() != Size)
        return {QStringLiteral("skin is %1x%2").arg(skin.width()).arg(skin.height())};
    QStringList problems;
    if (skin.hasAlphaChannel() || skin.depth() != 24)
        problems << QStringLiteral("skin is not a 24-bit picture");

    const int right = Size.width() - 1, bottom = Size.height() - 1;
    for (const QPoint corner : {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)})
        if (!isKey(skin, corner.x(), corner.y()))
            problems << QStringLiteral("corner (%1,%2) is not the key colour").arg(corner.x()).arg(corner.y());

    const QRect beyondEdge(LastOpaqueColumn + 1, 0, right - LastOpaqueColumn, Size.height());
    if (countKeyPixels(skin, beyondEdge) != beyondEdge.width() * beyondEdge.height())
        problems << QStringLiteral("opaque pixels right of column %1").arg(LastOpaqueColumn);
    const QRect edgeColumn(LastOpaqueColumn, 0, 1, Size.height());
    if (countKeyPixels(skin, edgeColumn) == edgeColumn.height())
        problems << QStringLiteral("column %1 holds no opaque pixel").arg(LastOpaqueColumn);

    for (const Control &control : Controls) {
        if (countKeyPixels(skin, control.rect))
            problems << QStringLiteral("key colour under the control at %1").arg(describe(control.rect));
        if (control.kind == ControlKind::TextBox && countKeyPixels(skin, captionLabelOf(control.rect)))
            problems << QStringLiteral("key colour under the caption of %1").arg(describe(control.rect));
    }

    if (const int enclosed = countEnclosedKeyPixels(skin))
        problems << QStringLiteral("%1 key-coloured pixels inside the outline").arg(enclosed);
    return problems;
}
