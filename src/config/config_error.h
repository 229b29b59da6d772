#pragma once

// Validation errors of a loaded configuration, and the refusal to delete the
// active profile.

#include <string>

#include "model/error.h"

namespace orbel {

class ConfigError : public Error {
public:
    enum class Kind { invalidSlotConfiguration, missingRequiredField, invalidHotkey, emptyRootGroup, notSaved };

    static ConfigError invalidSlot(std::string message) { return {Kind::invalidSlotConfiguration, std::move(message)}; }
    static ConfigError missingField(std::string path) { return {Kind::missingRequiredField, std::move(path)}; }
    static ConfigError invalidHotkey() { return {Kind::invalidHotkey, {}}; }
    // A valid change that could not be written: the system's reason. What is
    // published stays what is on disk.
    static ConfigError notSaved(std::string reason) { return {Kind::notSaved, std::move(reason)}; }

    Kind kind() const { return kind_; }
    // The message, the field path, or the system's reason.
    const std::string& payload() const { return payload_; }
    bool operator==(const ConfigError& o) const { return kind_ == o.kind_ && payload_ == o.payload_; }

private:
    ConfigError(Kind kind, std::string payload);
    Kind kind_;
    std::string payload_;
};

class ProfileMutationError : public Error {
public:
    explicit ProfileMutationError(std::string name);
    const std::string& name() const { return name_; }

private:
    std::string name_;
};

}  // namespace orbel
