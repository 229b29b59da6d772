#include "model/slot_config.h"

#include "model/profile_name.h"
#include "model/text.h"

#include "model/overloaded.h"

namespace orbel {

using json::Json;
using json::Node;

ProfileReference ProfileReference::fromJson(const Node& node) {
    return ProfileReference{normalisedProfileName(node.asString())};
}

bool SlotType::Group::operator==(const Group& other) const { return group->id == other.group->id; }
bool SlotType::Cycling::operator==(const Cycling& other) const { return children == other.children; }

SlotType SlotType::group(MenuGroup g) { return Group{Box<MenuGroup>(std::move(g))}; }
SlotType SlotType::cycling(std::vector<SlotConfig> children) { return Cycling(std::move(children)); }

namespace {

std::string appNameFromBundleId(const std::string& bundleId) {
    std::string last;
    std::size_t start = 0;
    while (start <= bundleId.size()) {
        const std::size_t dot = bundleId.find('.', start);
        const std::size_t end = dot == std::string::npos ? bundleId.size() : dot;
        if (end > start) last = bundleId.substr(start, end - start);
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    if (last.empty()) last = bundleId;
    return text::capitalizeFirst(last);
}

}  // namespace

std::string SlotType::defaultTitle() const {
    return std::visit(Overloaded{
                          [](const App& a) { return appNameFromBundleId(a.bundleId); },
                          [](const Action& a) { return a.action.title(); },
                          [](const Group& g) { return g.group->title; },
                          [](const ProfileTarget& p) { return p.profile.name; },
                          [](const ProfileSwitch&) { return std::string("Profiles"); },
                          [](const auto&) { return std::string(); },
                      },
                      value);
}

std::vector<SlotConfig> slotsFromJson(const Node& node) {
    return node.map([](const Node& element) { return SlotConfig::fromJson(element); });
}

Json slotsToJson(const std::vector<SlotConfig>& slots) {
    Json out = Json::array();
    for (const auto& slot : slots) out.push_back(slot.toJson());
    return out;
}

// MARK: the kinds' coding
//
// Each kind's key and payload are read and written here only. The kind
// object ("type": {key: payload}) uses every entry; a slot object uses the
// same key and payload for the kinds marked `flat`, and forms of its own for
// an app, a group, a profile switch and an older keystroke list.

namespace {

template <class T>
struct Coding;

template <>
struct Coding<SlotType::App> {
    static constexpr const char* key = "app";
    static constexpr bool flat = false, needsObject = true;
    static SlotType::App read(const Node& n) { return {n.string("bundleId")}; }
    static Json write(const SlotType::App& a) { return Json{{"bundleId", a.bundleId}}; }
};
template <>
struct Coding<SlotType::Action> {
    static constexpr const char* key = "action";
    static constexpr bool flat = true, needsObject = false;
    static SlotType::Action read(const Node& n) { return {SystemAction::fromJson(n)}; }
    static Json write(const SlotType::Action& a) { return a.action.toJson(); }
};
template <>
struct Coding<SlotType::Group> {
    static constexpr const char* key = "group";
    static constexpr bool flat = false, needsObject = false;
    static SlotType::Group read(const Node& n) { return {Box<MenuGroup>(MenuGroup::fromJson(n))}; }
    static Json write(const SlotType::Group& g) { return g.group->toJson(); }
};
template <>
struct Coding<SlotType::Keystroke> {
    static constexpr const char* key = "keystroke";
    static constexpr bool flat = true, needsObject = false;
    static SlotType::Keystroke read(const Node& n) { return {n.map(MacroStep::fromJson)}; }
    static Json write(const SlotType::Keystroke& k) {
        Json steps = Json::array();
        for (const auto& step : k.steps) steps.push_back(step.toJson());
        return steps;
    }
};
template <>
struct Coding<SlotType::Script> {
    static constexpr const char* key = "script";
    static constexpr bool flat = true, needsObject = false;
    static SlotType::Script read(const Node& n) { return {ScriptInvocation::fromJson(n)}; }
    static Json write(const SlotType::Script& s) { return s.invocation.toJson(); }
};
template <>
struct Coding<SlotType::Snippet> {
    static constexpr const char* key = "snippet";
    static constexpr bool flat = true, needsObject = false;
    static SlotType::Snippet read(const Node& n) { return {n.asString()}; }
    static Json write(const SlotType::Snippet& s) { return s.text; }
};
template <>
struct Coding<SlotType::Dynamic> {
    static constexpr const char* key = "dynamic";
    static constexpr bool flat = true, needsObject = false;
    static SlotType::Dynamic read(const Node& n) { return {DynamicSlotConfig::fromJson(n)}; }
    static Json write(const SlotType::Dynamic& d) { return d.config.toJson(); }
};
template <>
struct Coding<SlotType::Cycling> {
    static constexpr const char* key = "cycle";
    static constexpr bool flat = true, needsObject = false;
    static SlotType::Cycling read(const Node& n) { return SlotType::Cycling(slotsFromJson(n)); }
    static Json write(const SlotType::Cycling& c) { return slotsToJson(c.children); }
};
template <>
struct Coding<SlotType::Transport> {
    static constexpr const char* key = "transport";
    static constexpr bool flat = false, needsObject = true;
    static SlotType::Transport read(const Node& n) { return {transportCommandFromJson(n["command"])}; }
    static Json write(const SlotType::Transport& t) { return Json{{"command", orbel::toJson(t.command)}}; }
};
template <>
struct Coding<SlotType::ModeSwitch> {
    static constexpr const char* key = "modeSwitch";
    static constexpr bool flat = false, needsObject = true;
    static SlotType::ModeSwitch read(const Node& n) { return {dialModeFromJson(n["mode"])}; }
    static Json write(const SlotType::ModeSwitch& m) { return Json{{"mode", orbel::toJson(m.mode)}}; }
};
template <>
struct Coding<SlotType::ProfileTarget> {
    static constexpr const char* key = "profileTarget";
    static constexpr bool flat = false, needsObject = false;
    static SlotType::ProfileTarget read(const Node& n) { return {ProfileReference::fromJson(n)}; }
    static Json write(const SlotType::ProfileTarget& p) { return p.profile.toJson(); }
};
template <>
struct Coding<SlotType::VolumeScrub> {
    static constexpr const char* key = "volumeScrub";
    static constexpr bool flat = false, needsObject = false;
    static SlotType::VolumeScrub read(const Node&) { return {}; }
    static Json write(const SlotType::VolumeScrub&) { return nullptr; }
};
template <>
struct Coding<SlotType::ProfileSwitch> {
    static constexpr const char* key = "profileSwitch";
    static constexpr bool flat = false, needsObject = false;
    static SlotType::ProfileSwitch read(const Node&) { return {}; }
    static Json write(const SlotType::ProfileSwitch&) { return nullptr; }
};

// The kind T when its key is present: an app, transport or mode switch
// payload must be an object, and a group that does not decode lets the
// probing go on; any other failure is the document's.
template <class T>
std::optional<SlotType> probe(const Node& node) {
    if (!node.has(Coding<T>::key)) return std::nullopt;
    const Node payload = node[Coding<T>::key];
    if constexpr (Coding<T>::needsObject) {
        if (!payload.isObject()) return std::nullopt;
    }
    if constexpr (std::is_same_v<T, SlotType::Group>) {
        return json::attempt([&] { return SlotType(Coding<T>::read(payload)); });
    } else {
        return SlotType(Coding<T>::read(payload));
    }
}

// The order in which a kind object is probed: the first kind present wins.
using Probe = std::optional<SlotType> (*)(const Node&);
constexpr Probe kKeyedProbes[] = {
    probe<SlotType::App>,       probe<SlotType::Action>,      probe<SlotType::Group>,     probe<SlotType::Keystroke>,
    probe<SlotType::Script>,    probe<SlotType::Snippet>,     probe<SlotType::Dynamic>,   probe<SlotType::Cycling>,
    probe<SlotType::Transport>, probe<SlotType::VolumeScrub>, probe<SlotType::ModeSwitch>, probe<SlotType::ProfileSwitch>,
    probe<SlotType::ProfileTarget>,
};
static_assert(std::size(kKeyedProbes) == std::variant_size_v<SlotType::Value>, "every kind is probed");

}  // namespace

SlotType SlotType::fromJson(const Node& node) {
    node.requireObject();
    for (const Probe& read : kKeyedProbes) {
        if (auto type = read(node)) return std::move(*type);
    }
    node.fail("Unknown SlotType payload");
}

Json SlotType::toJson() const {
    return std::visit(
        [](const auto& kind) {
            using T = std::decay_t<decltype(kind)>;
            Json out = Json::object();
            out[Coding<T>::key] = Coding<T>::write(kind);
            return out;
        },
        value);
}

// MARK: slot object

std::optional<SlotType> SlotConfig::decodeFlatDiscriminator(const Node& node) {
    node.requireObject();
    if (node.has("app")) return SlotType::app(node.string("app"));
    if (auto action = probe<SlotType::Action>(node)) return action;
    if (node.has("group")) {
        MenuGroup group;
        group.title = node.string("group");
        if (auto items = node.optional("items")) group.slots = slotsFromJson(*items);
        return SlotType::group(std::move(group));
    }
    for (const Probe& read : {probe<SlotType::Script>, probe<SlotType::Snippet>, probe<SlotType::Dynamic>,
                              probe<SlotType::Cycling>}) {
        if (auto type = read(node)) return type;
    }
    if (node.has("profile")) return SlotType::profileSwitch();
    if (node.has("keystroke")) {
        const Node list = node["keystroke"];
        // Step objects first; an older form lists chord shorthands.
        if (auto steps = json::attempt([&] { return Coding<SlotType::Keystroke>::read(list); })) return SlotType(*steps);
        std::vector<MacroStep> steps;
        for (const auto& shorthand : list.map([](const Node& n) { return n.asString(); })) {
            auto combination = KeyCombination::parse(shorthand);
            if (!combination) {
                node.failAtKey("keystroke", "Unrecognized chord shorthand \"" + shorthand + "\" in keystroke list");
            }
            steps.push_back(MacroStep::chord(*combination));
        }
        return SlotType::keystroke(std::move(steps));
    }
    return std::nullopt;
}

SlotConfig SlotConfig::fromJson(const Node& node) {
    node.requireObject();
    SlotConfig slot;
    slot.id = Uuid::random();
    if (auto scope = node.optional("scope")) slot.scope = SlotScope::fromJson(*scope);
    if (auto flat = decodeFlatDiscriminator(node)) {
        slot.type = std::move(*flat);
    } else {
        if (!node.has("type")) node.fail(kNoDiscriminatorMessage);
        slot.type = SlotType::fromJson(node["type"]);
    }
    if (auto title = node.optional("title")) slot.title = title->asString();
    else slot.title = slot.type.defaultTitle();
    SlotIcon icon = SlotIcon::automatic();
    if (auto iconNode = node.optional("icon")) icon = SlotIcon::fromJson(*iconNode);

    if (slot.type.is<SlotType::App>() || slot.type.is<SlotType::Action>() || slot.type.is<SlotType::Transport>() ||
        slot.type.is<SlotType::ModeSwitch>() || slot.type.is<SlotType::VolumeScrub>()) {
        slot.icon = SlotIcon::automatic();
    } else if (auto* group = slot.type.get<SlotType::Group>()) {
        if (!icon.isAuto()) (*group->group).icon = icon;
        slot.icon = icon;
    } else {
        slot.icon = icon;
    }
    return slot;
}

SlotConfig SlotConfig::make(SlotType type, std::string title, SlotIcon icon) {
    SlotConfig slot;
    slot.type = std::move(type);
    slot.title = std::move(title);
    slot.icon = std::move(icon);
    return slot;
}

SlotConfig SlotConfig::makeApp(std::string bundleId, const std::string& name) {
    std::string title = text::trimWhitespaceAndNewlines(name).empty() ? bundleId : name;
    if (text::trimWhitespaceAndNewlines(title).empty()) title = "App";
    return make(SlotType::app(std::move(bundleId)), std::move(title));
}

SlotConfig SlotConfig::makeGroup(std::string title, std::vector<SlotConfig> slots, SlotIcon icon) {
    MenuGroup group;
    group.title = title;
    group.slots = std::move(slots);
    group.icon = std::move(icon);
    return make(SlotType::group(std::move(group)), std::move(title));
}

SlotIcon SlotConfig::effectiveIcon() const {
    if (auto* group = type.get<SlotType::Group>(); group && !group->group->icon.isAuto()) return group->group->icon;
    return icon;
}

Json SlotConfig::toJson() const {
    Json out = json::objectWithRoom(5);
    std::visit(
        [&](const auto& kind) {
            using T = std::decay_t<decltype(kind)>;
            if constexpr (Coding<T>::flat) {
                out[Coding<T>::key] = Coding<T>::write(kind);
            } else if constexpr (std::is_same_v<T, SlotType::App>) {
                out["app"] = kind.bundleId;
            } else if constexpr (std::is_same_v<T, SlotType::Group>) {
                out["group"] = kind.group->title;
                out["items"] = slotsToJson(kind.group->slots);
            } else if constexpr (std::is_same_v<T, SlotType::ProfileSwitch>) {
                out["profile"] = nullptr;
            } else {
                out["type"] = type.toJson();
            }
        },
        type.value);
    if (title != type.defaultTitle()) out["title"] = title;
    if (const SlotIcon shown = effectiveIcon(); !shown.isAuto()) out["icon"] = shown.toJson();
    if (!scope.isGlobal()) out["scope"] = scope.toJson();
    return out;
}

// MARK: group

MenuGroup MenuGroup::fromJson(const Node& node) {
    node.requireObject();
    MenuGroup group;
    group.id = Uuid::random();
    group.title = node.string("title");
    if (auto slots = node.optional("slots")) group.slots = slotsFromJson(*slots);
    if (auto icon = node.optional("icon")) group.icon = SlotIcon::fromJson(*icon);
    return group;
}

Json MenuGroup::toJson() const {
    Json out = json::objectWithRoom(3);
    out["title"] = title;
    out["slots"] = slotsToJson(slots);
    if (!icon.isAuto()) out["icon"] = icon.toJson();
    return out;
}

}  // namespace orbel
