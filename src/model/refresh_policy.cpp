#include "model/refresh_policy.h"

#include <string>

#include "model/hash.h"
#include "model/text.h"

namespace orbel {

std::int64_t RefreshPolicy::clampSeconds(std::int64_t seconds) {
    return text::clamp(seconds, kMinSeconds, kMaxSeconds);
}

bool RefreshPolicy::operator==(const RefreshPolicy& other) const {
    if (kind != other.kind) return false;
    return kind == Kind::menuOpen || seconds == other.seconds;
}

std::size_t RefreshPolicy::hash() const {
    std::size_t h = std::hash<int>{}(static_cast<int>(kind));
    if (kind == Kind::interval) {
        const std::size_t s = std::hash<std::int64_t>{}(seconds);
        h = hashCombine(h, s);
    }
    return h;
}

RefreshPolicy RefreshPolicy::fromJson(const json::Node& node) {
    const std::string kind = node.string("kind");
    if (kind == "menuOpen") return menuOpen();
    if (kind == "interval")
        return interval(json::clampNoted(node.pathWithKey("seconds"), node.integer("seconds"), kMinSeconds, kMaxSeconds));
    node.failAtKey("kind", "Unknown RefreshPolicy kind: " + kind);
}

json::Json RefreshPolicy::toJson() const {
    json::Json out = json::Json::object();
    switch (kind) {
        case Kind::menuOpen: out["kind"] = "menuOpen"; break;
        case Kind::interval:
            out["kind"] = "interval";
            out["seconds"] = clampSeconds(seconds);
            break;
    }
    return out;
}

}  // namespace orbel
