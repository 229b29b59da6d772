#include "editor/picker_models.h"

#include "editor/slot_library_model.h"

#include <algorithm>

#include "platform/workspace.h"

namespace orbel::editor {

std::string appCategoryTitle(AppCategory category) {
    switch (category) {
        case AppCategory::system: return "System";
        case AppCategory::thirdParty: return "Third Party";
        case AppCategory::templates: return "Templates";
        case AppCategory::all: break;
    }
    return "All Apps";
}

std::vector<AppCategory> AppPickerModel::visibleCategories() const {
    std::vector<AppCategory> out{AppCategory::all, AppCategory::system, AppCategory::thirdParty};
    if (!templates_.empty()) out.push_back(AppCategory::templates);
    return out;
}

std::vector<AppInfo> AppPickerModel::filteredApps() const {
    const std::vector<AppInfo>* source = nullptr;
    switch (selectedCategory) {
        case AppCategory::all: source = &allApps; break;
        case AppCategory::system: source = &systemApps; break;
        case AppCategory::thirdParty: source = &thirdPartyApps; break;
        case AppCategory::templates: return {};
    }
    std::vector<AppInfo> out;
    for (const AppInfo& app : *source)
        if (searchMatches(app.name, searchText) || searchMatches(app.bundleId, searchText)) out.push_back(app);
    return out;
}

std::vector<AppMenuPreset> AppPickerModel::filteredTemplates() const {
    std::vector<AppMenuPreset> out;
    for (const AppMenuPreset& p : templates_)
        if (searchMatches(p.displayName, searchText) || searchMatches(p.bundleId, searchText)) out.push_back(p);
    std::stable_partition(out.begin(), out.end(),
                          [&](const AppMenuPreset& p) { return !missingTemplates.contains(p.id); });
    return out;
}

std::string AppPickerModel::templateMark(const AppMenuPreset& preset) const {
    return missingTemplates.contains(preset.id) ? "not installed" : "";
}

std::set<std::string> missingTemplateApps(const std::vector<AppMenuPreset>& templates) {
    std::set<std::string> missing;
    for (const AppMenuPreset& p : templates)
        if (platform::Workspace::shared().applicationFor(p.bundleId).isNone()) missing.insert(p.id);
    return missing;
}

std::string AppPickerModel::emptyStateMessage() const {
    if (!searchText.empty()) return "No matches for \u201C" + searchText + "\u201D";
    if (selectedCategory == AppCategory::templates) return "No templates available.";
    return "No apps in this category.";
}

ActionPickerModel::ActionPickerModel(SystemAction selected, std::function<void(const SystemAction&)> onSelectionChanged)
    : selected_(selected), onSelectionChanged_(std::move(onSelectionChanged)) {}

std::vector<SystemAction> ActionPickerModel::actionsInCategory(ActionCategory category) const {
    std::vector<SystemAction> out = SystemAction::parameterlessCases(category);
    if (category == ActionCategory::audio) out.push_back(SystemAction::setVolume(parameter_));
    if (category == ActionCategory::display) out.push_back(SystemAction::setBrightness(parameter_));
    return out;
}

bool ActionPickerModel::isSelected(const SystemAction& card) const {
    if (card.hasValue() && selected_.hasValue()) return card.kind == selected_.kind;
    return card == selected_;
}

void ActionPickerModel::appear() {
    customTitle_ = selected_.title();
    if (selected_.hasValue()) parameter_ = selected_.value;
}

void ActionPickerModel::choose(const SystemAction& card) {
    setSelected(card.hasValue() ? SystemAction(card.kind, parameter_) : card);
    if (!useCustomTitle_) customTitle_ = selected_.title();
}

void ActionPickerModel::setParameter(double level) {
    parameter_ = level;
    setSelected(selected_.hasValue() ? SystemAction(selected_.kind, level) : selected_);
    if (!useCustomTitle_) customTitle_ = selected_.title();
}

void ActionPickerModel::setUseCustomTitle(bool on) {
    useCustomTitle_ = on;
    if (!on) customTitle_ = selected_.title();
}

void ActionPickerModel::setSelected(const SystemAction& action) {
    selected_ = action;
    if (onSelectionChanged_) onSelectionChanged_(selected_);
}

const std::vector<AddSlotOption>& addSlotOptions() {
    static const std::vector<AddSlotOption> options{
        {AddSlotKind::keystroke, "Keystroke", "Fire a chord or multi-step macro", "keyboard"},
        {AddSlotKind::snippet, "Snippet", "Paste a saved phrase", "doc.on.clipboard"},
        {AddSlotKind::script, "Script", "Run a shell command", "terminal"},
        {AddSlotKind::dynamic, "Dynamic", "Live label from a script", "gauge.with.dots.needle.bottom.50percent"},
        {AddSlotKind::cycling, "Cycling", "One slot, multiple actions", "arrow.triangle.2.circlepath"},
        {AddSlotKind::profileSwitch, "Profile Switcher", "Open a dial of every saved profile",
         "person.crop.rectangle.stack"},
    };
    return options;
}

}  // namespace orbel::editor
