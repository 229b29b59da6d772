#pragma once

// What choosing a dynamic slot does: run a script, perform a system action,
// nothing, or rerun the slot's producer at once.
//
// JSON: {"kind": "runScript"|"action"|"none"|"rerunProducer", "value": payload}
// ("value" only for the first two). Older files may hold the bare strings
// "none" and "rerun"; those are read, never written.

#include <utility>
#include <variant>

#include "model/json.h"
#include "model/script_invocation.h"
#include "model/system_action.h"

namespace orbel {

struct DynamicClickAction {
    enum class Kind { runScript, action, none, rerunProducer };

    struct RunScript {
        ScriptInvocation script;
        bool operator==(const RunScript&) const = default;
    };
    struct Action {
        SystemAction action;
        bool operator==(const Action&) const = default;
    };
    struct None {
        bool operator==(const None&) const = default;
    };
    struct RerunProducer {
        bool operator==(const RerunProducer&) const = default;
    };

    std::variant<RunScript, Action, None, RerunProducer> payload = None{};

    static DynamicClickAction runScript(ScriptInvocation script) { return {RunScript{std::move(script)}}; }
    static DynamicClickAction action(SystemAction action) { return {Action{action}}; }
    static DynamicClickAction none() { return {None{}}; }
    static DynamicClickAction rerunProducer() { return {RerunProducer{}}; }

    Kind kind() const { return static_cast<Kind>(payload.index()); }
    // The payload of runScript / action, or null for the other cases.
    const ScriptInvocation* script() const;
    const SystemAction* systemAction() const;

    bool operator==(const DynamicClickAction&) const = default;

    static DynamicClickAction fromJson(const json::Node& node);
    json::Json toJson() const;
};

}  // namespace orbel
