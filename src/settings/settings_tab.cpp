#include "settings/settings_tab.h"

namespace orbel {
namespace {

struct TabInfo {
    std::string_view raw;
    const char* title;
    const char* symbol;
};

constexpr TabInfo kTabs[] = {
    {"general", "General", "gearshape"},
    {"customization", "Customization", "square.grid.2x2"},
    {"appMenus", "Apps", "rectangle.stack"},
    {"profiles", "Profiles", "person.crop.rectangle.stack"},
    {"advanced", "Advanced", "wrench.and.screwdriver"},
    {"about", "About", "info.circle"},
};

const TabInfo& info(SettingsTab tab) { return kTabs[static_cast<int>(tab)]; }

}  // namespace

std::string_view rawValue(SettingsTab tab) { return info(tab).raw; }
const char* title(SettingsTab tab) { return info(tab).title; }
const char* symbol(SettingsTab tab) { return info(tab).symbol; }

std::optional<SettingsTab> settingsTabFromRaw(std::string_view raw) {
    for (SettingsTab tab : kAllSettingsTabs)
        if (rawValue(tab) == raw) return tab;
    return std::nullopt;
}

}  // namespace orbel
