#include "model/icon_pack_records.h"

#include "model/hash.h"

namespace orbel {

namespace {
template <class T>
void combine(std::size_t& seed, const T& v) {
    seed = hashCombine(seed, std::hash<T>()(v));
}
template <class T>
void combine(std::size_t& seed, const std::optional<T>& v) {
    combine(seed, v.has_value());
    if (v) combine(seed, *v);
}
}  // namespace

std::size_t IconPackManifestEntry::hash() const {
    std::size_t seed = 0;
    combine(seed, pack);
    combine(seed, displayName);
    combine(seed, license);
    combine(seed, iconCount);
    return seed;
}

IconPackManifestEntry IconPackManifestEntry::fromJson(const json::Node& node) {
    IconPackManifestEntry e;
    e.pack = IconPack::fromJson(node["id"]);
    e.displayName = node.string("name");
    e.license = node.optionalString("license");
    e.iconCount = node.integer("iconCount");
    return e;
}

json::Json IconPackManifestEntry::toJson() const {
    json::Json out = json::Json::object();
    out["id"] = pack.toJson();
    out["name"] = displayName;
    if (license) out["license"] = *license;
    out["iconCount"] = iconCount;
    return out;
}

std::size_t IconCatalogEntry::hash() const {
    std::size_t seed = 0;
    combine(seed, name);
    combine(seed, codepoint);
    combine(seed, svgBody);
    combine(seed, width);
    combine(seed, height);
    combine(seed, keywords.size());
    for (const auto& k : keywords) combine(seed, k);
    return seed;
}

IconCatalogEntry IconCatalogEntry::fromJson(const json::Node& node) {
    IconCatalogEntry e;
    e.name = node.string("name");
    e.codepoint = node.optionalString("codepoint");
    e.svgBody = node.optionalString("svgBody");
    e.width = node.optionalNumber("width");
    e.height = node.optionalNumber("height");
    e.keywords = node["keywords"].map([](const json::Node& k) { return k.asString(); });
    return e;
}

json::Json IconCatalogEntry::toJson() const {
    json::Json out = json::Json::object();
    out["name"] = name;
    if (codepoint) out["codepoint"] = *codepoint;
    if (svgBody) out["svgBody"] = *svgBody;
    if (width) out["width"] = *width;
    if (height) out["height"] = *height;
    out["keywords"] = keywords;
    return out;
}

}  // namespace orbel
