#include "ExampleDrawing.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

namespace {
constexpr int Width = 320;
constexpr int Height = 200;
const QColor Paper(0xfb, 0xfc, 0xfd);
const QColor Ink(0x2f, 0x4f, 0x6f);
const QColor Line(0x3a, 0x6e, 0xa5);

void paintPlan(QPainter &p)
{
    p.drawRect(30, 30, 170, 120);
    p.drawLine(110, 30, 110, 100);
    p.drawLine(30, 100, 150, 100);
    p.drawLine(150, 100, 150, 150);
    for (const QPoint door : {QPoint(110, 100), QPoint(150, 120)})
        p.drawArc(QRect(door - QPoint(18, 18), QSize(36, 36)), 0, 90 * 16);
}

void paintElevation(QPainter &p)
{
    p.drawLine(15, 150, 235, 150);
    p.drawRect(20, 60, 210, 14);
    for (int span = 0; span < 3; ++span)
        p.drawArc(QRect(25 + span * 70, 80, 60, 130), 0, 180 * 16);
}

void paintSiteLayout(QPainter &p)
{
    QPainterPath road(QPointF(15, 160));
    road.cubicTo(80, 150, 110, 40, 235, 40);
    p.drawPath(road);
    p.drawPath(road.translated(0, 18));
    for (int plot = 0; plot < 4; ++plot)
        p.drawRect(30 + plot * 48, 95 + (plot % 2) * 10, 36, 26);
    p.drawLine(210, 150, 210, 110);
    p.drawLine(203, 122, 210, 110);
    p.drawLine(217, 122, 210, 110);
}

void appendU32(QByteArray &bytes, quint32 value)
{
    char raw[4];
    qToLittleEndian(value, raw);
    bytes.append(raw, 4);
}

// AutoCAD 2018: the image seeker at 0x0D points at the preview block, which
// holds an 80-byte header entry (code 1) and a PNG entry (code 6).
constexpr char Version[] = "AC1032";
constexpr qsizetype SeekerOffset = 0x0D;
constexpr qsizetype BlockOffset = 0x1C0;
constexpr quint8 HeaderCode = 1;
constexpr quint8 PngCode = 6;
const QByteArray StartSentinel = QByteArray::fromHex("1F256D07D43628289D57CA3F9D44102B");
const QByteArray EndSentinel = QByteArray::fromHex("E0DA92F82BC9D7D762A835C062BBEFD4");
}

QImage ExampleDrawing::preview(Sketch sketch, const QString &jobNumber, const QString &title)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    image.fill(Paper);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Ink, 1.5));
    p.drawRect(QRectF(6.5, 6.5, Width - 13, Height - 13));
    p.setPen(QPen(Line, 1.5));
    switch (sketch) {
    case Sketch::Plan:
        paintPlan(p);
        break;
    case Sketch::Elevation:
        paintElevation(p);
        break;
    case Sketch::SiteLayout:
        paintSiteLayout(p);
        break;
    }
    const QRect titleBlock(245, 130, 68, 63);
    p.setPen(QPen(Ink, 1));
    p.drawRect(titleBlock);
    QFont font = p.font();
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.drawText(titleBlock.adjusted(4, 4, -4, -4), Qt::AlignTop | Qt::AlignLeft, jobNumber);
    font.setBold(false);
    font.setPixelSize(8);
    p.setFont(font);
    p.drawText(titleBlock.adjusted(4, 20, -4, -4), Qt::AlignTop | Qt::AlignLeft | Qt::TextWordWrap, title);
    return image;
}

QByteArray ExampleDrawing::file(const QImage &preview)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    preview.save(&buffer, "PNG");

    const QByteArray header(80, '\0');
    QByteArray bytes(Version);
    bytes.resize(SeekerOffset, '\0');
    appendU32(bytes, quint32(BlockOffset));
    bytes.resize(BlockOffset, '\0');
    bytes += StartSentinel;
    const quint32 tableEnd = quint32(bytes.size() + 4 + 1 + 2 * 9);
    appendU32(bytes, quint32(1 + 2 * 9 + header.size() + png.size()));
    bytes.append(char(2));
    bytes.append(char(HeaderCode));
    appendU32(bytes, tableEnd);
    appendU32(bytes, quint32(header.size()));
    bytes.append(char(PngCode));
    appendU32(bytes, tableEnd + quint32(header.size()));
    appendU32(bytes, quint32(png.size()));
    return bytes + header + png + EndSentinel;
}
