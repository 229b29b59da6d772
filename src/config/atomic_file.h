#pragma once

// Whole-file writes that never leave a truncated file behind: the bytes go to
// a temporary file in the same folder, are synced, and take the target's
// place in one rename. A failed write leaves the previous file (if any)
// untouched. And the stamp that tells whether a file may have changed without
// reading it.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct stat;

namespace orbel {

struct FileStamp;

// A rename within one file system, as renameat2(2) takes it (0,
// RENAME_EXCHANGE or RENAME_NOREPLACE): 0, or -1 with errno set.
using RenameCall = std::function<int(const char* from, const char* to, unsigned flags)>;
// A hard link, as link(2) takes it: 0, or -1 with errno set.
using LinkCall = std::function<int(const char* existing, const char* name)>;
// A lock request, as flock(2) takes it: 0, or -1 with errno set.
using LockCall = std::function<int(int fd, int operation)>;

// What a write may check at the moment the new file takes the target's place.
struct ReplaceGuard {
    // Runs right before the new file takes the target's place (tests: where
    // another program's save can land).
    std::function<void()> beforeSwap;
    // Whether the file at the given path, the one the new file replaces,
    // still holds what the caller last read or wrote. Where the file system
    // can exchange two names in one step it is asked after the exchange,
    // about the file just taken out; when the answer is no, that file is
    // put back in its place (the other program's save is never lost) and the
    // new one removed. Elsewhere it is asked right before the rename. Not
    // asked when no file was there. `swappedOut`: the file was renamed by
    // the exchange, which moved its change time, and a stamp cannot tell an
    // edit in place whose modification time was put back: only its bytes can.
    std::function<bool(const std::string& path, bool swappedOut)> unchanged;
    // The bytes `unchanged` takes for unchanged (what the caller last read
    // or wrote), when the caller has them. Their digest and that of the new
    // bytes are in the name the new file takes before the exchange, so that
    // a start after a save killed half-way tells Orbel's own file left
    // there from another program's save (clearInterruptedSaves).
    std::optional<std::string_view> known;
    // Asked about the file the exchange took out once `unchanged` said yes:
    // whether its writer may still be writing into it. Such a file is not
    // removed but kept aside (under `keepAs` when given and free, else under
    // the name of a file told about) and reported through `keptAside`; the
    // write succeeds.
    std::function<bool(const std::string& path)> keep;
    std::string keepAs;
    // Set when `unchanged` said no (the write then fails).
    bool* displaced = nullptr;
    // Set to the stamp of the file written, taken from the file itself once
    // it is in place.
    std::optional<FileStamp>* written = nullptr;
    // Set when a file holding another program's save could not be put (back)
    // in its place: where it is kept, under a name no sweep removes, and the
    // system's reason. The write succeeds when the file taken out could not
    // be put back (the new file stays in place), and fails when a later save
    // written into the new one could not be put in place.
    struct KeptAside {
        std::string path;
        std::string why;
    };
    std::optional<KeptAside>* keptAside = nullptr;
    // Tests: stands in for renameat2(2), as a file system that refuses an
    // exchange (NFS, many FUSE mounts) or a failing one would answer.
    RenameCall rename;
    // Tests: stands in for link(2), as a file system without hard links
    // (FAT, some FUSE and network mounts) would answer.
    LinkCall link;
};

// The reason a file kept aside because its writer may still be writing into
// it gives (ReplaceGuard::keep).
inline constexpr const char* kKeptWhileWritten = "it was still being written by another program";

// Nothing on success, else a short description of the failure. A link at
// `path` is followed: its target is replaced, and the permissions of a file
// replaced are kept. The temporary file is named
// ".orbel-save-<process id>-<random>.tmp", whatever the target's name (so
// that the longest name a file system takes can be saved), and is locked
// (flock) by its writer while the save runs. Where `unchanged` is given, the
// new file takes a name no sweep of temporary files removes
// ("<target>.kept-<random>-<digests>", see `known`) right before it takes
// the target's place, so that the file it replaces, which may hold another
// program's save, is never left under a name such a sweep removes: also when
// the file system fails (read-only, I/O errors) before it could be put back.
// A file kept aside and told (`keptAside`, or the failure) is named
// "<target>.kept-<random>" where the file system lets it. A file system that can neither rename without replacing
// nor link (some FUSE and network mounts) cannot exchange either: there the
// file in place is checked right before a plain rename replaces it.
[[nodiscard]] std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view bytes,
                                                             const ReplaceGuard& guard = {});

