#pragma once

// The six tabs of the settings window, in the order of its tab bar.

#include <array>
#include <optional>
#include <string_view>

namespace orbel {

enum class SettingsTab { general, customization, appMenus, profiles, advanced, about };

inline constexpr std::array<SettingsTab, 6> kAllSettingsTabs{SettingsTab::general,  SettingsTab::customization,
                                                              SettingsTab::appMenus, SettingsTab::profiles,
                                                              SettingsTab::advanced, SettingsTab::about};

// "general", "customization", "appMenus", "profiles", "advanced", "about".
std::string_view rawValue(SettingsTab tab);
std::optional<SettingsTab> settingsTabFromRaw(std::string_view raw);
// The English title ("Apps" for appMenus) and the symbol name of the tab.
const char* title(SettingsTab tab);
const char* symbol(SettingsTab tab);

}  // namespace orbel
