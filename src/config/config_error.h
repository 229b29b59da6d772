#pragma once

// Validation errors of a loaded configuration, and the refusal to delete the
// active profile.

#include <exception>
#include <string>

namespace orbel {

struct ConfigError {
    enum class Kind { invalidSlotConfiguration, missingRequiredField, invalidHotkey, emptyRootGroup };
    Kind kind;
    std::string payload;  // the message, or the field path

    static ConfigError invalidSlot(std::string message) { return {Kind::invalidSlotConfiguration, std::move(message)}; }
    static ConfigError missingField(std::string path) { return {Kind::missingRequiredField, std::move(path)}; }
    static ConfigError invalidHotkey() { return {Kind::invalidHotkey, {}}; }

    std::string errorDescription() const;
    bool operator==(const ConfigError&) const = default;
};

class ProfileMutationError : public std::exception {
public:
    explicit ProfileMutationError(std::string name);
    const std::string& name() const { return name_; }
    const char* what() const noexcept override { return text_.c_str(); }

private:
    std::string name_;
    std::string text_;
};

}  // namespace orbel
