#pragma once

#include <cstddef>

// Finds a needle in a run of bytes: the first place, or the last. The walks of
// the search spend their time here.
namespace ByteSearch {
// nullptr when there is none.
const char *first(const char *hay, size_t length, const char *needle, size_t size);
const char *last(const char *hay, size_t length, const char *needle, size_t size);
}
