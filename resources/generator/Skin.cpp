#include "Skin.h"

#include "AppIcon.h"
#include "Palette.h"
#include "SkinLayout.h"

#include <QFont>
#include <QLinearGradient>
#include <QList>
#include <QPainter>
#include <QPainterPath>

using namespace SkinLayout;

namespace {

QPainterPath outlinePath(const QRectF &rect)
{
    QPainterPath path;
    path.addRoundedRect(rect, CornerRadius, CornerRadius);
    return path;
}

QLinearGradient verticalGradient(qreal top, qreal bottom, const QColor &from, const QColor &to)
{
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    return gradient;
}

void paintFrameAndBody(QPainter &p)
{
    const QRectF outer(Outline);
    p.fillPath(outlinePath(outer), Palette::Frame);
    const QRectF inner = outer.adjusted(1, 1, -1, -1);
    const QPainterPath innerPath = outlinePath(inner);
    p.fillPath(innerPath, verticalGradient(CaptionBottom, inner.bottom(), Palette::BodyTop, Palette::BodyBottom));

    p.save();
    p.setClipPath(innerPath);
    const QRectF caption(inner.left(), inner.top(), inner.width(), CaptionBottom - inner.top());
    p.fillRect(caption, verticalGradient(caption.top(), caption.bottom(), Palette::CaptionTop, Palette::CaptionBottom));
    // A soft sheen on the upper half of the caption and a crisp edge below it.
    p.fillRect(
        QRectF(caption.left(), caption.top(), caption.width(), caption.height() / 2),
        verticalGradient(caption.top(), caption.center().y(), QColor(255, 255, 255, 40), QColor(255, 255, 255, 8)));
    p.fillRect(QRectF(caption.left(), CaptionBottom, caption.width(), 1), Palette::Frame);
    p.fillRect(QRectF(caption.left(), CaptionBottom + 1, caption.width(), 1), Palette::Highlight);
    p.restore();
}

void paintTitle(QPainter &p)
{
    const QRectF mark(18, 11, 32, 32);
    paintAppMark(p, mark);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    font.setBold(true);
    p.setFont(font);
    const QRectF text(mark.right() + 6, mark.top(), 200, mark.height());
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(text.translated(0, 1), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Morvo II"));
    p.setPen(Palette::CaptionText);
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Morvo II"));
}

// A shallow recess around a text box.
void paintWell(QPainter &p, const QRect &box)
{
    const QRectF well = QRectF(box).adjusted(-2.5, -2.5, 2.5, 2.5);
    p.setPen(QPen(Palette::WellShade, 1));
    p.setBrush(Palette::Well);
    p.drawRoundedRect(well, 3, 3);
}

// Boxes that touch share one recess: the job number and client boxes overlap,
// and the locate button sits flush against the file name box.
QList<QRect> wellAreas()
{
    QList<QRect> areas;
    for (const Control &control : Controls) {
        if (control.kind != ControlKind::TextBox && control.kind != ControlKind::FieldButton)
            continue;
        QRect area = control.rect;
        for (qsizetype i = areas.size() - 1; i >= 0; --i)
            if (areas[i].adjusted(-2, 0, 2, 0).intersects(area))
                area = area.united(areas.takeAt(i));
        areas.append(area);
    }
    return areas;
}

void paintFieldWells(QPainter &p)
{
    for (const QRect &area : wellAreas())
        paintWell(p, area);
}

void paintDrawingPanel(QPainter &p)
{
    const QRectF panel = QRectF(DrawingPanel).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(Palette::PanelBorder, 1));
    p.setBrush(verticalGradient(panel.top(), panel.bottom(), Palette::PanelTop, Palette::PanelBottom));
    p.drawRoundedRect(panel, 5, 5);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(panel.adjusted(1, 1, -1, -1), 4, 4);

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Palette::PanelHeading);
    p.drawText(QRectF(panel.left() + 8, panel.top() + 3, panel.width() - 16, 17), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Drawings"));
}

QImage paintFace(int scale)
{
    QImage face(Size * scale, QImage::Format_ARGB32_Premultiplied);
    face.fill(Qt::transparent);
    QPainter p(&face);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    paintFrameAndBody(p);
    paintTitle(p);
    paintFieldWells(p);
    paintDrawingPanel(p);
    return face;
}

// The window region can only be whole pixels, so the outline is rasterised
// without smoothing; the face's soft rim blends into the frame colour beneath it.
QImage outlineMask()
{
    QImage mask(Size, QImage::Format_Grayscale8);
    mask.fill(0);
    QPainter p(&mask);
    p.fillPath(outlinePath(QRectF(Outline)), Qt::white);
    return mask;
}

} // namespace

QImage paintSkin(int scale)
{
    QImage skin(Size * scale, QImage::Format_RGB888);
    skin.fill(Palette::Frame);
    QPainter p(&skin);
    p.drawImage(0, 0, paintFace(scale));
    p.end();

    // The outline is the one of the window's pixels, whatever the scale: the
    // window's region is made from the skin at scale 1.
    const QImage mask = outlineMask();
    for (int y = 0; y < skin.height(); ++y) {
        const uchar *inside = mask.constScanLine(y / scale);
        for (int x = 0; x < skin.width(); ++x)
            if (!inside[x / scale])
                skin.setPixel(x, y, Key);
    }
    return skin;
}
