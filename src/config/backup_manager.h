#pragma once

// Backups of the whole set-up: the live configuration, every profile and the
// active profile's name; and their restore by merge or by replace.

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "config/config_manager.h"
#include "config/orbel_backup.h"

namespace orbel {

enum class RestoreStrategy { merge, replace };
std::string_view rawValue(RestoreStrategy strategy);

// what() is "Couldn't read the backup: ", "Couldn't write the backup: " or
// "Couldn't apply the backup: " followed by the payload.
class BackupManagerError : public Error {
public:
    enum class Kind { readFailed, writeFailed, applyFailed };
    BackupManagerError(Kind kind, std::string payload);
    Kind kind() const { return kind_; }
    const std::string& payload() const { return payload_; }
    bool operator==(const BackupManagerError& o) const { return kind_ == o.kind_ && payload_ == o.payload_; }

private:
    Kind kind_;
    std::string payload_;
};

struct MergeRestoreResult {
    std::vector<std::string> written;
    std::vector<std::pair<std::string, std::string>> renames;  // (name in the backup, name stored)
    std::vector<std::string> skipped;
    bool operator==(const MergeRestoreResult&) const = default;
};

// A stored profile that could not be read, so is not in a backup.
struct LeftOutProfile {
    std::string name;
    std::string reason;
    bool operator==(const LeftOutProfile&) const = default;
};

// What a backup holds, and every stored profile it could not hold: whoever
// reports the backup names those, since a Replace restore from it would
// delete them.
struct BackupSnapshot {
    OrbelBackup backup;
    std::vector<LeftOutProfile> leftOut;
};

namespace BackupManager {

inline constexpr const char* kFileExtension = "orbelbackup";

BackupSnapshot makeBackup(const ConfigManager& manager);
std::string appVersion();
// "orbel-backup-yyyy-MM-dd.orbelbackup" in local time.
std::string defaultFileName(const QDateTime& date);
void writeBackup(const OrbelBackup& backup, const std::string& path);
MergeRestoreResult restoreMerge(const OrbelBackup& backup, ConfigManager& manager);
std::vector<std::string> restoreReplace(const OrbelBackup& backup, ConfigManager& manager);
std::string uniqueProfileName(const std::string& name, const std::set<std::string>& taken);

}  // namespace BackupManager

}  // namespace orbel
