#pragma once

// The whole stored configuration: activation, the dial's tree, size, keys,
// look, per-application overrides, tray visibility, music hot key and the
// profile's icon. The same document is config.json, every profile file and
// every configuration inside a backup.

#include <map>
#include <optional>
#include <string>

#include "model/activation_mode.h"
#include "model/app_override.h"
#include "model/appearance_config.h"
#include "model/key_combination.h"
#include "model/slot_config.h"
#include "model/slot_icon.h"

namespace orbel {

// The keys that close the dial and go back one level; both Escape by default.
struct ControlsConfig {
    KeyCombination closeMenuKey{53, 0, std::nullopt};
    KeyCombination goBackKey{53, 0, std::nullopt};
    bool operator==(const ControlsConfig&) const = default;
};

struct AppConfig {
    static constexpr double kMinRadius = kMinDialRadius;
    static constexpr double kMaxRadius = kMaxDialRadius;
    static constexpr double kDefaultRadius = 200;

    std::int64_t version = 1;
    ActivationMode activation = ActivationMode::tap(HoldBinding::keyCombination(KeyCombination{49, 0x800, std::nullopt}));
    MenuGroup rootGroup;
    double menuRadius = kDefaultRadius;
    ControlsConfig controls;
    AppearanceConfig appearance;
    std::map<std::string, AppOverride> appOverrides;
    bool showInTray = true;
    std::optional<KeyCombination> musicHotkey;
    std::optional<SlotIcon> profileIcon;

    // The built-in configuration and dial, made once per run and copied on
    // every use (so their ids are stable during one run).
    static AppConfig defaultConfig();
    static MenuGroup defaultMenu();

    // Per-application dials as groups, keyed by bundle identifier. Reading
    // makes new group ids; writing keeps every other override field.
    std::map<std::string, MenuGroup> appMenus() const;
    void setAppMenus(const std::map<std::string, MenuGroup>& menus);

    // The configuration in force while an application with this override is
    // frontmost.
    AppConfig applyingOverride(const AppOverride& override) const;

    // Fails only when the document is not an object, or "version",
    // "menuRadius", "menu" or "appMenus" is malformed.
    static AppConfig fromJson(const json::Node& node);
    json::Json toJson() const;
    // The bytes of config.json and of a profile file.
    std::string encodeDocument() const;
};

inline constexpr const char* kMainMenuTitle = "Main Menu";

}  // namespace orbel
