#pragma once

// AddressSanitizer reserves its shadow memory as address space up front: a
// limit on a helper's address space would stop a sanitized build before it
// starts, so such a build runs its helpers without one.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool LimitsAddressSpace = false;
#else
inline constexpr bool LimitsAddressSpace = true;
#endif
