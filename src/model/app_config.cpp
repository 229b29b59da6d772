#include "model/app_config.h"

#include <mutex>

#include "model/json_writer.h"

namespace orbel {

using json::Json;
using json::Node;

namespace {

double clampRadius(double r) { return text::clamp(r, AppConfig::kMinRadius, AppConfig::kMaxRadius); }

SlotConfig appSlot(const char* bundleId, const char* title) { return SlotConfig::make(SlotType::app(bundleId), title); }

SlotConfig actionSlot(SystemAction::Kind kind, const char* title) {
    return SlotConfig::make(SlotType::action(SystemAction(kind)), title);
}

MenuGroup makeDefaultMenu() {
    using K = SystemAction::Kind;
    MenuGroup menu;
    menu.title = kMainMenuTitle;
    menu.slots = {
        appSlot("com.apple.Safari", "Safari"),
        appSlot("com.apple.MobileSMS", "Messages"),
        SlotConfig::makeGroup("Apps", {appSlot("com.apple.finder", "Finder"), appSlot("com.apple.mail", "Mail"),
                                       appSlot("com.apple.iCal", "Calendar"), appSlot("com.apple.Notes", "Notes"),
                                       appSlot("com.apple.Terminal", "Terminal"),
                                       appSlot("com.apple.systempreferences", "Settings")}),
        SlotConfig::makeGroup("System", {actionSlot(K::toggleWiFi, "Wi-Fi"), actionSlot(K::toggleDND, "Do Not Disturb"),
                                         actionSlot(K::lockScreen, "Lock"), actionSlot(K::sleepDisplay, "Sleep Display"),
                                         actionSlot(K::toggleDarkMode, "Dark Mode"),
                                         actionSlot(K::screenshot, "Screenshot")}),
        SlotConfig::make(SlotType::modeSwitch(DialMode::music), "Music"),
        SlotConfig::make(SlotType::profileSwitch(), "Profiles"),
    };
    return menu;
}

}  // namespace

MenuGroup AppConfig::defaultMenu() {
    static const MenuGroup menu = makeDefaultMenu();
    return menu;
}

AppConfig AppConfig::defaultConfig() {
    static const AppConfig config = [] {
        AppConfig c;
        c.rootGroup = defaultMenu();
        c.musicHotkey = KeyCombination{46, 0x800, std::nullopt};
        return c;
    }();
    return config;
}

std::map<std::string, MenuGroup> AppConfig::appMenus() const {
    std::map<std::string, MenuGroup> out;
    for (const auto& [bundleId, override] : appOverrides) {
        if (auto group = override.menuGroup()) out.emplace(bundleId, std::move(*group));
    }
    return out;
}

void AppConfig::setAppMenus(const std::map<std::string, MenuGroup>& menus) {
    for (auto it = appOverrides.begin(); it != appOverrides.end();) {
        if (menus.count(it->first) == 0) {
            AppOverride& o = it->second;
            o.slots.reset();
            o.menuTitle.reset();
            if (!o.appearance && !o.menuRadius && !o.closeMenuKey && !o.goBackKey) {
                it = appOverrides.erase(it);
                continue;
            }
        }
        ++it;
    }
    for (const auto& [bundleId, group] : menus) {
        AppOverride& o = appOverrides[bundleId];  // adds an empty override when missing
        o.slots = group.slots;
        o.menuTitle = group.title;
    }
}

AppConfig AppConfig::applyingOverride(const AppOverride& override) const {
    AppConfig out = *this;
    if (override.slots) {
        MenuGroup root;
        root.id = Uuid::random();
        root.title = rootGroup.title;
        root.icon = rootGroup.icon;
        root.slots = *override.slots;
        out.rootGroup = std::move(root);
    }
    if (override.appearance) out.appearance = *override.appearance;
    if (override.menuRadius) out.menuRadius = clampRadius(*override.menuRadius);
    if (override.closeMenuKey) out.controls.closeMenuKey = *override.closeMenuKey;
    if (override.goBackKey) out.controls.goBackKey = *override.goBackKey;
    return out;
}

namespace {

// A shorthand that counts as absent when missing, null or invalid.
std::optional<KeyCombination> lenientShorthand(const Node& node, std::string_view key) {
    auto value = node.optional(key);
    if (!value) return std::nullopt;
    return json::attempt([&] { return KeyCombination::fromJson(*value); });
}

std::optional<HoldBinding> lenientBinding(const Node& node, std::string_view key) {
    auto value = node.optional(key);
    if (!value) return std::nullopt;
    return json::attempt([&] { return HoldBinding::fromJson(*value); });
}

// Notes that the value under `key`, present and not null, could not be
// used, and what is used instead.
void noteUnused(const Node& node, std::string_view key, std::string used) {
    if (node.hasValue(key)) json::CorrectionLog::note({node.pathWithKey(key), node[key].json().dump(), std::move(used)});
}

}  // namespace

AppConfig AppConfig::fromJson(const Node& node) {
    node.requireObject();
    AppConfig c;
    if (auto v = node.optional("version")) c.version = v->asInt();
    if (auto r = node.optional("menuRadius")) c.menuRadius = r->asDouble();
    c.menuRadius = json::clampNoted(node.pathWithKey("menuRadius"), c.menuRadius, kMinRadius, kMaxRadius);
    if (auto a = node.optional("appearance")) {
        auto appearance = json::attempt([&] { return AppearanceConfig::fromJson(*a); });
        if (!appearance) noteUnused(node, "appearance", "the default appearance");
        c.appearance = appearance.value_or(AppearanceConfig::defaultValue());
    }
    if (auto t = node.optional("showInTray"); t && t->isBool()) c.showInTray = t->asBool();
    else if (t) noteUnused(node, "showInTray", c.showInTray ? "true" : "false");
    c.musicHotkey = lenientShorthand(node, "musicHotkey");
    if (!c.musicHotkey) noteUnused(node, "musicHotkey", "none");
    if (auto i = node.optional("profileIcon")) {
        c.profileIcon = json::attempt([&] { return SlotIcon::fromJson(*i); });
        if (!c.profileIcon) noteUnused(node, "profileIcon", "none");
    }

    MenuGroup root;
    root.title = kMainMenuTitle;
    if (auto m = node.optional("menu")) root.slots = slotsFromJson(*m);
    c.rootGroup = std::move(root);

    std::map<std::string, std::vector<SlotConfig>> legacy;
    if (auto menus = node.optional("appMenus")) {
        for (const auto& key : menus->keys()) legacy.emplace(key, slotsFromJson((*menus)[key]));
    }
    std::map<std::string, AppOverride> overrides;
    if (auto o = node.optional("appOverrides")) {
        auto decoded = json::attempt([&] {
            std::map<std::string, AppOverride> out;
            for (const auto& key : o->keys()) out.emplace(key, AppOverride::fromJson((*o)[key]));
            return out;
        });
        if (decoded) overrides = std::move(*decoded);
        else noteUnused(node, "appOverrides", "no per-app settings");
    }
    for (auto& [bundleId, slots] : legacy) {
        AppOverride o;
        o.slots = std::move(slots);
        o.menuTitle = kDefaultAppMenuTitle;
        c.appOverrides[bundleId] = std::move(o);
    }
    for (auto& [bundleId, o] : overrides) c.appOverrides[bundleId] = std::move(o);

    const auto tap = lenientBinding(node, "tapActivation");
    const auto hotkey = tap ? std::nullopt : lenientShorthand(node, "hotkey");
    const auto hold = tap || hotkey ? std::nullopt : lenientBinding(node, "holdActivation");
    if (tap) c.activation = ActivationMode::tap(*tap);
    else if (hotkey) c.activation = ActivationMode::tap(HoldBinding::keyCombination(*hotkey));
    else if (hold) c.activation = ActivationMode::hold(*hold);
    const KeyCombination* chord = c.activation.binding.asKeyCombination();
    const std::string activation = (chord ? chord->toJson() : c.activation.binding.toJson()).dump();
    if (!tap) noteUnused(node, "tapActivation", activation);
    if (!tap && !hotkey) noteUnused(node, "hotkey", activation);
    if (!tap && !hotkey && !hold) noteUnused(node, "holdActivation", activation);
    if (auto k = lenientShorthand(node, "closeKey")) c.controls.closeMenuKey = *k;
    else noteUnused(node, "closeKey", c.controls.closeMenuKey.toJson().dump());
    if (auto k = lenientShorthand(node, "goBackKey")) c.controls.goBackKey = *k;
    else noteUnused(node, "goBackKey", c.controls.goBackKey.toJson().dump());
    return c;
}

Json AppConfig::toJson() const {
    Json out = json::objectWithRoom(12);
    out["version"] = 1;
    if (activation.isHold()) {
        out["holdActivation"] = activation.binding.toJson();
    } else if (const auto* key = activation.binding.asKeyCombination()) {
        out["hotkey"] = key->toJson();
    } else {
        out["tapActivation"] = activation.binding.toJson();
    }
    out["closeKey"] = controls.closeMenuKey.toJson();
    out["goBackKey"] = controls.goBackKey.toJson();
    out["menu"] = slotsToJson(rootGroup.slots);
    Json overrides = json::objectWithRoom(appOverrides.size());
    for (const auto& [bundleId, o] : appOverrides) overrides[bundleId] = o.toJson();
    out["appOverrides"] = std::move(overrides);
    out["menuRadius"] = menuRadius;
    out["appearance"] = appearance.toJson();
    out["showInTray"] = showInTray;
    if (musicHotkey) out["musicHotkey"] = musicHotkey->toJson();
    if (profileIcon) out["profileIcon"] = profileIcon->toJson();
    return out;
}

std::string AppConfig::encodeDocument() const { return json::write(toJson(), json::kConfigDocument); }

}  // namespace orbel
