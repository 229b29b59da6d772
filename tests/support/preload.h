#pragma once

// What the libraries the tests preload share: the next definition of a
// function they stand in for, and the mode argument of an open.

#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>

namespace orbel_preload {

template <class F>
F next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// A mode is passed only with O_CREAT or O_TMPFILE.
inline bool takesMode(int flags) { return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE; }

}  // namespace orbel_preload

// The mode argument of an open, read only where the flags say one was passed.
#define ORBEL_MODE_AFTER(flags)                                               \
    mode_t mode = 0;                                                          \
    if (orbel_preload::takesMode(flags)) {                                    \
        va_list args;                                                         \
        va_start(args, flags);                                                \
        mode = mode_t(va_arg(args, int));                                     \
        va_end(args);                                                         \
    }
