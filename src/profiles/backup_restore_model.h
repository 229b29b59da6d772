#pragma once

// The restore sheet's state and texts: what the backup holds, merge or
// replace, and the typed word that confirms a replace.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/backup_manager.h"
#include "config/import_coordinator.h"

namespace orbel {

class BackupRestoreModel {
public:
    struct ProfileRow {
        std::string name;
        bool active = false;
        bool operator==(const ProfileRow&) const = default;
    };

    explicit BackupRestoreModel(BackupRestoreSheetItem item);

    // What the restore would meet: the names already stored and the store's
    // name check (its message for a name it refuses). Without them the sheet
    // warns of nothing.
    using NameCheck = std::function<std::optional<std::string>(const std::string& name)>;
    void setStore(std::vector<std::string> storedNames, NameCheck check);
    // The store's reason for refusing a name (nothing without a store): the
    // one source of the rows' marks, the refusal lines and the counts below.
    std::optional<std::string> refusal(const std::string& name) const;
    // The restore is refused before anything is written: one line per name
    // the store will not take, as the refusal would say it.
    std::vector<std::string> refusals() const;
    static std::string refusalLine(const std::string& shownName, const std::string& problem);
    // Merge at or near the profile limit: how many of the backup's profiles
    // it would leave out (the refused names with those past the limit), and
    // the sentence that says so ("" when the limit leaves none out). Counted
    // from the rows the sheet lists.
    std::size_t mergeSkips() const;
    std::string mergeWarning() const;

    const BackupRestoreSheetItem& item() const { return item_; }
    std::string fileName() const;
    // In the user's locale and time zone.
    std::string createdText() const;
    const std::string& versionText() const { return item_.backup.appVersion; }
    // Sorted by code point; at most one active.
    std::vector<ProfileRow> profileRows() const;
    std::string countText() const;  // "3 saved"
    static constexpr const char* kNoProfilesNote =
        "This backup has no saved profiles — only a live configuration snapshot.";

    RestoreStrategy strategy() const { return strategy_; }
    // Merge empties the confirmation; returns true when the confirmation
    // field should take the focus (replace).
    bool selectStrategy(RestoreStrategy strategy);
    std::string confirmText;
    // Merge, or replace with the word "REPLACE" in any case, spaces and tabs
    // around it allowed; never while a name would be refused.
    bool canConfirm() const;
    std::string restoreButtonTitle() const;

    static constexpr const char* kMergeTitle = "Merge";
    static constexpr const char* kMergeText =
        "Keeps your current profiles. Any backup profile whose name already exists is added with a numeric suffix "
        "(\"Work 2\"). Live config and active profile are left alone.";
    static constexpr const char* kReplaceTitle = "Replace";
    static constexpr const char* kReplaceText =
        "Deletes every saved profile, then restores from the backup. Live config and active profile are "
        "overwritten too. This can't be undone.";

private:
    BackupRestoreSheetItem item_;
    std::size_t storedCount_ = 0;
    NameCheck check_;
    RestoreStrategy strategy_ = RestoreStrategy::merge;
};

}  // namespace orbel
