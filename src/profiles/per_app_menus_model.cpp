#include "profiles/per_app_menus_model.h"

#include "platform/workspace.h"

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

std::string PerAppMenusModel::removeMessage(const std::string& name, int slotCount) {
    return "The dial for \"" + name + "\" and its " + std::to_string(slotCount) +
           (slotCount == 1 ? " slot" : " slots") + " will be permanently removed. This can't be undone.";
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
    if (saved(manager_.setAppMenu(group, bundleId))) openSheet(bundleId, group);
}

std::optional<std::string> PerAppMenusModel::templateTarget(const AppMenuPreset& preset) {
    // The identifier table's answers are resolved ahead, so this does not wait.
    const auto app = platform::Workspace::shared().applicationFor(preset.bundleId);
    if (app.isNotKnownYet()) return std::nullopt;
    return app.value() ? app.value()->bundleId : preset.bundleId;
}

void PerAppMenusModel::addFromTemplate(const AppMenuPreset& preset, std::function<void()> done) {
    // The dial belongs to the application that plays the template's part
    // here, by its desktop id; with none installed, to the template's own
    // identifier, which no window here reports. Which one that is waits for
    // the applications: keyed to the template's identifier before, a dial
    // added early would never match a window.
    const auto target = templateTarget(preset);
    if (!target) {
        platform::Workspace::shared().whenApplicationsKnown(
            [this, alive = std::weak_ptr<int>(alive_), preset, done = std::move(done)]() mutable {
                if (!alive.expired()) addFromTemplate(preset, std::move(done));
            });
        return;
    }
    const auto menus = manager_.config().appMenus();
    if (auto it = menus.find(*target); it != menus.end()) {
        openSheet(*target, it->second);
    } else {
        MenuGroup group = preset.buildForLinux();
        if (saved(manager_.setAppMenu(group, *target))) openSheet(*target, group);
    }
    if (done) done();
}

void PerAppMenusModel::beginEditing(const std::string& bundleId, const MenuGroup& group) { openSheet(bundleId, group); }

void PerAppMenusModel::openSheet(const std::string& bundleId, const MenuGroup& group) {
    editingBundleId_ = bundleId;
    editingGroup_ = group;
}

void PerAppMenusModel::finishEditing(const std::optional<MenuGroup>&) {
    // The sheet's Save wrote the whole override, dial and title included.
    editingBundleId_.reset();
}

void PerAppMenusModel::removeOverride(const std::string& bundleId) {
    saved(manager_.change([bundleId](AppConfig& c) { c.appOverrides.erase(bundleId); }));
}

bool PerAppMenusModel::saved(const std::optional<ConfigError>& refused) {
    if (refused) error_ = refused->what();
    else error_.reset();
    return !refused;
}

std::string PerAppMenusModel::replacedNotice(const std::string& name) {
    return "The configuration was replaced (a profile switch, Reload or a restore), so the changes to " + name +
           " were not saved.";
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
