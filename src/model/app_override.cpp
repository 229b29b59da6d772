#include "model/app_override.h"

namespace orbel {

using json::Json;
using json::Node;

std::optional<MenuGroup> AppOverride::menuGroup() const {
    if (!slots) return std::nullopt;
    MenuGroup group;
    group.id = Uuid::random();
    group.title = menuTitle.value_or(kDefaultAppMenuTitle);
    group.slots = *slots;
    return group;
}

AppOverride AppOverride::fromJson(const Node& node) {
    node.requireObject();
    AppOverride o;
    if (auto n = node.optional("slots")) o.slots = slotsFromJson(*n);
    if (auto n = node.optional("menuTitle")) o.menuTitle = n->asString();
    if (auto n = node.optional("appearance")) o.appearance = AppearanceConfig::fromJson(*n);
    if (auto n = node.optional("menuRadius")) {
        o.menuRadius = n->asDouble();
        // Kept as written; the dial uses it clamped, which is said here.
        (void)json::clampNoted(node.pathWithKey("menuRadius"), *o.menuRadius, kMinDialRadius, kMaxDialRadius);
    }
    if (auto n = node.optional("closeMenuKey")) o.closeMenuKey = KeyCombination::fromJson(*n);
    if (auto n = node.optional("goBackKey")) o.goBackKey = KeyCombination::fromJson(*n);
    return o;
}

Json AppOverride::toJson() const {
    Json out = json::objectWithRoom(6);
    if (slots) out["slots"] = slotsToJson(*slots);
    if (menuTitle) out["menuTitle"] = *menuTitle;
    if (appearance) out["appearance"] = appearance->toJson();
    if (menuRadius) out["menuRadius"] = *menuRadius;
    if (closeMenuKey) out["closeMenuKey"] = closeMenuKey->toJson();
    if (goBackKey) out["goBackKey"] = goBackKey->toJson();
    return out;
}

}  // namespace orbel
