#pragma once

// A script a slot runs: its language and its source text.
// JSON: {"language": raw value, "source": text}, both required.

#include <cstddef>
#include <functional>
#include <string>

#include "model/json.h"
#include "model/script_language.h"

namespace orbel {

struct ScriptInvocation {
    ScriptLanguage language = ScriptLanguage::shell;
    std::string source;  // may be empty, may span lines

    bool operator==(const ScriptInvocation&) const = default;
    std::size_t hash() const;

    static ScriptInvocation fromJson(const json::Node& node);
    json::Json toJson() const;
};

}  // namespace orbel

template <>
struct std::hash<orbel::ScriptInvocation> {
    std::size_t operator()(const orbel::ScriptInvocation& s) const noexcept { return s.hash(); }
};
