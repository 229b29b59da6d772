#include "config/config_error.h"

namespace orbel {

std::string ConfigError::errorDescription() const {
    switch (kind) {
        case Kind::invalidSlotConfiguration: return "Invalid slot configuration: " + payload;
        case Kind::missingRequiredField: return "Missing required field: " + payload;
        case Kind::invalidHotkey: return "Invalid hotkey configuration";
        case Kind::emptyRootGroup: return "Root group cannot be empty";
    }
    return {};
}

ProfileMutationError::ProfileMutationError(std::string name)
    : name_(std::move(name)),
      text_("Cannot delete \"" + name_ + "\" while it's the active profile. Switch to another profile first.") {}

}  // namespace orbel
