#include "LocateIcon.h"

#include <QPainter>

namespace {

// Members of the classic sixteen-colour palette.
const QColor Black(0x00, 0x00, 0x00);
const QColor Olive(0x80, 0x80, 0x00);
const QColor Yellow(0xff, 0xff, 0x00);
const QColor Grey(0x80, 0x80, 0x80);
const QColor White(0xff, 0xff, 0xff);
const QColor Teal(0x00, 0x80, 0x80);
const QColor Aqua(0x00, 0xff, 0xff);

void paintFolder(QPainter &p)
{
    p.setPen(Olive);
    p.setBrush(Yellow);
    p.drawRect(1, 1, 5, 3); // tab
    p.drawRect(0, 3, 12, 9);
    p.setPen(White);
    p.drawLine(1, 4, 10, 4);
}

void paintMagnifier(QPainter &p)
{
    p.setPen(Black);
    p.setBrush(Aqua);
    p.drawEllipse(6, 5, 6, 6);
    p.setPen(White);
    p.drawPoint(8, 7);
    p.setPen(Teal);
    p.drawLine(9, 11, 11, 9);
    p.setPen(Black);
    p.drawLine(12, 12, 15, 15);
    p.drawLine(13, 12, 15, 14);
    p.setPen(Grey);
    p.drawLine(12, 13, 14, 15);
}

} // namespace

QImage paintLocateIcon()
{
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing, false);
    paintFolder(p);
    paintMagnifier(p);
    return icon;
}
