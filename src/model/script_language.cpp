#include "model/script_language.h"

#include "model/raw_enum.h"

namespace orbel {

namespace {

constexpr raw_enum::Table<ScriptLanguage, 3> kScriptLanguages{{
    {ScriptLanguage::appleScript, "applescript"},
    {ScriptLanguage::shell, "shell"},
    {ScriptLanguage::jxa, "jxa"},
}};

}  // namespace

std::string_view rawValue(ScriptLanguage language) { return raw_enum::rawValue(kScriptLanguages, language); }

std::optional<ScriptLanguage> scriptLanguageFromRaw(std::string_view raw) {
    return raw_enum::fromRaw(kScriptLanguages, raw);
}

const std::vector<ScriptLanguage>& allScriptLanguages() {
    static const std::vector<ScriptLanguage> all = raw_enum::values(kScriptLanguages);
    return all;
}

ScriptLanguage scriptLanguageFromJson(const json::Node& node) {
    return raw_enum::fromJson(kScriptLanguages, node, "ScriptLanguage");
}

json::Json toJson(ScriptLanguage language) { return raw_enum::toJson(kScriptLanguages, language); }

}  // namespace orbel
