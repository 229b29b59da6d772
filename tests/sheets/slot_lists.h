#pragma once

// Small slot lists for the editor tests: snippets titled like their text,
// and the titles of a list.

#include <string>
#include <vector>

#include "model/slot_config.h"

namespace orbel::testing {

inline SlotConfig snippet(const std::string& title) { return SlotConfig::make(SlotType::snippet(title), title); }

inline std::vector<std::string> titles(const std::vector<SlotConfig>& slots) {
    std::vector<std::string> out;
    for (const auto& s : slots) out.push_back(s.title);
    return out;
}

// Snippets "a", "b", ... in a group titled "Apps".
inline MenuGroup groupOf(int n) {
    MenuGroup g;
    g.title = "Apps";
    for (int i = 0; i < n; ++i) g.slots.push_back(snippet(std::string(1, static_cast<char>('a' + i))));
    return g;
}

}  // namespace orbel::testing
