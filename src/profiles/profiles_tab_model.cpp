#include "profiles/profiles_tab_model.h"

#include <QFileInfo>
#include <algorithm>

#include "config/config_error.h"
#include "model/profile_name.h"
#include "platform/peer_file.h"

namespace orbel {

namespace {

constexpr const char* kDefault = ConfigManager::kDefaultProfileName;

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string plural(std::size_t n, const char* word) { return std::to_string(n) + word + (n == 1 ? "" : "s"); }

// A name inside a message, as every message shows it.
std::string quoted(const std::string& name) { return "\"" + shownProfileName(name) + "\""; }

std::string alreadyExists(const std::string& name) { return "A profile named " + quoted(name) + " already exists."; }

}  // namespace

ProfilesTabModel::ProfilesTabModel(ConfigManager& manager, ImportCoordinator& imports)
    : manager_(manager), imports_(imports) {}

void ProfilesTabModel::reload() {
    const ProfileStore& store = manager_.profileStore();
    ProfileStore::Listing listing = store.scan();
    profiles_.clear();
    for (auto& profile : listing.profiles) profiles_.push_back(std::move(profile.name));
    unlistedFiles_ = std::move(listing.unlisted);
    std::map<std::string, SlotIcon> icons;
    for (const auto& name : profiles_) {
        try {
            if (auto icon = store.loadIcon(name)) icons.emplace(name, *icon);
        } catch (const std::exception&) {
        }
    }
    profileIcons_ = std::move(icons);
}

bool ProfilesTabModel::usesImplicitDefault() const { return !storedActiveName() && !contains(profiles_, kDefault); }

std::vector<std::string> ProfilesTabModel::displayedProfiles() const {
    std::vector<std::string> rows;
    if (usesImplicitDefault()) rows.emplace_back(kDefault);
    rows.insert(rows.end(), profiles_.begin(), profiles_.end());
    return rows;
}

bool ProfilesTabModel::isImplicitDefaultRow(const std::string& name) const {
    return name == kDefault && usesImplicitDefault();
}

bool ProfilesTabModel::isActive(const std::string& name) const {
    if (isImplicitDefaultRow(name)) return true;
    const auto active = storedActiveName();
    return active && *active == name;
}

std::string ProfilesTabModel::badgeText() const {
    return std::to_string(displayedProfiles().size()) + " / " + std::to_string(kCap);
}

std::string ProfilesTabModel::newButtonHelp() const {
    return atCap() ? "Profile limit reached (6) — delete one to add another"
                   : "Save the current configuration as a new profile";
}

std::string ProfilesTabModel::deleteHelp(bool active) {
    return active ? "Switch to another profile before deleting this one" : "Delete this profile";
}

std::string ProfilesTabModel::deleteMessage(const std::string& name) {
    return quoted(name) + " will be permanently removed. This can't be undone.";
}

std::string ProfilesTabModel::deleteButton(const std::string& name) { return "Delete " + quoted(name); }

std::string ProfilesTabModel::unlistedNotice(const std::vector<std::string>& files) {
    if (files.empty()) return {};
    std::string text = files.size() == 1 ? "Not listed, as no profile name leads to it:"
                                         : "Not listed, as no profile name leads to them:";
    for (std::size_t i = 0; i < files.size(); ++i) text += (i ? ", " : " ") + quoted(files[i]);
    return text + (files.size() == 1 ? ". To use it, rename the file" : ". To use them, rename the files") +
           " in the profiles folder.";
}

void ProfilesTabModel::beginCreate() {
    newProfileName.clear();
    errorMessage_.reset();
    showingCreatePopover = true;
}

bool ProfilesTabModel::canSaveNewProfile() const { return !normalisedProfileName(newProfileName).empty(); }

bool ProfilesTabModel::createProfile() {
    const std::string name = normalisedProfileName(newProfileName);
    if (name.empty()) return false;
    // Saving over a stored profile would silently replace it; the implicit
    // row's "Default" is taken too.
    if (contains(profiles_, name) || isImplicitDefaultRow(name) ||
        contains(manager_.profileStore().list(), name)) {
        fail(alreadyExists(name));
        return false;
    }
    try {
        if (usesImplicitDefault()) manager_.ensureDefaultProfile();
        manager_.storeProfile(manager_.config(), name);
    } catch (const ProfileStoreError& e) {
        if (e.kind() == ProfileStoreError::Kind::invalidName) fail(e.payload());
        else if (e.kind() == ProfileStoreError::Kind::atCap)
            fail("Profile limit reached (6). Delete one before saving a new profile.");
        else fail(e.what());
        reload();  // "Default" may have been written
        return false;
    } catch (const std::exception& e) {
        fail(e.what());
        reload();
        return false;
    }
    newProfileName.clear();
    errorMessage_.reset();
    showingCreatePopover = false;
    reload();
    return true;
}

void ProfilesTabModel::switchProfile(const std::string& name) {
    try {
        // Switching away from the unsaved live configuration keeps it as
        // "Default" first, so that nothing is lost.
        manager_.switchToProfileKeepingLive(name);
    } catch (const ProfileStoreError& e) {
        if (e.kind() == ProfileStoreError::Kind::notFound) fail("Profile " + quoted(e.payload()) + " not found.");
        else fail(e.what());
        return;
    } catch (const std::exception& e) {
        fail(e.what());
        return;
    }
    reload();
}

void ProfilesTabModel::deleteProfile(const std::string& name) {
    try {
        manager_.deleteProfile(name);
    } catch (const std::exception& e) {
        fail(e.what());
        return;
    }
    reload();
}

std::optional<SlotIcon> ProfilesTabModel::iconFor(const std::string& name) const {
    if (isImplicitDefaultRow(name)) return manager_.config().profileIcon;
    auto it = profileIcons_.find(name);
    return it == profileIcons_.end() ? std::nullopt : std::optional<SlotIcon>(it->second);
}

void ProfilesTabModel::updateIcon(const std::optional<SlotIcon>& icon, const std::string& name) {
    try {
        // A stored profile that cannot be loaded (corrupt, or removed since
        // the last reload) is reported; it is never rewritten from the live
        // configuration.
        if (!isActive(name)) (void)manager_.profileStore().load(name);
        manager_.setProfileIcon(name, icon);
    } catch (const std::exception& e) {
        fail(std::string("Could not update icon: ") + e.what());
        return;
    }
    if (icon) profileIcons_.insert_or_assign(name, *icon);
    else profileIcons_.erase(name);
}

void ProfilesTabModel::beginDuplicate(const std::string& source) {
    duplicateSourceName = source;
    duplicateTargetName = shownProfileName(source) + " Copy";
    showingDuplicateSheet = true;
}

std::string ProfilesTabModel::duplicateSheetTitle(const std::string& source) { return "Duplicate " + quoted(source); }

bool ProfilesTabModel::canSubmitDuplicate(const std::string& target) {
    return !normalisedProfileName(target).empty();
}

bool ProfilesTabModel::duplicateProfile(const std::string& newName) {
    const std::string& source = duplicateSourceName;
    try {
        if (source == kDefault && usesImplicitDefault()) manager_.ensureDefaultProfile();
        manager_.duplicateProfile(source, newName);
    } catch (const ProfileStoreError& e) {
        if (e.kind() == ProfileStoreError::Kind::alreadyExists) fail(alreadyExists(e.payload()));
        else if (e.kind() == ProfileStoreError::Kind::atCap)
            fail("Profile limit reached (6). Delete one before duplicating.");
        else fail(e.what());
        reload();
        return false;
    } catch (const std::exception& e) {
        fail(e.what());
        reload();
        return false;
    }
    errorMessage_.reset();
    reload();
    return true;
}

void ProfilesTabModel::backUp(const std::optional<std::string>& path) {
    if (!path || path->empty()) return;
    std::vector<LeftOutProfile> leftOut;
    try {
        BackupSnapshot snapshot = BackupManager::makeBackup(manager_);
        BackupManager::writeBackup(snapshot.backup, *path);
        leftOut = std::move(snapshot.leftOut);
    } catch (const std::exception& e) {
        statusMessage_.reset();
        fail(e.what());
        return;
    }
    const std::string text =
        backedUpText(QFileInfo(QString::fromStdString(*path)).fileName().toStdString(), leftOut);
    if (leftOut.empty()) {
        errorMessage_.reset();
        statusMessage_ = text;
    } else {
        // Not a whole backup: said on the error line, never as a success.
        statusMessage_.reset();
        fail(text);
    }
}

std::string ProfilesTabModel::backedUpText(const std::string& fileName, const std::vector<LeftOutProfile>& leftOut) {
    if (leftOut.empty()) return "Backed up to " + fileName + ".";
    std::string text = "Backed up to " + fileName + " without " + plural(leftOut.size(), " profile") +
                       " that couldn't be read:";
    for (std::size_t i = 0; i < leftOut.size(); ++i) {
        std::string reason = leftOut[i].reason;  // a sentence, inside the parentheses without its full stop
        if (!reason.empty() && reason.back() == '.') reason.pop_back();
        text += (i ? "; " : " ") + quoted(leftOut[i].name) + " (" + reason + ")";
    }
    return text + ". A Replace restore from this file would delete " + (leftOut.size() == 1 ? "it." : "them.");
}

void ProfilesTabModel::chooseBackupToRestore(const std::optional<std::string>& path, std::function<void()> done) {
    if (!path || path->empty()) return;
    const int choice = ++backupChoice_;
    ++readingBackup_;
    platform::readOffGuiThread<ImportCoordinator::BackupFileRead>(
        &alive_, [path = *path] { return ImportCoordinator::readBackupFile(path); },
        [this, choice, done = std::move(done)](ImportCoordinator::BackupFileRead outcome) {
            --readingBackup_;
            if (choice != backupChoice_) return;  // another file was chosen since
            statusMessage_.reset();
            if (outcome.item) {
                errorMessage_.reset();
                imports_.setPendingBackup(std::move(outcome.item));
            } else {
                fail(outcome.failure);
            }
            if (done) done();
        });
}

void ProfilesTabModel::applyRestore(RestoreStrategy strategy) {
    const auto item = imports_.pendingBackup();
    if (!item) return;
    std::size_t restored = 0, renamed = 0, skipped = 0;
    std::optional<std::string> failure;
    try {
        if (strategy == RestoreStrategy::merge) {
            const auto result = BackupManager::restoreMerge(item->backup, manager_);
            restored = result.written.size();
            renamed = result.renames.size();
            skipped = result.skipped.size();
        } else {
            restored = BackupManager::restoreReplace(item->backup, manager_).size();
        }
    } catch (const std::exception& e) {
        failure = e.what();
    }
    imports_.setPendingBackup(std::nullopt);
    if (failure) {
        statusMessage_.reset();
        fail(*failure);
    } else {
        errorMessage_.reset();
        statusMessage_ = restoreSummary(strategy, restored, renamed, skipped);
    }
    reload();
}

std::string ProfilesTabModel::restoreSummary(RestoreStrategy strategy, std::size_t restored, std::size_t renamed,
                                             std::size_t skipped) {
    std::string text = strategy == RestoreStrategy::replace
                           ? "Replaced with " + plural(restored, " profile") + " from the backup."
                           : "Restored " + plural(restored, " profile") + ".";
    if (renamed > 0) text += " Renamed " + plural(renamed, " on collision") + ".";
    if (skipped > 0) text += " Skipped " + std::to_string(skipped) + " — profile limit reached.";
    return text;
}

}  // namespace orbel
