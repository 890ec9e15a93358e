#pragma once

// The search loops, for a vector width given by Simd (Sse2 or Avx2, each in a
// file compiled for its instruction set). Internal to those files: everything
// here has internal linkage, so no file's copy is ever used by the other.
#include <cstring>

namespace {
bool matchesRest(const char *at, const char *needle, size_t size)
{
    return std::memcmp(at + 1, needle + 1, size - 2) == 0;
}

// Tests Width places at once for the needle's first and last byte and compares
// only those candidates in full.
template <class Simd> const char *firstWith(const char *hay, size_t length, const char *needle, size_t size)
{
    const auto first = Simd::splat(needle[0]), last = Simd::splat(needle[size - 1]);
    size_t i = 0;
    for (; i + size - 1 + Simd::Width <= length; i += Simd::Width) {
        for (unsigned mask = Simd::candidates(hay + i, size - 1, first, last); mask; mask &= mask - 1) {
            const char *at = hay + i + unsigned(__builtin_ctz(mask));
            if (matchesRest(at, needle, size))
                return at;
        }
    }
    return static_cast<const char *>(memmem(hay + i, length - i, needle, size));
}

// The same from the end: blocks are taken backwards, candidates highest first.
template <class Simd> const char *lastWith(const char *hay, size_t length, const char *needle, size_t size)
{
    const auto first = Simd::splat(needle[0]), last = Simd::splat(needle[size - 1]);
    size_t end = length - size + 1; // one past the last candidate place
    for (; end >= Simd::Width; end -= Simd::Width) {
        const size_t start = end - Simd::Width;
        for (unsigned mask = Simd::candidates(hay + start, size - 1, first, last); mask;) {
            const unsigned bit = 31u - unsigned(__builtin_clz(mask));
            if (matchesRest(hay + start + bit, needle, size))
                return hay + start + bit;
            mask &= ~(1u << bit);
        }
    }
    for (size_t at = end; at-- > 0;) {
        if (hay[at] == needle[0] && std::memcmp(hay + at, needle, size) == 0)
            return hay + at;
    }
    return nullptr;
}
}
