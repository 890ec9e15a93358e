#include "files/RegionData.h"

#include <QList>
#include <QRect>
#include <QtEndian>

#include <span>

namespace {

constexpr qsizetype HeaderSize = 32;
constexpr qsizetype RectSize = 16;
constexpr quint32 RectanglesType = 1; // RDH_RECTANGLES, the only type there is

// GDI keeps coordinates within 28 signed bits; the limit also keeps every width inside int.
constexpr qint32 CoordinateLimit = (1 << 27) - 1;

// Header fields by byte offset.
constexpr qsizetype SizeField = 0;
constexpr qsizetype TypeField = 4;
constexpr qsizetype CountField = 8;
constexpr qsizetype RectBytesField = 12;
constexpr qsizetype BoundField = 16;

void putRect(char *at, const QRect &rect)
{
    const qint32 edges[] = {rect.left(), rect.top(), rect.x() + rect.width(), rect.y() + rect.height()};
    for (qint32 edge : edges) {
        qToLittleEndian<qint32>(edge, at);
        at += sizeof(qint32);
    }
}

std::optional<QRect> rectAt(const char *at)
{
    const qint32 left = qFromLittleEndian<qint32>(at);
    const qint32 top = qFromLittleEndian<qint32>(at + 4);
    const qint32 right = qFromLittleEndian<qint32>(at + 8);
    const qint32 bottom = qFromLittleEndian<qint32>(at + 12);
    const auto inRange = [](qint32 edge) { return edge >= -CoordinateLimit && edge <= CoordinateLimit; };
    if (!inRange(left) || !inRange(top) || !inRange(right) || !inRange(bottom) || left >= right || top >= bottom)
        return std::nullopt;
    return QRect(left, top, right - left, bottom - top);
}

// Rectangles from outside need not be banded or disjoint, so they are united; halving keeps the
// work near n log n instead of growing one region a rectangle at a time.
QRegion unite(std::span<const QRect> rects)
{
    if (rects.empty())
        return {};
    if (rects.size() == 1)
        return QRegion(rects.front());
    const std::size_t half = rects.size() / 2;
    return unite(rects.first(half)).united(unite(rects.subspan(half)));
}

} // namespace

QByteArray RegionData::toRgnData(const QRegion &region)
{
    const qsizetype count = region.rectCount();
    QByteArray bytes(HeaderSize + count * RectSize, '\0');
    char *data = bytes.data();
    qToLittleEndian<quint32>(HeaderSize, data + SizeField);
    qToLittleEndian<quint32>(RectanglesType, data + TypeField);
    qToLittleEndian<quint32>(quint32(count), data + CountField);
    qToLittleEndian<quint32>(quint32(count * RectSize), data + RectBytesField);
    if (count > 0)
        putRect(data + BoundField, region.boundingRect());
    char *at = data + HeaderSize;
    for (const QRect &rect : region) {
        putRect(at, rect);
        at += RectSize;
    }
    return bytes;
}

// The rectangle-bytes field and the bounding rectangle only describe the list, and Windows
// ignores them when it reads one back; so do we. Bytes after the last rectangle are ignored too.
std::optional<QRegion> RegionData::fromRgnData(const QByteArray &bytes)
{
    if (bytes.size() < HeaderSize)
        return std::nullopt;
    const char *data = bytes.constData();
    if (qFromLittleEndian<quint32>(data + SizeField) != HeaderSize
        || qFromLittleEndian<quint32>(data + TypeField) != RectanglesType)
        return std::nullopt;
    const quint64 count = qFromLittleEndian<quint32>(data + CountField);
    if (count > quint64(bytes.size() - HeaderSize) / RectSize) // a division cannot overflow
        return std::nullopt;

    QList<QRect> rects;
    rects.reserve(qsizetype(count));
    for (const char *at = data + HeaderSize; rects.size() < qsizetype(count); at += RectSize) {
        const std::optional<QRect> rect = rectAt(at);
        if (!rect)
            return std::nullopt;
        rects.append(*rect);
    }
    return unite(std::span<const QRect>(rects.constData(), std::size_t(rects.size())));
}
