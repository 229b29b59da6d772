#include "config/backup_manager.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

#include "config/atomic_file.h"
#include "model/text.h"
#include "platform/clock.h"

namespace orbel {

std::string_view rawValue(RestoreStrategy strategy) { return strategy == RestoreStrategy::merge ? "merge" : "replace"; }

BackupManagerError::BackupManagerError(Kind kind, std::string payload) : kind_(kind), payload_(std::move(payload)) {
    switch (kind_) {
        case Kind::readFailed: description_ = "Couldn't read the backup: " + payload_; break;
        case Kind::writeFailed: description_ = "Couldn't write the backup: " + payload_; break;
        case Kind::applyFailed: description_ = "Couldn't apply the backup: " + payload_; break;
    }
}

namespace BackupManager {

namespace {

[[noreturn]] void applyFailed(std::string text) { throw BackupManagerError(BackupManagerError::Kind::applyFailed, std::move(text)); }

// What a profile name becomes on disk: the store trims spaces and tabs.
std::string fileName(const std::string& name) { return text::trimSpacesAndTabs(name); }

std::string describe(const std::exception& e) { return e.what(); }

}  // namespace

std::string appVersion() {
    const std::string version = ORBEL_VERSION;
    return version.empty() ? "unknown" : version;
}

std::string defaultFileName(const QDateTime& date) {
    const QString day = QLocale::c().toString(date.toLocalTime().date(), QStringLiteral("yyyy-MM-dd"));
    return "orbel-backup-" + day.toStdString() + "." + kFileExtension;
}

OrbelBackup makeBackup(const ConfigManager& manager) {
    OrbelBackup backup;
    const ProfileStore& store = manager.profileStore();
    for (const auto& name : store.list()) {
        try {
            backup.profiles.emplace(name, store.load(name));
        } catch (const std::exception&) {
            // An unreadable profile is left out of the backup.
        }
    }
    backup.appVersion = appVersion();
    backup.activeProfile = manager.activeProfile();
    backup.liveConfig = manager.config();
    backup.createdAt = platform::Clock::shared().secondsSince1970();
    backup.schemaVersion = OrbelBackup::kSchemaVersion;
    return backup;
}

void writeBackup(const OrbelBackup& backup, const std::string& path) {
    std::string bytes;
    try {
        bytes = backup.encode();
    } catch (const std::exception& e) {
        throw BackupManagerError(BackupManagerError::Kind::writeFailed,
                                 OrbelBackupCodecError::encodeFailed(e.what()).message());
    }
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
    // Names as they are on disk, so that " Work" in a backup never lands on Work.json.
    std::set<std::string> taken;
    for (const auto& name : store.list()) taken.insert(name);
    MergeRestoreResult result;
    for (const auto& [name, config] : backup.profiles) {
        const std::string stored = fileName(name);
        if (taken.size() >= static_cast<std::size_t>(ProfileStore::kLimit)) {
            // At the limit every further profile would need a new file.
            result.skipped.push_back(name);
            continue;
        }
        const std::string freeName = uniqueProfileName(stored, taken);
        try {
            store.save(config, freeName);
        } catch (const std::exception& e) {
            applyFailed(describe(e));
        }
        taken.insert(freeName);
        result.written.push_back(freeName);
        if (freeName != name) result.renames.emplace_back(name, freeName);
    }
    return result;
}

std::vector<std::string> restoreReplace(const OrbelBackup& backup, ConfigManager& manager) {
    const ProfileStore& store = manager.profileStore();
    // Everything that could make the restore stop half-way is checked before
    // anything is deleted.
    if (backup.profiles.size() > static_cast<std::size_t>(ProfileStore::kLimit)) {
        applyFailed("The backup holds " + std::to_string(backup.profiles.size()) + " profiles; at most " +
                    std::to_string(ProfileStore::kLimit) + " can be kept.");
    }
    std::set<std::string> files;
    for (const auto& [name, config] : backup.profiles) {
        try {
            store.url(name);
        } catch (const std::exception& e) {
            applyFailed("Couldn't restore profile \"" + name + "\": " + describe(e));
        }
        if (!files.insert(fileName(name)).second) {
            applyFailed("Couldn't restore profile \"" + name + "\": another profile in the backup has the same name.");
        }
    }

    manager.clearActiveProfile();
    for (const auto& name : store.list()) {
        try {
            store.remove(name);
        } catch (const std::exception& e) {
            applyFailed("Couldn't remove existing profile \"" + name + "\": " + describe(e));
        }
    }
    std::vector<std::string> restored;
    for (const auto& [name, config] : backup.profiles) {
        try {
            store.save(config, name);
        } catch (const std::exception& e) {
            applyFailed("Couldn't restore profile \"" + name + "\": " + describe(e));
        }
        restored.push_back(name);
    }
    manager.applyConfig(backup.liveConfig);
    if (backup.activeProfile && backup.profiles.count(*backup.activeProfile)) {
        try {
            manager.switchToProfile(*backup.activeProfile);
        } catch (const std::exception& e) {
            applyFailed("Profiles restored, but couldn't activate \"" + *backup.activeProfile + "\": " + describe(e));
        }
    }
    return restored;
}

}  // namespace BackupManager

}  // namespace orbel
