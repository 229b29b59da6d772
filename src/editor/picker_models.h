#pragma once

// The rules of the app picker, the action picker and the add-slot popover
// without widgets: categories, search filters, empty-state texts, the action
// picker's selection, level and title rules, and the popover's table.

#include <functional>
#include <string>
#include <vector>

#include <set>

#include "model/app_menu_preset.h"
#include "model/system_action.h"
#include "slots/app_info.h"

namespace orbel::editor {

// ---- App picker ----------------------------------------------------------

enum class AppCategory { all, system, thirdParty, templates };
std::string appCategoryTitle(AppCategory category);  // "All Apps", "System", "Third Party", "Templates"

// The templates whose application nothing installed here plays: asks the
// workspace, so call it off the GUI thread.
std::set<std::string> missingTemplateApps(const std::vector<AppMenuPreset>& templates);

class AppPickerModel {
public:
    explicit AppPickerModel(std::vector<AppMenuPreset> templates) : templates_(std::move(templates)) {}

    std::string searchText;
    AppCategory selectedCategory = AppCategory::all;
    bool isLoading = true;
    std::vector<AppInfo> allApps, systemApps, thirdPartyApps;

    const std::vector<AppMenuPreset>& templates() const { return templates_; }
    // All, System, Third Party, then Templates when there are templates.
    std::vector<AppCategory> visibleCategories() const;
    std::vector<AppInfo> filteredApps() const;
    // Installed ones first, then those in `missingTemplates`, each part in
    // the templates' order.
    std::vector<AppMenuPreset> filteredTemplates() const;
    // Templates (by id) whose application has no counterpart here or is not
    // installed; filled once the workspace has been asked.
    std::set<std::string> missingTemplates;
    // "not installed" for those, else "".
    std::string templateMark(const AppMenuPreset& preset) const;
    // "No matches for “<search>”", "No templates available.", "No apps in this category."
    std::string emptyStateMessage() const;
    // The list area: the loading view (application categories only) or not.
    bool showsLoading() const { return isLoading && selectedCategory != AppCategory::templates; }

private:
    std::vector<AppMenuPreset> templates_;
};

// ---- Action picker -------------------------------------------------------

class ActionPickerModel {
public:
    // `selected` is the presenter's current choice; `onSelectionChanged` is
    // told every change of it at once (the presenter's binding).
    ActionPickerModel(SystemAction selected, std::function<void(const SystemAction&)> onSelectionChanged = {});

    const SystemAction& selectedAction() const { return selected_; }
    const std::string& customTitle() const { return customTitle_; }
    bool useCustomTitle() const { return useCustomTitle_; }
    double parameter() const { return parameter_; }

    // The cards of a category: its parameterless actions, then for Audio set
    // volume and for Display set brightness at the current level.
    std::vector<SystemAction> actionsInCategory(ActionCategory category) const;
    // The two valued actions match their own kind at any level.
    bool isSelected(const SystemAction& card) const;
    bool showsLevelEditor() const { return selected_.hasValue(); }
    bool canAdd() const { return !customTitle_.empty(); }

    // When the sheet comes on screen.
    void appear();
    void choose(const SystemAction& card);
    void setParameter(double level);
    void setUseCustomTitle(bool on);
    void setCustomTitle(std::string text) { customTitle_ = std::move(text); }

private:
    void setSelected(const SystemAction& action);

    SystemAction selected_;
    std::function<void(const SystemAction&)> onSelectionChanged_;
    std::string customTitle_;
    bool useCustomTitle_ = false;
    double parameter_ = 0.5;
};

// ---- Add-slot popover ----------------------------------------------------

enum class AddSlotKind { keystroke, script, snippet, dynamic, cycling, profileSwitch };

struct AddSlotOption {
    AddSlotKind id;
    std::string title;
    std::string subtitle;
    std::string symbol;
};
// The six rows in display order (snippet before script).
const std::vector<AddSlotOption>& addSlotOptions();

}  // namespace orbel::editor
