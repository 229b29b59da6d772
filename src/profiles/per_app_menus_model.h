#pragma once

// The Apps tab's state and rules: the applications with their own dial,
// sorted by identifier, each with its name and one-line subtitle; adding an
// application or a template, opening its override sheet, storing what the
// sheet hands back, and removing an application's whole override.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/config_manager.h"
#include "model/app_menu_preset.h"

namespace orbel {

class PerAppMenusModel {
public:
    // The installed application's name for a desktop-entry id, or nothing.
    using NameLookup = std::function<std::optional<std::string>(const std::string& bundleId)>;

    struct Row {
        std::string bundleId;
        std::string name;
        std::string subtitle;
        int slotCount = 0;
        MenuGroup group;
    };

    PerAppMenusModel(ConfigManager& manager, NameLookup names);

    // Code-point order: "com.Example" before "com.example".
    std::vector<std::string> sortedBundleIds() const;
    bool isEmpty() const { return manager_.config().appOverrides.empty(); }
    std::vector<Row> rows() const;
    Row row(const std::string& bundleId) const;
    std::string displayName(const std::string& bundleId, const std::string& fallback) const;
    // "3 slots · Active when Firefox is in front".
    static std::string appRowSubtitle(int slotCount, const std::string& name);
    static std::string removeHelp(const std::string& name) { return "Remove " + name; }
    // Removing a dial that holds slots is confirmed first; these are the
    // confirmation's texts.
    bool removeNeedsConfirmation(const std::string& bundleId) const { return row(bundleId).slotCount > 0; }
    static std::string removeTitle() { return "Remove app dial?"; }
    static std::string removeMessage(const std::string& name, int slotCount);
    static std::string removeButton(const std::string& name) { return "Remove \"" + name + "\""; }

    // An installed application was picked. One that already has a dial
    // opens it unchanged.
    void addApp(const std::string& bundleId, const std::string& name);
    // A template was picked. Its dial is added (or an existing one opened)
    // once the installed applications are known, at once when they are, and
    // `done` runs then; neither happens once the model has gone.
    void addFromTemplate(const AppMenuPreset& preset, std::function<void()> done = {});
    // The desktop id a template's dial is stored under: the installed
    // application that plays its part here, else the template's identifier;
    // nothing until the installed applications are known.
    static std::optional<std::string> templateTarget(const AppMenuPreset& preset);
    void beginEditing(const std::string& bundleId, const MenuGroup& group);
    // The override sheet closed: with its group after Save (which has
    // written it), none after Cancel.
    void finishEditing(const std::optional<MenuGroup>& group);
    // Shown after a sheet closed because the configuration was replaced under it.
    static std::string replacedNotice(const std::string& name);
    void removeOverride(const std::string& bundleId);
    // Why the last add or remove was not saved; nothing after a saved one.
    const std::optional<std::string>& error() const { return error_; }

    // The override sheet shown: its application, its name and its group.
    const std::optional<std::string>& editingBundleId() const { return editingBundleId_; }
    const std::optional<MenuGroup>& editingGroup() const { return editingGroup_; }
    std::string sheetAppName() const;

private:
    void openSheet(const std::string& bundleId, const MenuGroup& group);
    bool saved(const std::optional<ConfigError>& refused);

    ConfigManager& manager_;
    NameLookup names_;
    std::optional<std::string> error_;
    std::optional<std::string> editingBundleId_;
    std::optional<MenuGroup> editingGroup_;
    std::shared_ptr<int> alive_ = std::make_shared<int>();  // what waits on the applications holds it weakly
};

}  // namespace orbel
