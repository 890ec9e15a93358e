// CSV files come from other programs; reading one must never crash or loop,
// and every row it yields must write back to bytes that read as the same row.
#include "import/Csv.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    Csv::Reader reader(buffer);
    Csv::Row row;
    qint64 before = -1;
    for (Csv::Reader::Result result = reader.next(row); result == Csv::Reader::GotRow; result = reader.next(row)) {
        // Each row consumes input: a reader that stands still would never end.
        if (reader.consumed() <= before)
            std::abort();
        before = reader.consumed();
        QByteArray written;
        Csv::appendRow(written, row);
        QBuffer again(&written);
        again.open(QIODevice::ReadOnly);
        Csv::Reader reread(again);
        Csv::Row same;
        if (reread.next(same) != Csv::Reader::GotRow || same != row)
            std::abort();
    }
    return 0;
}
