#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QList>

// Expands the pixels of a run-length compressed bitmap (BI_RLE8, BI_RLE4).
// Pixels the data never reaches — after an early end of bitmap, past a short
// row, or jumped over by a delta — get colour 0 of the palette, so a drawing
// always gives the same picture.
namespace RunLengthBitmap {
// Rows are stored bottom-up; bitsPerPixel is 8 or 4. Gives an Indexed8 image.
QImage decode(QByteArrayView data, int width, int height, int bitsPerPixel, const QList<QRgb> &palette);
}
