#include "catalogue/ByteSearch.h"

#include "catalogue/ByteSearchKernel.h"

#include <emmintrin.h>

const char *byteSearchFirstAvx2(const char *hay, size_t length, const char *needle, size_t size);
const char *byteSearchLastAvx2(const char *hay, size_t length, const char *needle, size_t size);

namespace {
struct Sse2
{
    using Block = __m128i;
    static constexpr size_t Width = 16;
    static Block splat(char c) { return _mm_set1_epi8(c); }
    static unsigned candidates(const char *at, size_t lastOffset, Block first, Block last)
    {
        const Block a = _mm_loadu_si128(reinterpret_cast<const Block *>(at));
        const Block b = _mm_loadu_si128(reinterpret_cast<const Block *>(at + lastOffset));
        return unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(first, a), _mm_cmpeq_epi8(last, b))));
    }
};

// Twice the width where the processor has it; checked once.
const bool HasAvx2 = __builtin_cpu_supports("avx2");
}

const char *ByteSearch::first(const char *hay, size_t length, const char *needle, size_t size)
{
    if (size == 0 || size > length)
        return size == 0 ? hay : nullptr;
    if (size == 1)
        return static_cast<const char *>(memchr(hay, needle[0], length));
    return HasAvx2 ? byteSearchFirstAvx2(hay, length, needle, size) : firstWith<Sse2>(hay, length, needle, size);
}

const char *ByteSearch::last(const char *hay, size_t length, const char *needle, size_t size)
{
    if (size == 0 || size > length)
        return size == 0 ? hay + length : nullptr;
    if (size == 1)
        return static_cast<const char *>(memrchr(hay, needle[0], length));
    return HasAvx2 ? byteSearchLastAvx2(hay, length, needle, size) : lastWith<Sse2>(hay, length, needle, size);
}
