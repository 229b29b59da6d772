#pragma once

// The identifier of one icon set ("lucide", "phosphor", "sf" for the system
// symbols, or any other text naming a user pack).

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/json.h"

namespace orbel {

struct IconPack {
    std::string rawValue;

    bool operator==(const IconPack&) const = default;
    const std::string& id() const { return rawValue; }

    // The known packs: identifier and display name, in lookup order.
    static const std::vector<std::pair<std::string, std::string>>& knownPacks();

    // The known pack's name, else the identifier's hyphen-separated words
    // capitalised and joined with single spaces ("my-icons" -> "My Icons").
    std::string displayName() const;
    // The PostScript name of the font drawing this pack's glyphs; nothing for
    // packs drawn from the system symbols or from SVG.
    std::optional<std::string> fontPostScriptName() const;

    // A single JSON string.
    static IconPack fromJson(const json::Node& node);
    json::Json toJson() const;
};

}  // namespace orbel

template <>
struct std::hash<orbel::IconPack> {
    std::size_t operator()(const orbel::IconPack& p) const noexcept {
        return std::hash<std::string>()(p.rawValue);
    }
};
