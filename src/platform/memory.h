#pragma once

// Hands memory freed by the process back to the system where the C library
// can (glibc keeps freed pages otherwise); nothing elsewhere.

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace orbel::platform {

// One pool of memory for every thread of the program. Its helper threads
// allocate little and briefly, and a pool of their own each would keep
// what they freed (a picture made on another thread) out of reach of
// returnFreedMemory. Call first thing, before any thread starts.
inline void useOneMemoryPool() {
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 1);
#endif
}

inline void returnFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

}  // namespace orbel::platform
