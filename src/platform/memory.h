#pragma once

// Hands memory freed by the process back to the system where the C library
// can (glibc keeps freed pages otherwise); nothing elsewhere.

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace orbel::platform {

inline void returnFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

}  // namespace orbel::platform
