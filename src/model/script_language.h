#pragma once

// The language a slot's script is written in. Stored as its raw value.

#include <optional>
#include <string_view>
#include <vector>

#include "model/json.h"

namespace orbel {

enum class ScriptLanguage { appleScript, shell, jxa };

// "applescript", "shell", "jxa".
std::string_view rawValue(ScriptLanguage language);
std::optional<ScriptLanguage> scriptLanguageFromRaw(std::string_view raw);
// In picker order: appleScript, shell, jxa.
const std::vector<ScriptLanguage>& allScriptLanguages();

// A single JSON string holding the raw value. Any other text fails with
// "Cannot initialize ScriptLanguage from invalid String value <text>".
ScriptLanguage scriptLanguageFromJson(const json::Node& node);
json::Json toJson(ScriptLanguage language);

}  // namespace orbel
