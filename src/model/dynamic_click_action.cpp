#include "model/dynamic_click_action.h"

#include <string>

namespace orbel {

const ScriptInvocation* DynamicClickAction::script() const {
    const auto* p = std::get_if<RunScript>(&payload);
    return p ? &p->script : nullptr;
}

const SystemAction* DynamicClickAction::systemAction() const {
    const auto* p = std::get_if<Action>(&payload);
    return p ? &p->action : nullptr;
}

DynamicClickAction DynamicClickAction::fromJson(const json::Node& node) {
    if (node.isString()) {
        const std::string word = node.asString();
        if (word == "none") return none();
        if (word == "rerun") return rerunProducer();
        node.fail("Unknown DynamicClickAction bare string: " + word);
    }
    const std::string kind = node.string("kind");
    if (kind == "none") return none();
    if (kind == "rerunProducer") return rerunProducer();
    if (kind == "runScript") return runScript(ScriptInvocation::fromJson(node["value"]));
    if (kind == "action") return action(SystemAction::fromJson(node["value"]));
    node.failAtKey("kind", "Unknown DynamicClickAction kind: " + kind);
}

json::Json DynamicClickAction::toJson() const {
    json::Json out = json::Json::object();
    switch (kind()) {
        case Kind::runScript:
            out["kind"] = "runScript";
            out["value"] = script()->toJson();
            break;
        case Kind::action:
            out["kind"] = "action";
            out["value"] = systemAction()->toJson();
            break;
        case Kind::none: out["kind"] = "none"; break;
        case Kind::rerunProducer: out["kind"] = "rerunProducer"; break;
    }
    return out;
}

}  // namespace orbel
