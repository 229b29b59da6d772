#include "profiles/per_app_menus_model.h"

namespace orbel {

PerAppMenusModel::PerAppMenusModel(ConfigManager& manager, NameLookup names)
    : manager_(manager), names_(std::move(names)) {}

std::vector<std::string> PerAppMenusModel::sortedBundleIds() const {
    std::vector<std::string> ids;
    // std::map orders its UTF-8 keys by byte, which is code-point order.
    for (const auto& [id, override] : manager_.config().appOverrides) ids.push_back(id);
    return ids;
}

std::vector<PerAppMenusModel::Row> PerAppMenusModel::rows() const {
    std::vector<Row> rows;
    for (const auto& id : sortedBundleIds()) rows.push_back(row(id));
    return rows;
}

PerAppMenusModel::Row PerAppMenusModel::row(const std::string& bundleId) const {
    const AppConfig& config = manager_.config();
    Row row;
    row.bundleId = bundleId;
    if (auto it = config.appOverrides.find(bundleId); it != config.appOverrides.end() && it->second.slots)
        row.slotCount = static_cast<int>(it->second.slots->size());
    const auto menus = config.appMenus();
    if (auto it = menus.find(bundleId); it != menus.end()) {
        row.group = it->second;
    } else {
        row.group.title = bundleId;
    }
    row.name = displayName(bundleId, row.group.title);
    row.subtitle = appRowSubtitle(row.slotCount, row.name);
    return row;
}

std::string PerAppMenusModel::displayName(const std::string& bundleId, const std::string& fallback) const {
    if (names_) {
        if (auto name = names_(bundleId); name && !name->empty()) return *name;
    }
    return fallback;
}

std::string PerAppMenusModel::appRowSubtitle(int slotCount, const std::string& name) {
    std::string text;
    if (slotCount >= 1) text = std::to_string(slotCount) + (slotCount == 1 ? " slot" : " slots") + " · ";
    return text + "Active when " + name + " is in front";
}

void PerAppMenusModel::addApp(const std::string& bundleId, const std::string& name) {
    // Picking an application that already has a dial opens that dial; an
    // empty group would wipe its slots.
    const auto menus = manager_.config().appMenus();
    if (auto it = menus.find(bundleId); it != menus.end()) {
        openSheet(bundleId, it->second);
        return;
    }
    MenuGroup group;
    group.title = name;
    manager_.setAppMenu(group, bundleId);
    openSheet(bundleId, group);
}

void PerAppMenusModel::addFromTemplate(const AppMenuPreset& preset) {
    const auto menus = manager_.config().appMenus();
    if (auto it = menus.find(preset.bundleId); it != menus.end()) {
        openSheet(preset.bundleId, it->second);
        return;
    }
    MenuGroup group = preset.build();
    manager_.setAppMenu(group, preset.bundleId);
    openSheet(preset.bundleId, group);
}

void PerAppMenusModel::beginEditing(const std::string& bundleId, const MenuGroup& group) { openSheet(bundleId, group); }

void PerAppMenusModel::openSheet(const std::string& bundleId, const MenuGroup& group) {
    editingBundleId_ = bundleId;
    editingGroup_ = group;
}

void PerAppMenusModel::finishEditing(const std::optional<MenuGroup>& group) {
    if (!editingBundleId_) return;
    if (group) manager_.setAppMenu(group, *editingBundleId_);
    editingBundleId_.reset();
}

void PerAppMenusModel::removeOverride(const std::string& bundleId) {
    AppConfig next = manager_.config();
    if (next.appOverrides.erase(bundleId) == 0) return;
    manager_.setConfig(std::move(next));
    manager_.save();
}

std::string PerAppMenusModel::sheetAppName() const {
    if (!editingBundleId_) return {};
    if (editingBundleId_->empty()) return "App";
    // Before the installed names are known (or for an application that is
    // not installed) the group's own title names it better than its id.
    std::string fallback = *editingBundleId_;
    if (editingGroup_ && !editingGroup_->title.empty() && editingGroup_->title != kDefaultAppMenuTitle)
        fallback = editingGroup_->title;
    return displayName(*editingBundleId_, fallback);
}

}  // namespace orbel
