#include "model/system_action.h"

#include <array>
#include <cmath>

#include "model/hash.h"
#include "model/text.h"

namespace orbel {

namespace {

struct ActionInfo {
    std::string_view identifier;
    std::string_view title;  // for the valued cases: the text before the percentage
    std::string_view symbol;
    ActionCategory category;
};

using K = SystemAction::Kind;
using C = ActionCategory;

// Indexed by Kind.
constexpr std::array<ActionInfo, SystemAction::kCaseCount> kInfo = {{
    {"volume_up", "Volume Up", "speaker.wave.3.fill", C::audio},
    {"volume_down", "Volume Down", "speaker.wave.1.fill", C::audio},
    {"volume_mute", "Mute", "speaker.slash.fill", C::audio},
    {"next_output_device", "Next Audio Output", "airplay.audio", C::audio},
    {"set_volume", "Set Volume to ", "speaker.wave.2.fill", C::audio},
    {"brightness_up", "Brightness Up", "sun.max.fill", C::display},
    {"brightness_down", "Brightness Down", "sun.min.fill", C::display},
    {"toggle_dark_mode", "Toggle Dark Mode", "circle.lefthalf.filled", C::display},
    {"mission_control", "Mission Control", "rectangle.3.group", C::display},
    {"show_desktop", "Show Desktop", "macwindow.on.rectangle", C::display},
    {"next_display", "Switch Main Display", "rectangle.on.rectangle", C::display},
    {"set_brightness", "Set Brightness to ", "sun.max", C::display},
    {"media_play_pause", "Play / Pause", "playpause.fill", C::media},
    {"media_next", "Next Track", "forward.fill", C::media},
    {"media_previous", "Previous Track", "backward.fill", C::media},
    {"toggle_wifi", "Toggle Wi-Fi", "wifi", C::connectivity},
    {"toggle_dnd", "Toggle Do Not Disturb", "moon.zzz", C::connectivity},
    {"spotlight", "Open Spotlight", "magnifyingglass", C::utilities},
    {"screenshot", "Screenshot Selection", "camera.viewfinder", C::utilities},
    {"screenshot_full", "Screenshot Full Screen", "camera.fill", C::utilities},
    {"screen_recording", "Screen Recording", "record.circle", C::utilities},
    {"empty_trash", "Empty Trash", "trash", C::utilities},
    {"hide_front_app", "Hide Front App", "eye.slash", C::utilities},
    {"force_quit", "Force Quit Menu", "xmark.octagon", C::utilities},
    {"lock_screen", "Lock Screen", "lock", C::system},
    {"sleep_display", "Sleep Display", "moon", C::system},
    {"sleep_computer", "Sleep Computer", "powersleep", C::system},
    {"log_out", "Log Out", "rectangle.portrait.and.arrow.right", C::system},
    {"restart", "Restart", "arrow.clockwise.circle", C::system},
    {"shutdown", "Shut Down", "power", C::system},
}};

const ActionInfo& info(K kind) { return kInfo[static_cast<std::size_t>(kind)]; }

}  // namespace

std::string_view SystemAction::identifier() const { return info(kind).identifier; }

std::string_view SystemAction::symbolName() const { return info(kind).symbol; }

ActionCategory SystemAction::category() const { return info(kind).category; }

std::string SystemAction::title() const {
    if (!hasValue()) return std::string(info(kind).title);
    // Above 1 counts as 1; 0 or less (and NaN) as 0.
    double v = value > 1.0 ? 1.0 : value;
    double percent = v * 100.0;
    if (!(v > 0.0)) percent = 0.0;
    const auto rounded = static_cast<long long>(text::roundHalfAwayFromZero(percent));
    return std::string(info(kind).title) + std::to_string(rounded) + "%";
}

const std::vector<SystemAction>& SystemAction::parameterlessCases() {
    static const std::vector<SystemAction> cases = [] {
        std::vector<SystemAction> out;
        for (int i = 0; i < kCaseCount; ++i) {
            const auto k = static_cast<Kind>(i);
            if (!hasValue(k)) out.emplace_back(k);
        }
        return out;
    }();
    return cases;
}

std::vector<SystemAction> SystemAction::parameterlessCases(ActionCategory category) {
    std::vector<SystemAction> out;
    for (const SystemAction& a : parameterlessCases()) {
        if (a.category() == category) out.push_back(a);
    }
    return out;
}

std::optional<SystemAction> SystemAction::fromIdentifier(std::string_view identifier) {
    for (const SystemAction& a : parameterlessCases()) {
        if (a.identifier() == identifier) return a;
    }
    return std::nullopt;
}

double SystemAction::clampLevel(double level) { return text::clamp(level, 0.0, 1.0); }

SystemAction SystemAction::fromJson(const json::Node& node) {
    if (node.isString()) {
        const std::string id = node.asString();
        if (auto found = fromIdentifier(id)) return *found;
        node.fail(std::string(kUnknownSystemActionPrefix) + id);
    }
    const std::string id = node.string("id");
    if (id == info(Kind::setVolume).identifier)
        return setVolume(json::clampNoted(node.pathWithKey("value"), node.number("value"), 0.0, 1.0));
    if (id == info(Kind::setBrightness).identifier)
        return setBrightness(json::clampNoted(node.pathWithKey("value"), node.number("value"), 0.0, 1.0));
    if (auto found = fromIdentifier(id)) return *found;
    node.failAtKey("id", std::string(kUnknownSystemActionPrefix) + id);
}

json::Json SystemAction::toJson() const {
    json::Json out = json::Json::object();
    out["id"] = std::string(identifier());
    if (hasValue()) out["value"] = clampLevel(value);
    return out;
}

bool SystemAction::operator==(const SystemAction& other) const {
    if (kind != other.kind) return false;
    if (!hasValue()) return true;
    if (std::isnan(value) && std::isnan(other.value)) return true;
    return value == other.value;
}

std::size_t SystemAction::hash() const {
    std::size_t h = std::hash<int>{}(static_cast<int>(kind));
    if (hasValue()) {
        double v = value;
        if (v == 0.0) v = 0.0;  // -0.0 hashes like 0.0
        const std::size_t vh = std::isnan(v) ? std::size_t{0x7ff8} : std::hash<double>{}(v);
        h = hashCombine(h, vh);
    }
    return h;
}

}  // namespace orbel
