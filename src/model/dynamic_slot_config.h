#pragma once

// The payload of a dynamic slot: the script that produces its label, what
// choosing it does, and when the producer reruns.
//
// JSON: {"producer": ..., "clickAction": ..., "refresh": ...}. Only
// "producer" is required; a missing or null "clickAction" is `none` and a
// missing or null "refresh" is `menuOpen`. All three keys are always written.

#include "model/dynamic_click_action.h"
#include "model/json.h"
#include "model/refresh_policy.h"
#include "model/script_invocation.h"

namespace orbel {

struct DynamicSlotConfig {
    ScriptInvocation producer;
    DynamicClickAction clickAction = DynamicClickAction::none();
    RefreshPolicy refresh = RefreshPolicy::menuOpen();

    bool operator==(const DynamicSlotConfig&) const = default;

    static DynamicSlotConfig fromJson(const json::Node& node);
    json::Json toJson() const;
};

}  // namespace orbel
