// Preloaded into `orbel` by a system test (as scripts/slow-open preloads its
// shim): another program's save lands in config.json at the moment Orbel
// exchanges its own save in, and right after that exchange the file system
// turns read-only (or fails).
//   ORBEL_TEST_OUTSIDE_SAVE  a file; once it exists, the next exchange
//                            (renameat2 RENAME_EXCHANGE) onto a file named
//                            config.json first writes its bytes into
//                            config.json in place
//   ORBEL_TEST_RENAME_ERRNO  the error every rename in that folder fails with
//                            from then on (a number; EROFS when unset)
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <atomic>
#include <string>
#include <unistd.h>

#include "preload.h"

namespace {

std::string folderOf(const char* path) {
    const std::string p = path ? path : "";
    const auto slash = p.rfind('/');
    return slash == std::string::npos ? std::string() : p.substr(0, slash);
}

bool namedConfig(const char* path) {
    const std::string p = path ? path : "";
    return p == "config.json" || (p.size() > 12 && p.compare(p.size() - 12, 12, "/config.json") == 0);
}

std::string readOutsideSave() {
    const char* name = getenv("ORBEL_TEST_OUTSIDE_SAVE");
    std::string bytes;
    FILE* f = name ? fopen(name, "rb") : nullptr;
    if (!f) return bytes;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

// The folder of config.json, set once the exchange has happened (saves may
// run on another thread than the one that renames other files).
std::string failingFolder;
std::atomic<bool> failing{false};

// Fails (-1, errno set) a rename touching the failing folder.
bool fails(const char* from, const char* to) {
    if (!failing.load(std::memory_order_acquire) ||
        (folderOf(from) != failingFolder && folderOf(to) != failingFolder))
        return false;
    const char* code = getenv("ORBEL_TEST_RENAME_ERRNO");
    errno = code ? atoi(code) : EROFS;
    return true;
}

using orbel_preload::next;

}  // namespace

extern "C" {

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    static auto real = next<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    if (fails(from, to)) return -1;
    const bool landing = !failing.load(std::memory_order_acquire) && (flags & RENAME_EXCHANGE) && namedConfig(to);
    const std::string outside = landing ? readOutsideSave() : std::string();
    if (!outside.empty()) {
        const int fd = openat(toDir, to, O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd >= 0) {
            (void)!write(fd, outside.data(), outside.size());
            close(fd);
        }
    }
    const int result = real(fromDir, from, toDir, to, flags);
    if (!outside.empty() && result == 0) {
        failingFolder = folderOf(to);
        failing.store(true, std::memory_order_release);
    }
    return result;
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    static auto real = next<int (*)(int, const char*, int, const char*)>("renameat");
    return fails(from, to) ? -1 : real(fromDir, from, toDir, to);
}

int rename(const char* from, const char* to) {
    static auto real = next<int (*)(const char*, const char*)>("rename");
    return fails(from, to) ? -1 : real(from, to);
}

}  // extern "C"
