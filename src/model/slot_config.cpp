#include "model/slot_config.h"

#include "model/overloaded.h"

namespace orbel {

using json::Json;
using json::Node;

ProfileReference ProfileReference::fromJson(const Node& node) {
    return ProfileReference{text::trimSpacesAndTabs(node.asString())};
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

// MARK: kind object

SlotType SlotType::fromJson(const Node& node) {
    node.requireObject();
    if (auto app = node.optional("app"); app && app->isObject()) {
        return App{(*app).string("bundleId")};
    }
    if (node.has("action")) return Action{SystemAction::fromJson(node["action"])};
    if (node.has("group")) {
        if (auto group = json::attempt([&] { return MenuGroup::fromJson(node["group"]); })) {
            return SlotType::group(std::move(*group));
        }
    }
    if (node.has("keystroke")) {
        return Keystroke{node["keystroke"].map([](const Node& n) { return MacroStep::fromJson(n); })};
    }
    if (node.has("script")) return Script{ScriptInvocation::fromJson(node["script"])};
    if (node.has("snippet")) return Snippet{node.string("snippet")};
    if (node.has("dynamic")) return Dynamic{DynamicSlotConfig::fromJson(node["dynamic"])};
    if (node.has("cycle")) return Cycling(slotsFromJson(node["cycle"]));
    if (auto transport = node.optional("transport"); transport && transport->isObject()) {
        return Transport{transportCommandFromJson((*transport)["command"])};
    }
    if (node.has("volumeScrub")) return VolumeScrub{};
    if (auto mode = node.optional("modeSwitch"); mode && mode->isObject()) {
        return ModeSwitch{dialModeFromJson((*mode)["mode"])};
    }
    if (node.has("profileSwitch")) return ProfileSwitch{};
    if (node.has("profileTarget")) return ProfileTarget{ProfileReference::fromJson(node["profileTarget"])};
    node.fail("Unknown SlotType payload");
}

Json SlotType::toJson() const {
    Json out = Json::object();
    std::visit(Overloaded{
                   [&](const App& a) { out["app"] = Json{{"bundleId", a.bundleId}}; },
                   [&](const Action& a) { out["action"] = a.action.toJson(); },
                   [&](const Group& g) { out["group"] = g.group->toJson(); },
                   [&](const Keystroke& k) {
                       Json steps = Json::array();
                       for (const auto& step : k.steps) steps.push_back(step.toJson());
                       out["keystroke"] = std::move(steps);
                   },
                   [&](const Script& s) { out["script"] = s.invocation.toJson(); },
                   [&](const Snippet& s) { out["snippet"] = s.text; },
                   [&](const Dynamic& d) { out["dynamic"] = d.config.toJson(); },
                   [&](const Cycling& c) { out["cycle"] = slotsToJson(c.children); },
                   [&](const Transport& t) { out["transport"] = Json{{"command", orbel::toJson(t.command)}}; },
                   [&](const ModeSwitch& m) { out["modeSwitch"] = Json{{"mode", orbel::toJson(m.mode)}}; },
                   [&](const ProfileTarget& p) { out["profileTarget"] = p.profile.toJson(); },
                   [&](const VolumeScrub&) { out["volumeScrub"] = nullptr; },
                   [&](const ProfileSwitch&) { out["profileSwitch"] = nullptr; },
               },
               value);
    return out;
}

// MARK: slot object

std::optional<SlotType> SlotConfig::decodeFlatDiscriminator(const Node& node) {
    node.requireObject();
    if (node.has("app")) return SlotType::app(node.string("app"));
    if (node.has("action")) return SlotType::action(SystemAction::fromJson(node["action"]));
    if (node.has("group")) {
        MenuGroup group;
        group.title = node.string("group");
        if (auto items = node.optional("items")) group.slots = slotsFromJson(*items);
        return SlotType::group(std::move(group));
    }
    if (node.has("script")) return SlotType::script(ScriptInvocation::fromJson(node["script"]));
    if (node.has("snippet")) return SlotType::snippet(node.string("snippet"));
    if (node.has("dynamic")) return SlotType::dynamic(DynamicSlotConfig::fromJson(node["dynamic"]));
    if (node.has("cycle")) return SlotType::cycling(slotsFromJson(node["cycle"]));
    if (node.has("profile")) return SlotType::profileSwitch();
    if (node.has("keystroke")) {
        const Node list = node["keystroke"];
        // Step objects first; an older form lists chord shorthands.
        if (auto steps = json::attempt([&] { return list.map([](const Node& n) { return MacroStep::fromJson(n); }); })) {
            return SlotType::keystroke(std::move(*steps));
        }
        const auto texts = list.map([](const Node& n) { return n.asString(); });
        std::vector<MacroStep> steps;
        steps.reserve(texts.size());
        for (const auto& shorthand : texts) {
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
    std::visit(Overloaded{
                   [&](const SlotType::App& a) { out["app"] = a.bundleId; },
                   [&](const SlotType::Action& a) { out["action"] = a.action.toJson(); },
                   [&](const SlotType::Group& g) {
                       out["group"] = g.group->title;
                       out["items"] = slotsToJson(g.group->slots);
                   },
                   [&](const SlotType::Keystroke&) { out["keystroke"] = std::move(type.toJson()["keystroke"]); },
                   [&](const SlotType::Script& s) { out["script"] = s.invocation.toJson(); },
                   [&](const SlotType::Snippet& s) { out["snippet"] = s.text; },
                   [&](const SlotType::Dynamic& d) { out["dynamic"] = d.config.toJson(); },
                   [&](const SlotType::Cycling& c) { out["cycle"] = slotsToJson(c.children); },
                   [&](const SlotType::ProfileSwitch&) { out["profile"] = nullptr; },
                   [&](const auto&) { out["type"] = type.toJson(); },
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
