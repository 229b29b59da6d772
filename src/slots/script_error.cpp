#include "slots/script_error.h"

#include "model/text.h"

namespace orbel {

ScriptError ScriptError::nonzeroExit(std::int32_t code, std::string standardError) {
    return {Kind::nonzeroExit, code, std::move(standardError)};
}

ScriptError ScriptError::osaFailed(std::string message) { return {Kind::osaFailed, 0, std::move(message)}; }

ScriptError ScriptError::launchFailed(std::string message) { return {Kind::launchFailed, 0, std::move(message)}; }

std::string ScriptError::description() const {
    std::string text;
    if (kind == Kind::nonzeroExit) {
        text = "exit " + std::to_string(code);
        // Emptiness is judged before trimming: a lone line break still adds ": ".
        if (!message.empty()) text += ": " + message;
    } else {
        text = message;
    }
    return text::trimWhitespaceAndNewlines(text);
}

bool ScriptError::operator==(const ScriptError& other) const {
    if (kind != other.kind || message != other.message) return false;
    return kind != Kind::nonzeroExit || code == other.code;
}

}  // namespace orbel
