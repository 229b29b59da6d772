#include "model/script_invocation.h"

#include <string_view>

#include "model/hash.h"

namespace orbel {

std::size_t ScriptInvocation::hash() const {
    const std::size_t a = std::hash<std::string_view>{}(rawValue(language));
    const std::size_t b = std::hash<std::string>{}(source);
    return hashCombine(a, b);
}

ScriptInvocation ScriptInvocation::fromJson(const json::Node& node) {
    ScriptInvocation out;
    out.language = scriptLanguageFromJson(node["language"]);
    out.source = node.string("source");
    return out;
}

json::Json ScriptInvocation::toJson() const {
    json::Json out = json::Json::object();
    out["language"] = orbel::toJson(language);
    out["source"] = source;
    return out;
}

}  // namespace orbel
