#pragma once

// The slot library column's state and rules without widgets: which list is
// shown, the search shared by both lists, the application and category
// filters, and the rows the list shows for them (section headers, empty
// texts, the loading row). The column owns no configuration: the host says
// which lists it offers, whether a candidate is already on its dial, and
// receives each slot the user adds.

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/action_category.h"
#include "model/slot_config.h"
#include "model/slot_drag_payload.h"
#include "slots/app_info.h"

namespace orbel::editor {

enum class LibrarySegment { apps, actions };
enum class AppFilter { all, system, installed, running };

std::string segmentTitle(LibrarySegment segment);  // "Apps", "Actions"
std::string appFilterTitle(AppFilter filter);       // "All", "System", "Installed", "Running"
const std::vector<AppFilter>& allAppFilters();

// Folders whose desktop entries are the system's: the applications folders
// of the system data directories ($XDG_DATA_DIRS), each ending in "/".
// Flatpak's exported entries and the user's own count as installed.
std::vector<std::string> systemApplicationPrefixes();
// Whether the entry's file URL lies in one of the folders (plain begins-with).
bool isSystemLocation(const std::string& url, const std::vector<std::string>& prefixes);

// Whether `text` contains `search`, ignoring letter case; an empty search
// matches everything and nothing is trimmed.
bool searchMatches(const std::string& text, const std::string& search);

// The parameterised actions a category offers (set volume, set brightness).
std::vector<SystemAction> parameterisedPrototypes(ActionCategory category);

// One row of the library list.
struct LibraryEntry {
    enum class Kind { loading, message, header, app, action, parameterised };
    Kind kind = Kind::message;
    std::string text;  // message, header, app name or action title
    const AppInfo* app = nullptr;  // app rows: points into the model's list
    SystemAction action;           // action and parameterised rows
};

class SlotLibraryModel {
public:
    SlotLibraryModel(std::vector<LibrarySegment> allowedSegments,
                     std::function<bool(const SlotConfig&)> isAdded,
                     std::function<void(const SlotConfig&)> onAdd);

    const std::vector<LibrarySegment>& allowedSegments() const { return allowedSegments_; }
    bool showsSegmentPicker() const { return allowedSegments_.size() >= 2; }

    // View state.
    LibrarySegment segment = LibrarySegment::apps;
    std::string search;
    std::vector<AppInfo> apps;
    bool isLoadingApps = true;
    AppFilter appFilter = AppFilter::all;
    std::set<std::string> runningBundleIds;
    std::optional<ActionCategory> actionFilter;
    std::vector<std::string> systemPrefixes = systemApplicationPrefixes();

    // When the column comes on screen: a segment the host no longer offers
    // gives way to the first it does.
    void normaliseSegment();
    void setApps(std::vector<AppInfo> loaded);

    std::vector<const AppInfo*> filteredApps() const;
    std::vector<SystemAction> filteredActions(ActionCategory category) const;
    // The rows of the list now shown.
    std::vector<LibraryEntry> entries() const;

    std::string searchPlaceholder() const;  // "Search apps" / "Search actions"
    std::string actionFilterLabel() const;  // the category, or "All Categories"

    // Candidates, drags and additions. A new slot each time: fresh id,
    // automatic icon, global scope.
    static SlotConfig appSlot(const AppInfo& app);
    static SlotConfig actionSlot(const SystemAction& action);
    static SlotDragPayload appPayload(const AppInfo& app);
    static SlotDragPayload actionPayload(const SystemAction& action);
    bool isAdded(const SlotConfig& candidate) const { return isAdded_ && isAdded_(candidate); }
    void add(const SlotConfig& slot) const {
        if (onAdd_) onAdd_(slot);
    }

private:
    std::vector<LibrarySegment> allowedSegments_;
    std::function<bool(const SlotConfig&)> isAdded_;
    std::function<void(const SlotConfig&)> onAdd_;
};

// The library rows' own texts.
// Tooltip of a row: "Already in this dial", else the bundle hint or the title.
std::string libraryRowToolTip(bool isAdded, const std::optional<std::string>& bundleHint, const std::string& title);
// "Set Volume…", "Set Brightness…", else the action's title.
std::string parameterisedRowTitle(const SystemAction& prototype);
// The action "Add" in the value popover hands on: the prototype with the level.
SystemAction parameterisedChoice(const SystemAction& prototype, double level);

}  // namespace orbel::editor
