#pragma once

// Whole-file writes that never leave a truncated file behind: the bytes go to
// a temporary file in the same folder, are synced, and replace the target in
// one rename. A failed write leaves the previous file (if any) untouched.
// And the stamp that tells whether a file may have changed without reading it.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orbel {

// Nothing on success, else a short description of the failure. A link at
// `path` is followed: its target is replaced, and the permissions of a file
// replaced are kept. `beforeReplace` runs once the new bytes are synced, right
// before the rename; when it answers false the target is left as it is and a
// failure is returned.
[[nodiscard]] std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view bytes,
                                                             const std::function<bool()>& beforeReplace = {});

// What a file is without its bytes: which file (device and inode), its size
// and when it was last modified. A write in place keeps the file but changes
// the time; a save by rename changes the file.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    // The modification was already a while past when the stamp was taken, so
    // that any later write shows as a later time. A file written moments
    // before may be written again within the same tick of the file system's
    // clock, unseen: such a stamp proves nothing.
    bool settled = false;

    // Nothing when nothing is at the path (links followed).
    static std::optional<FileStamp> of(const std::string& path);
    // Whether the file is known, without reading it, to hold what it held
    // when `earlier` was taken.
    bool unchangedSince(const FileStamp& earlier) const {
        return earlier.settled && device == earlier.device && inode == earlier.inode && size == earlier.size &&
               modifiedNs == earlier.modifiedNs;
    }
};

}  // namespace orbel
