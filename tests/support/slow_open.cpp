// Preloaded into a test run (LD_PRELOAD, see scripts/slow-open), this makes
// every open of a desktop entry or an application list (a path ending in
// ".desktop" or ".list": mimeapps.list, defaults.list, xdg-terminals.list)
// take 40 ms more, as on a loaded machine or a home folder on the network.
// Tests that wait for what they assert pass with it; tests that assert at a
// moment that usually suffices fail.
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#include "preload.h"

namespace {

bool slowed(const char* path) {
    if (!path) return false;
    const size_t n = strlen(path);
    const auto endsWith = [&](const char* suffix) {
        const size_t s = strlen(suffix);
        return n >= s && memcmp(path + n - s, suffix, s) == 0;
    };
    return endsWith(".desktop") || endsWith(".list");
}

void delay(const char* path) {
    if (!slowed(path)) return;
    timespec left{0, 40'000'000};
    while (nanosleep(&left, &left) != 0) {
    }
}

using orbel_preload::next;

}  // namespace

extern "C" {

#define ORBEL_SLOW_OPEN(name)                                                 \
    int name(const char* path, int flags, ...) {                              \
        static auto real = next<int (*)(const char*, int, ...)>(#name);       \
        ORBEL_MODE_AFTER(flags)                                               \
        delay(path);                                                          \
        return real(path, flags, mode);                                       \
    }
ORBEL_SLOW_OPEN(open)
ORBEL_SLOW_OPEN(open64)

#define ORBEL_SLOW_OPENAT(name)                                               \
    int name(int dir, const char* path, int flags, ...) {                     \
        static auto real = next<int (*)(int, const char*, int, ...)>(#name);  \
        ORBEL_MODE_AFTER(flags)                                               \
        delay(path);                                                          \
        return real(dir, path, flags, mode);                                  \
    }
ORBEL_SLOW_OPENAT(openat)
ORBEL_SLOW_OPENAT(openat64)

// The checked forms a fortified build calls.
int __open_2(const char* path, int flags) {
    static auto real = next<int (*)(const char*, int)>("__open_2");
    delay(path);
    return real(path, flags);
}
int __open64_2(const char* path, int flags) {
    static auto real = next<int (*)(const char*, int)>("__open64_2");
    delay(path);
    return real(path, flags);
}
int __openat_2(int dir, const char* path, int flags) {
    static auto real = next<int (*)(int, const char*, int)>("__openat_2");
    delay(path);
    return real(dir, path, flags);
}

FILE* fopen(const char* path, const char* mode) {
    static auto real = next<FILE* (*)(const char*, const char*)>("fopen");
    delay(path);
    return real(path, mode);
}
FILE* fopen64(const char* path, const char* mode) {
    static auto real = next<FILE* (*)(const char*, const char*)>("fopen64");
    delay(path);
    return real(path, mode);
}

}  // extern "C"
