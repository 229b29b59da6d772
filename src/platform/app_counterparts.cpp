#include "platform/app_counterparts.h"

#include <algorithm>
#include <map>

namespace orbel::platform {

namespace {
using Table = std::map<std::string, AppCounterpart, std::less<>>;

const Table& table() {
    using R = AppRole;
    static const Table rows{
        // The stock dial. Messages and Notes have no counterpart.
        {"com.apple.Safari", {R::browser, {}, {"Safari"}}},
        {"com.apple.finder", {R::fileManager, {}, {"Finder"}}},
        {"com.apple.Terminal", {R::terminal, {}, {"Terminal"}}},
        {"com.apple.mail", {R::mailClient, {}, {"Mail"}}},
        {"com.apple.iCal", {R::calendar, {}, {"Calendar"}}},
        {"com.apple.TextEdit", {R::textEditor, {}, {"TextEdit"}}},
        {"com.apple.systempreferences", {R::settings, {}, {"Settings", "System Preferences"}}},
        {"com.apple.SystemPreferences", {R::settings, {}, {"Settings", "System Preferences"}}},
        // Applications of the templates that exist here under their own ids.
        {"com.google.Chrome",
         {std::nullopt, {"google-chrome", "com.google.Chrome", "chromium", "chromium-browser", "org.chromium.Chromium"}, {}}},
        {"com.microsoft.VSCode",
         {std::nullopt, {"code", "com.visualstudio.code", "code-oss", "codium", "com.vscodium.codium"}, {}}},
        {"com.tinyspeck.slackmacgap", {std::nullopt, {"slack", "com.slack.Slack"}, {}}},
    };
    return rows;
}
}  // namespace

const char* roleTitle(AppRole role) {
    switch (role) {
        case AppRole::browser: return "Web Browser";
        case AppRole::fileManager: return "File Manager";
        case AppRole::terminal: return "Terminal";
        case AppRole::mailClient: return "Mail";
        case AppRole::calendar: return "Calendar";
        case AppRole::textEditor: return "Text Editor";
        case AppRole::settings: return "Settings";
    }
    return "";
}

const char* roleSymbol(AppRole role) {
    switch (role) {
        case AppRole::browser: return "globe";
        case AppRole::fileManager: return "folder";
        case AppRole::terminal: return "terminal";
        case AppRole::mailClient: return "envelope";
        case AppRole::calendar: return "calendar";
        case AppRole::textEditor: return "doc.text";
        case AppRole::settings: return "gearshape";
    }
    return "app";
}

const AppCounterpart* counterpartFor(std::string_view foreignId) {
    auto it = table().find(foreignId);
    return it == table().end() ? nullptr : &it->second;
}

bool isStockTitle(std::string_view foreignId, std::string_view title) {
    if (title.empty()) return true;
    const AppCounterpart* counterpart = counterpartFor(foreignId);
    if (!counterpart) return false;
    const auto& titles = counterpart->stockTitles;
    return std::find(titles.begin(), titles.end(), title) != titles.end();
}

std::vector<std::string> counterpartIdentifiers() {
    std::vector<std::string> out;
    for (const auto& [id, counterpart] : table()) out.push_back(id);
    return out;
}

}  // namespace orbel::platform
