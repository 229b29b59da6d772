#pragma once

// The Profiles tab's state and rules: the list with its implicit "Default"
// row, the count badge and enable rules, creating, switching, duplicating,
// deleting and re-iconing profiles, backing up and restoring, and the two
// message lines every operation sets or clears. No widgets: the view binds
// to this and forwards its events.

#include <QObject>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "config/backup_manager.h"
#include "config/config_manager.h"
#include "config/import_coordinator.h"

namespace orbel {

class ProfilesTabModel {
public:
    static constexpr int kCap = ProfileStore::kLimit;

    ProfilesTabModel(ConfigManager& manager, ImportCoordinator& imports);

    // Re-reads the stored names and their icons (the icon alone is read, and
    // never waited for: see ProfileStore); unreadable profiles keep their
    // row without an icon.
    void reload();

    const std::vector<std::string>& profiles() const { return profiles_; }
    // Profile files in the folder that no name reaches (ProfileStore::scan),
    // as last read; they stay on disk, and the tab says so.
    const std::vector<std::string>& unlistedFiles() const { return unlistedFiles_; }
    static std::string unlistedNotice(const std::vector<std::string>& files);  // "" for none
    ConfigManager& configManager() const { return manager_; }
    std::optional<std::string> storedActiveName() const { return manager_.activeProfile(); }
    // No active name stored and no "Default" file: the live configuration
    // shows as an unsaved, active row named "Default".
    bool usesImplicitDefault() const;
    std::vector<std::string> displayedProfiles() const;
    bool isImplicitDefaultRow(const std::string& name) const;
    bool isActive(const std::string& name) const;

    // "3 / 6"; full from six stored profiles on.
    std::string badgeText() const;
    bool atCap() const { return static_cast<int>(profiles_.size()) >= kCap; }
    bool canCreate() const { return !atCap(); }
    std::string newButtonHelp() const;
    bool canDuplicate() const { return !atCap(); }
    // The implicit row has no Delete item; the active row's is disabled.
    bool hasDeleteItem(const std::string& name) const { return !isImplicitDefaultRow(name); }
    bool canDelete(const std::string& name) const { return !isActive(name); }
    static std::string deleteHelp(bool active);
    static std::string deleteTitle() { return "Delete profile?"; }
    static std::string deleteMessage(const std::string& name);
    static std::string deleteButton(const std::string& name);

    // Message lines: one current message, an error or a status, at a time.
    const std::optional<std::string>& errorMessage() const { return errorMessage_; }
    const std::optional<std::string>& statusMessage() const { return statusMessage_; }
    // When the tab goes out of sight: what it said belongs to what was done there.
    void clearMessages() {
        errorMessage_.reset();
        statusMessage_.reset();
    }

    // Create popover.
    void beginCreate();  // empties the field and clears the error line
    bool canSaveNewProfile() const;
    // True when the profile was written and the popover closes.
    bool createProfile();
    std::string newProfileName;
    bool showingCreatePopover = false;

    void switchProfile(const std::string& name);
    void deleteProfile(const std::string& name);

    // Icons: the live configuration's for the implicit row, else the last
    // read one. A profile that cannot be loaded is never written.
    std::optional<SlotIcon> iconFor(const std::string& name) const;
    void updateIcon(const std::optional<SlotIcon>& icon, const std::string& name);

    // Duplicate sheet.
    void beginDuplicate(const std::string& source);
    static std::string duplicateSheetTitle(const std::string& source);
    static bool canSubmitDuplicate(const std::string& target);
    // True when the copy was made; a refusal leaves its text in errorMessage.
    bool duplicateProfile(const std::string& newName);
    std::string duplicateSourceName;
    std::string duplicateTargetName;
    bool showingDuplicateSheet = false;

    // Backups. The path is what the save or open panel returned; nothing
    // (cancelled) changes nothing. A backup without some stored profile
    // (unreadable) is written, and the error line names each one left out.
    void backUp(const std::optional<std::string>& path);
    static std::string backedUpText(const std::string& fileName, const std::vector<LeftOutProfile>& leftOut);
    // Reads the chosen file on a reader thread (regular files of at most
    // ImportCoordinator::kMaxBackupBytes), then, queued on this thread, sets
    // the pending backup or the error line and calls `done`. Only the latest
    // choice counts; nothing is called once the model is gone.
    void chooseBackupToRestore(const std::optional<std::string>& path, std::function<void()> done = {});
    bool readingBackup() const { return readingBackup_ > 0; }
    // Applies the pending backup and clears it.
    void applyRestore(RestoreStrategy strategy);
    static std::string restoreSummary(RestoreStrategy strategy, std::size_t restored, std::size_t renamed,
                                      std::size_t skipped);

private:
    void fail(const std::string& message) {
        errorMessage_ = message;
        statusMessage_.reset();
    }

    ConfigManager& manager_;
    ImportCoordinator& imports_;
    std::vector<std::string> profiles_;
    std::vector<std::string> unlistedFiles_;
    std::map<std::string, SlotIcon> profileIcons_;
    std::optional<std::string> errorMessage_;
    std::optional<std::string> statusMessage_;
    int readingBackup_ = 0;   // reads under way
    int backupChoice_ = 0;    // the latest choice
    QObject alive_;           // outcomes of reads are dropped once it is gone
};

}  // namespace orbel
