// Compiled for AVX2; used only where the processor has it.
#include "catalogue/ByteSearchKernel.h"

#include <immintrin.h>

namespace {
struct Avx2
{
    using Block = __m256i;
    static constexpr size_t Width = 32;
    static Block splat(char c) { return _mm256_set1_epi8(c); }
    static unsigned candidates(const char *at, size_t lastOffset, Block first, Block last)
    {
        const Block a = _mm256_loadu_si256(reinterpret_cast<const Block *>(at));
        const Block b = _mm256_loadu_si256(reinterpret_cast<const Block *>(at + lastOffset));
        return unsigned(
            _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(first, a), _mm256_cmpeq_epi8(last, b))));
    }
};
}

const char *byteSearchFirstAvx2(const char *hay, size_t length, const char *needle, size_t size)
{
    return firstWith<Avx2>(hay, length, needle, size);
}

const char *byteSearchLastAvx2(const char *hay, size_t length, const char *needle, size_t size)
{
    return lastWith<Avx2>(hay, length, needle, size);
}
