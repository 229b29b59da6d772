#include "model/dial_mode.h"

#include <string>

namespace orbel {

std::string_view rawValue(DialMode mode) {
    switch (mode) {
        case DialMode::standard: return "standard";
        case DialMode::music: return "music";
    }
    return "standard";
}

std::optional<DialMode> dialModeFromRaw(std::string_view raw) {
    for (auto mode : {DialMode::standard, DialMode::music}) {
        if (rawValue(mode) == raw) return mode;
    }
    return std::nullopt;
}

DialMode dialModeFromJson(const json::Node& node) {
    const std::string raw = node.asString();
    if (auto mode = dialModeFromRaw(raw)) return *mode;
    node.fail("Cannot initialize DialMode from invalid String value " + raw);
}

json::Json toJson(DialMode mode) { return std::string(rawValue(mode)); }

}  // namespace orbel
