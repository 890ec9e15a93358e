// A kept order lies in the user's cache folder, where anything may have
// damaged it; reading one must never crash, nor ask for more room than the
// file could fill.
#include "catalogue/KeptOrder.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("kept"));
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        out.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    constexpr size_t RowSize = 32; // the record set's row on this machine
    std::vector<char> rows;
    std::string keys;
    const auto trusted = [](const KeptOrder::Stamp &) { return true; };
    const auto makeRoom = [&rows](size_t rowCount, size_t keyBytes) -> char * {
        // A damaged header must not make the reader ask for unbounded room.
        if (rowCount > size_t(1) << 24 || keyBytes > size_t(1) << 28)
            std::abort();
        rows.assign(rowCount * RowSize, 0);
        return rows.data();
    };
    KeptOrder::read(file, RowSize, trusted, makeRoom, keys);
    return 0;
}
