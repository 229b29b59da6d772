#include "config/backup_manager.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <algorithm>

#include "config/atomic_file.h"
#include "model/profile_name.h"
#include "platform/clock.h"

namespace orbel {

std::string_view rawValue(RestoreStrategy strategy) { return strategy == RestoreStrategy::merge ? "merge" : "replace"; }

namespace {

std::string describe(BackupManagerError::Kind kind, const std::string& payload) {
    using Kind = BackupManagerError::Kind;
    switch (kind) {
        case Kind::readFailed: return "Couldn't read the backup: " + payload;
        case Kind::writeFailed: return "Couldn't write the backup: " + payload;
        case Kind::applyFailed: return "Couldn't apply the backup: " + payload;
    }
    return payload;
}

}  // namespace

BackupManagerError::BackupManagerError(Kind kind, std::string payload)
    : Error(describe(kind, payload)), kind_(kind), payload_(std::move(payload)) {}

namespace BackupManager {

namespace {

[[noreturn]] void applyFailed(std::string text) { throw BackupManagerError(BackupManagerError::Kind::applyFailed, std::move(text)); }

std::string quoted(const std::string& name) { return "\"" + shownProfileName(name) + "\""; }

// Refuses, before anything is written, a backup whose profile names the
// store would not give a new profile.
void checkNames(const OrbelBackup& backup) {
    for (const auto& [name, config] : backup.profiles) {
        try {
            ProfileStore::checkNewName(name);
        } catch (const ProfileStoreError& e) {
            applyFailed("Couldn't restore profile " + quoted(name) + ": " + e.what());
        }
    }
}

// Refuses, before anything is written, a backup holding a configuration
// that would be rejected when used.
void checkConfigs(const OrbelBackup& backup, const ConfigManager& manager, bool withLive) {
    for (const auto& [name, config] : backup.profiles) {
        if (auto errors = manager.validate(ConfigManager::normalise(config)); !errors.empty())
            applyFailed("Couldn't restore profile " + quoted(name) + ": " + errors.front().what());
    }
    if (!withLive) return;
    if (auto errors = manager.validate(ConfigManager::normalise(backup.liveConfig)); !errors.empty())
        applyFailed(std::string("Couldn't restore the live configuration: ") + errors.front().what());
}

}  // namespace

std::string appVersion() {
    const std::string version = ORBEL_VERSION;
    return version.empty() ? "unknown" : version;
}

std::string defaultFileName(const QDateTime& date) {
    const QString day = QLocale::c().toString(date.toLocalTime().date(), QStringLiteral("yyyy-MM-dd"));
    return "orbel-backup-" + day.toStdString() + "." + kFileExtension;
}

BackupSnapshot makeBackup(const ConfigManager& manager) {
    BackupSnapshot snapshot;
    OrbelBackup& backup = snapshot.backup;
    const ProfileStore& store = manager.profileStore();
    for (const auto& name : store.list()) {
        try {
            backup.profiles.emplace(name, store.load(name));
        } catch (const std::exception& e) {
            snapshot.leftOut.push_back({name, e.what()});
        }
    }
    backup.appVersion = appVersion();
    backup.activeProfile = manager.activeProfile();
    backup.liveConfig = manager.config();
    backup.createdAt = platform::Clock::shared().secondsSince1970();
    backup.schemaVersion = OrbelBackup::kSchemaVersion;
    return snapshot;
}

void writeBackup(const OrbelBackup& backup, const std::string& path) {
    std::string bytes;
    try {
        bytes = backup.encode();
    } catch (const OrbelBackupCodecError& e) {
        // Already "Couldn't write this backup: " and the reason.
        throw BackupManagerError(BackupManagerError::Kind::writeFailed, e.what());
    }
    // No start looks into a folder the user picked: what an export killed
    // there left behind goes when the next export comes to it.
    removeStaleTemporariesBeside(path);
    if (auto failure = writeFileAtomically(path, bytes)) {
        throw BackupManagerError(BackupManagerError::Kind::writeFailed, *failure);
    }
}

std::string uniqueProfileName(const std::string& name, const std::set<std::string>& taken) {
    if (!taken.count(name)) return name;
    for (int n = 2; n <= 99; ++n) {
        std::string candidate = name + " " + std::to_string(n);
        if (!taken.count(candidate)) return candidate;
    }
    return name + " " + Uuid::random().toString().substr(0, 6);
}

MergeRestoreResult restoreMerge(const OrbelBackup& backup, ConfigManager& manager) {
    const ProfileStore& store = manager.profileStore();
    checkNames(backup);
    checkConfigs(backup, manager, false);
    // The stored profiles' names, so that " Work" in a backup never lands on Work.json.
    std::set<std::string> taken;
    for (const auto& name : store.list()) taken.insert(name);
    std::size_t files = taken.size();
    // While no profile is active the live configuration is the implicit
    // "Default", which a later switch stores under that name.
    if (!manager.activeProfile()) taken.insert(ConfigManager::kDefaultProfileName);
    MergeRestoreResult result;
    for (const auto& [name, config] : backup.profiles) {
        const std::string stored = normalisedProfileName(name);
        if (files >= static_cast<std::size_t>(ProfileStore::kLimit)) {
            // At the limit every further profile would need a new file.
            result.skipped.push_back(name);
            continue;
        }
        const std::string freeName = uniqueProfileName(stored, taken);
        try {
            manager.storeProfile(config, freeName);
        } catch (const std::exception& e) {
            applyFailed(e.what());
        }
        taken.insert(freeName);
        ++files;
        result.written.push_back(freeName);
        // "Work " stored as Work is no rename: that is the name it stands for.
        if (freeName != stored) result.renames.emplace_back(name, freeName);
    }
    return result;
}

std::vector<std::string> restoreReplace(const OrbelBackup& backup, ConfigManager& manager) {
    // Everything that could make the restore stop half-way is checked before
    // anything is written, and the files are replaced all or nothing.
    if (backup.profiles.size() > static_cast<std::size_t>(ProfileStore::kLimit)) {
        applyFailed("The backup holds " + std::to_string(backup.profiles.size()) + " profiles; at most " +
                    std::to_string(ProfileStore::kLimit) + " can be kept.");
    }
    checkNames(backup);
    std::set<std::string> files;
    for (const auto& [name, config] : backup.profiles) {
        if (!files.insert(normalisedProfileName(name)).second) {
            applyFailed("Couldn't restore profile " + quoted(name) + ": another profile in the backup has the same name.");
        }
    }
    checkConfigs(backup, manager, true);
    if (const auto failure = manager.replaceProfiles(backup.profiles)) {
        const bool removing = failure->step == ProfileStore::ReplaceFailure::Step::removing;
        applyFailed((removing ? "Couldn't remove existing profile " : "Couldn't restore profile ") +
                    quoted(failure->name) + ": " + failure->reason);
    }
    manager.clearActiveProfile();
    std::vector<std::string> restored;
    for (const auto& [name, config] : backup.profiles) restored.push_back(name);
    if (const auto refused = manager.applyConfig(backup.liveConfig))
        applyFailed(std::string("Profiles restored, but the live configuration was not: ") + refused->what());
    // The active name is the profile it normalises to (a name kept as typed,
    // "Work ", is the profile Work).
    const auto isActive = [&](const auto& profile) {
        return normalisedProfileName(profile.first) == normalisedProfileName(*backup.activeProfile);
    };
    if (backup.activeProfile && std::any_of(backup.profiles.begin(), backup.profiles.end(), isActive)) {
        try {
            manager.switchToProfile(*backup.activeProfile);
        } catch (const std::exception& e) {
            applyFailed("Profiles restored, but couldn't activate " + quoted(*backup.activeProfile) + ": " + e.what());
        }
    }
    return restored;
}

}  // namespace BackupManager

}  // namespace orbel
