#include "model/script_language.h"

#include <string>

namespace orbel {

std::string_view rawValue(ScriptLanguage language) {
    switch (language) {
        case ScriptLanguage::appleScript: return "applescript";
        case ScriptLanguage::shell: return "shell";
        case ScriptLanguage::jxa: return "jxa";
    }
    return "shell";
}

std::optional<ScriptLanguage> scriptLanguageFromRaw(std::string_view raw) {
    for (ScriptLanguage l : allScriptLanguages()) {
        if (rawValue(l) == raw) return l;
    }
    return std::nullopt;
}

const std::vector<ScriptLanguage>& allScriptLanguages() {
    static const std::vector<ScriptLanguage> all = {ScriptLanguage::appleScript, ScriptLanguage::shell,
                                                    ScriptLanguage::jxa};
    return all;
}

ScriptLanguage scriptLanguageFromJson(const json::Node& node) {
    const std::string raw = node.asString();
    if (auto language = scriptLanguageFromRaw(raw)) return *language;
    node.fail("Cannot initialize ScriptLanguage from invalid String value " + raw);
}

json::Json toJson(ScriptLanguage language) { return std::string(rawValue(language)); }

}  // namespace orbel
