#include "files/RunLengthBitmap.h"

#include <algorithm>
#include <cstring>

namespace {
// Escape codes that follow a zero count byte.
enum Escape : quint8 { EndOfLine = 0, EndOfBitmap = 1, Delta = 2 };

class Canvas
{
public:
    Canvas(QImage &image, int bitsPerPixel) : image_(image), nibbles_(bitsPerPixel == 4) {}

    bool full() const { return y_ >= image_.height(); }
    void endLine() { moveTo(0, y_ + 1); }
    void moveBy(int dx, int dy) { moveTo(x_ + dx, y_ + dy); }

    // count pixels alternating the two indices a byte holds (4 bits), or of one index (8 bits).
    void run(int count, quint8 value)
    {
        const int n = std::min(count, image_.width() - x_);
        if (n > 0 && !full()) {
            uchar *line = row() + x_;
            if (nibbles_) {
                for (int i = 0; i < n; ++i)
                    line[i] = i % 2 ? value & 0x0F : value >> 4;
            } else {
                std::memset(line, value, size_t(n));
            }
        }
        x_ = std::min(x_ + count, image_.width());
    }

    void literal(QByteArrayView bytes, int count)
    {
        for (int i = 0; i < count; ++i) {
            const quint8 byte = quint8(bytes[nibbles_ ? i / 2 : i]);
            put(nibbles_ ? (i % 2 ? byte & 0x0F : byte >> 4) : byte);
        }
    }

private:
    uchar *row() { return image_.scanLine(image_.height() - 1 - y_); }
    void put(quint8 index)
    {
        if (x_ < image_.width() && !full())
            row()[x_] = index;
        x_ = std::min(x_ + 1, image_.width());
    }
    void moveTo(int x, int y)
    {
        x_ = std::min(x, image_.width());
        y_ = std::min(y, image_.height());
    }

    QImage &image_;
    bool nibbles_;
    int x_ = 0;
    int y_ = 0;
};
}

QImage RunLengthBitmap::decode(QByteArrayView data, int width, int height, int bitsPerPixel, const QList<QRgb> &palette)
{
    QImage image(width, height, QImage::Format_Indexed8);
    if (image.isNull() || palette.isEmpty())
        return {};
    image.setColorTable(palette.mid(0, 256));
    image.fill(0);

    Canvas canvas(image, bitsPerPixel);
    for (qsizetype at = 0; at + 1 < data.size() && !canvas.full();) {
        const quint8 count = quint8(data[at]);
        const quint8 code = quint8(data[at + 1]);
        at += 2;
        if (count > 0) {
            canvas.run(count, code);
        } else if (code == EndOfLine) {
            canvas.endLine();
        } else if (code == EndOfBitmap) {
            break;
        } else if (code == Delta) {
            if (at + 1 >= data.size())
                break;
            canvas.moveBy(quint8(data[at]), quint8(data[at + 1]));
            at += 2;
        } else {
            // A literal run of `code` pixels, padded to an even number of bytes.
            const qsizetype bytes = bitsPerPixel == 4 ? (code + 1) / 2 : code;
            if (at + bytes > data.size())
                break;
            canvas.literal(data.sliced(at, bytes), code);
            at += (bytes + 1) / 2 * 2;
        }
    }
    return image;
}
