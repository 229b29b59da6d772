#include "model/dial_mode.h"

#include "model/raw_enum.h"

namespace orbel {

namespace {

constexpr raw_enum::Table<DialMode, 2> kDialModes{{
    {DialMode::standard, "standard"},
    {DialMode::music, "music"},
}};

}  // namespace

std::string_view rawValue(DialMode mode) { return raw_enum::rawValue(kDialModes, mode); }

std::optional<DialMode> dialModeFromRaw(std::string_view raw) { return raw_enum::fromRaw(kDialModes, raw); }

DialMode dialModeFromJson(const json::Node& node) { return raw_enum::fromJson(kDialModes, node, "DialMode"); }

json::Json toJson(DialMode mode) { return raw_enum::toJson(kDialModes, mode); }

}  // namespace orbel
