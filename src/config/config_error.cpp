#include "config/config_error.h"
#include "model/profile_name.h"

namespace orbel {
namespace {

std::string describe(ConfigError::Kind kind, const std::string& payload) {
    using Kind = ConfigError::Kind;
    switch (kind) {
        case Kind::invalidSlotConfiguration: return "Invalid slot configuration: " + payload;
        case Kind::missingRequiredField: return "Missing required field: " + payload;
        case Kind::invalidHotkey: return "Invalid hotkey configuration";
        case Kind::emptyRootGroup: return "Root group cannot be empty";
        case Kind::notSaved: return payload;
    }
    return {};
}

}  // namespace

ConfigError::ConfigError(Kind kind, std::string payload)
    : Error(describe(kind, payload)), kind_(kind), payload_(std::move(payload)) {}

ProfileMutationError::ProfileMutationError(std::string name)
    : Error("Cannot delete \"" + shownProfileName(name) + "\" while it's the active profile. Switch to another profile first."),
      name_(std::move(name)) {}

}  // namespace orbel
