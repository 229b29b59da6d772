#pragma once

// Why a user script did not produce output, and the outcome of one run.

#include <cstdint>
#include <string>
#include <variant>

namespace orbel {

struct ScriptError {
    enum class Kind {
        nonzeroExit,   // the shell exited with a status other than 0
        osaFailed,     // the AppleScript / JavaScript interpreter failed
        launchFailed,  // the interpreter could not be started
    };

    Kind kind = Kind::launchFailed;
    std::int32_t code = 0;  // nonzeroExit: the exit status; 0 otherwise
    std::string message;    // nonzeroExit: everything written to standard error; otherwise the message

    static ScriptError nonzeroExit(std::int32_t code, std::string standardError);
    static ScriptError osaFailed(std::string message);
    static ScriptError launchFailed(std::string message);

    // The text shown to the user: "exit <code>" (then ": <standard error>"
    // when that is not empty) or the message, trimmed of white space and line
    // breaks at both ends.
    std::string description() const;

    // Same case and same payload (the code counts for nonzeroExit only).
    bool operator==(const ScriptError& other) const;
};

// Success with the script's standard output, or failure.
struct ScriptResult {
    std::variant<std::string, ScriptError> value;

    static ScriptResult success(std::string output) { return {std::move(output)}; }
    static ScriptResult failure(ScriptError error) { return {std::move(error)}; }

    bool isSuccess() const { return value.index() == 0; }
    // The output, or null on failure.
    const std::string* output() const { return std::get_if<std::string>(&value); }
    // The error, or null on success.
    const ScriptError* error() const { return std::get_if<ScriptError>(&value); }

    bool operator==(const ScriptResult&) const = default;
};

}  // namespace orbel
