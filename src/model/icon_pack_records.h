#pragma once

// Rows of the icon-pack manifest and of a pack's icon catalogue, as the icon
// catalog reads them from the bundled resources.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/icon_pack.h"
#include "model/json.h"

namespace orbel {

// One pack of the manifest: {"id", "name", "license"?, "iconCount"}.
struct IconPackManifestEntry {
    IconPack pack;
    std::string displayName;
    std::optional<std::string> license;
    std::int64_t iconCount = 0;

    bool operator==(const IconPackManifestEntry&) const = default;
    std::size_t hash() const;

    static IconPackManifestEntry fromJson(const json::Node& node);
    json::Json toJson() const;
};

// One icon of a catalogue: {"name", "codepoint"?, "svgBody"?, "width"?,
// "height"?, "keywords"}. `codepoint` is hexadecimal, for font packs;
// `svgBody` with `width` and `height` is for SVG packs.
struct IconCatalogEntry {
    std::string name;
    std::optional<std::string> codepoint;
    std::optional<std::string> svgBody;
    std::optional<double> width;
    std::optional<double> height;
    std::vector<std::string> keywords;

    bool operator==(const IconCatalogEntry&) const = default;
    std::size_t hash() const;

    static IconCatalogEntry fromJson(const json::Node& node);
    json::Json toJson() const;
};

}  // namespace orbel

template <>
struct std::hash<orbel::IconPackManifestEntry> {
    std::size_t operator()(const orbel::IconPackManifestEntry& e) const noexcept { return e.hash(); }
};
template <>
struct std::hash<orbel::IconCatalogEntry> {
    std::size_t operator()(const orbel::IconCatalogEntry& e) const noexcept { return e.hash(); }
};