// Clears what saves of `path` (a link followed) that were killed or failed
// half-way left beside it under the names they take aside: a file holding
// the bytes the file at `path` holds, the bytes its save was writing, or
// those it knew the file it replaced to hold, is removed. Every other one
// may hold another program's save: it is given the name of a file told
// about ("<target>.kept-<random>", which no later call names again), and its
// path is returned, to be told. A file changed within the settle time, which
// a save may still be renaming, is left for a later start.
std::vector<std::string> clearInterruptedSaves(const std::string& path);

// Whether `candidate` is a name a save of `path` gives a file it keeps aside
// and tells: "<target>.kept-<random>" beside config.json or beside the file a
// link at `path` leads to, as a whole, clean path. Nothing else is Orbel's
// to remove.
bool isKeptAsideName(const std::string& path, const std::string& candidate);

// Removes from `folder` what saves killed half-way left there: regular files
// named as writeFileAtomically names its temporary files, and only those no
// save can still be writing: not locked by a writer, unchanged for a while
// by the Clock (a rename moves the change time, so a file an exchange has
// just taken out stays), and written by a process that is gone, or unchanged
// for an hour (a process id taken again, or one of another pid namespace).
// Nothing else, and nothing in the folders inside.
// The check for a writer's lock asks for a shared lock, which a descriptor
// opened for reading can take also where locks are kept by a server (NFS,
// SMB); `lock` stands in for flock(2) in tests.
void removeStaleTemporaries(const std::string& folder, const LockCall& lock = {});
// The same, in the folder of `path` and in that of the file a write to it
// replaces, when a link leads elsewhere.
void removeStaleTemporariesBeside(const std::string& path);

// What a file is without its bytes: which file (device and inode), its size,
// when it was last modified and when its inode last changed. A write in place
// keeps the file but changes the times; a save by rename changes the file; a
// modification time put back (cp -p, touch -r) still moves the change time.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    // Both times were already a while past when the stamp was taken (by the
    // Clock, so that tests can move it), so that any later change shows as a
    // later change time. A file changed moments before may be changed again
    // within the same tick of the file system's clock, unseen: such a stamp
    // proves nothing.
    bool settled = false;
    // How long a file must be left alone before its stamp proves something,
    // and before it is taken as written whole.
    static constexpr double kSettleSeconds = 2;

    // Nothing when nothing is at the path (links followed).
    static std::optional<FileStamp> of(const std::string& path);
    static FileStamp of(const struct stat& info);
    // Whether the file is known, without reading it, to hold what it held
    // when `earlier` was taken.
    // `renamed`: the file was renamed since, which moves the change time
    // alone; an edit then shows only as a later modification time, and not
    // at all when that time was put back.
    bool unchangedSince(const FileStamp& earlier, bool renamed = false) const {
        return earlier.settled && sameAs(earlier, renamed);
    }
    // The same file with the same size and times, whenever taken.
    bool sameAs(const FileStamp& other, bool renamed = false) const {
        return device == other.device && inode == other.inode && size == other.size &&
               modifiedNs == other.modifiedNs && (renamed || changedNs == other.changedNs);
    }
    // Whether the file changed within the settle time before now, by the
    // Clock: another program may still be writing it. (`renamed`: only the
    // modification time counts.) A time further ahead of the Clock than that
    // comes from a clock that disagrees with ours and tells nothing.
    bool changedLately(bool renamed = false) const;
    // When it will have been left alone for the settle time, in seconds
    // since 1970 by the file system's clock.
    double quietAt() const;
};

}  // namespace orbel
