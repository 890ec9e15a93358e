#pragma once

#include <QByteArray>
#include <QRegion>

#include <optional>

// A region as the bytes of a Windows RGNDATA block: a 32-byte header (size, type, rectangle
// count, rectangle bytes, bounding rectangle) followed by the rectangles as left, top, right,
// bottom with right and bottom exclusive, every field a little-endian 32-bit integer. Region files
// hold exactly these bytes, so a file written on either system reads on the other.
namespace RegionData {

// The region's rectangles in y-x banded order, as GetRegionData writes them.
QByteArray toRgnData(const QRegion &region);

// The region the bytes describe, or no region when they are not a well-formed rectangle list.
// A well-formed list without rectangles is an empty region, which is not the same thing.
std::optional<QRegion> fromRgnData(const QByteArray &bytes);

} // namespace RegionData
