#pragma once

// The user's named profiles: one configuration document per file in the
// profiles folder, at most six. No cache: every call goes to the disk.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "config/orbel_backup.h"
#include "model/app_config.h"
#include "model/error.h"

namespace orbel {

// what() is a short text without a prefix, so that it reads well after a
// caller's "Couldn't restore profile "Work": ".
class ProfileStoreError : public Error {
public:
    enum class Kind { invalidName, alreadyExists, notFound, io, atCap };

    ProfileStoreError(Kind kind, std::string payload = {});
    Kind kind() const { return kind_; }
    // invalidName: the message to show; alreadyExists/notFound: the name as
    // passed; io: the description of the underlying failure; atCap: empty.
    const std::string& payload() const { return payload_; }
    bool operator==(const ProfileStoreError& other) const { return kind_ == other.kind_ && payload_ == other.payload_; }

private:
    Kind kind_;
    std::string payload_;
};

class ProfileStore {
public:
    static constexpr int kLimit = 6;
    // A larger file is refused unread (a backup holds them all).
    static constexpr long long kMaxFileBytes = OrbelBackup::kMaxFileBytes;

    // The default folder is <configuration folder>/profiles; it is created
    // by the first save.
    ProfileStore();
    explicit ProfileStore(std::string directory);

    const std::string& directory() const { return directory_; }

    // The profiles: regular files named "<name>.json", each under the name
    // that reaches it (see url()); sorted; never fails.
    std::vector<std::string> list() const;
    // What the folder holds: each profile with its file, and the profile
    // files no name reaches ("Work .json" beside "Work.json", " .json"),
    // which are left where they are and out of the list.
    struct Listing {
        struct Profile {
            std::string name;
            std::string file;  // its file name in the folder
        };
        std::vector<Profile> profiles;     // sorted by name
        std::vector<std::string> unlisted;  // file names, sorted
    };
    Listing scan() const;
    // Whether anything is at the profile's file (after the name checks).
    bool contains(const std::string& name) const;
    // Reads without ever waiting on the file (a FIFO or a device is refused
    // with io, as is a file larger than kMaxFileBytes).
    AppConfig load(const std::string& name) const;
    // The profile's icon alone (the rest of the file is checked, not built);
    // nothing when it has none or an unusable one. Fails as load() does on a
    // missing, unreadable or broken file.
    std::optional<SlotIcon> loadIcon(const std::string& name) const;
    // The writer of a profile's file. The application writes profiles
    // through ConfigManager only, which validates first.
    void save(const AppConfig& config, const std::string& name) const;
    void remove(const std::string& name) const;  // "delete"
    void duplicate(const std::string& source, const std::string& destination) const;
    // The file of a profile, after the name checks (invalidName only): the
    // file named after the name with spaces and tabs trimmed, or, when
    // nothing is there, a file whose name trims to the same (" Home.json"
    // is the profile Home; the first in byte order when there are several).
    std::string url(const std::string& name) const;
    // The checks a name passes before it names a new profile: url()'s, and
    // no control or direction characters (hasControlCharacters), which a
    // name already stored may hold. Throws invalidName.
    static void checkNewName(const std::string& name);
    void ensureDirectory() const;
    // Removes what saves of profiles killed half-way left in the folder
    // (see orbel::removeStaleTemporaries).
    void removeStaleTemporaries() const;

    // Replaces every profile with `profiles`, all or nothing. The new files
    // are written in a hidden folder first; only when all are written are the
    // old ones moved aside and the new ones moved in, and on any failure the
    // old ones are put back. Says which profile failed, and at which step.
    struct ReplaceFailure {
        enum class Step { writing, removing };
        Step step;
        std::string name;
        std::string reason;
    };
    std::optional<ReplaceFailure> replaceAll(const std::map<std::string, AppConfig>& profiles) const;

private:
    std::string directory_;
};

}  // namespace orbel
