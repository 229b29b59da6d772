// Preloaded into `orbel` by a system test: every file behaves as on a mount
// that has no hard links, no rename flags and no unnamed temporary files
// (some FUSE and network mounts): link() and linkat() fail with EPERM,
// renameat2() with any flag fails with EINVAL, and an open with O_TMPFILE
// fails with EOPNOTSUPP, as such mounts answer. Everything else is left as
// it is.
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>

#include "preload.h"

namespace {

using orbel_preload::next;

bool unnamed(int flags) { return (flags & O_TMPFILE) == O_TMPFILE; }

}  // namespace

extern "C" {

int link(const char*, const char*) { return errno = EPERM, -1; }
int linkat(int, const char*, int, const char*, int) { return errno = EPERM, -1; }

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    static auto real = next<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    return flags != 0 ? (errno = EINVAL, -1) : real(fromDir, from, toDir, to, flags);
}

#define ORBEL_BARE_OPEN(name)                                              \
    int name(const char* path, int flags, ...) {                           \
        static auto real = next<int (*)(const char*, int, ...)>(#name);    \
        ORBEL_MODE_AFTER(flags)                                            \
        if (unnamed(flags)) return errno = EOPNOTSUPP, -1;                 \
        return real(path, flags, mode);                                    \
    }
ORBEL_BARE_OPEN(open)
ORBEL_BARE_OPEN(open64)

#define ORBEL_BARE_OPENAT(name)                                                 \
    int name(int dir, const char* path, int flags, ...) {                       \
        static auto real = next<int (*)(int, const char*, int, ...)>(#name);    \
        ORBEL_MODE_AFTER(flags)                                                 \
        if (unnamed(flags)) return errno = EOPNOTSUPP, -1;                      \
        return real(dir, path, flags, mode);                                    \
    }
ORBEL_BARE_OPENAT(openat)
ORBEL_BARE_OPENAT(openat64)

}  // extern "C"
