// Region files come from disk; reading one must never crash, and whatever it yields must
// write back to bytes that read as the same region and write again unchanged.
#include "files/RegionData.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<QRegion> region = RegionData::fromRgnData(bytes);
    if (!region)
        return 0;
    const QByteArray written = RegionData::toRgnData(*region);
    const std::optional<QRegion> reread = RegionData::fromRgnData(written);
    if (!reread || *reread != *region || RegionData::toRgnData(*reread) != written)
        std::abort();
    return 0;
}
