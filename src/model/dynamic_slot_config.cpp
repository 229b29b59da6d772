#include "model/dynamic_slot_config.h"

namespace orbel {

DynamicSlotConfig DynamicSlotConfig::fromJson(const json::Node& node) {
    DynamicSlotConfig out;
    out.producer = ScriptInvocation::fromJson(node["producer"]);
    if (auto click = node.optional("clickAction")) out.clickAction = DynamicClickAction::fromJson(*click);
    if (auto refresh = node.optional("refresh")) out.refresh = RefreshPolicy::fromJson(*refresh);
    return out;
}

json::Json DynamicSlotConfig::toJson() const {
    json::Json out = json::Json::object();
    out["producer"] = producer.toJson();
    out["clickAction"] = clickAction.toJson();
    out["refresh"] = refresh.toJson();
    return out;
}

}  // namespace orbel
