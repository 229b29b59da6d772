#include "model/hold_binding.h"

#include <string>

#include "model/raw_enum.h"

namespace orbel {

namespace {

constexpr raw_enum::Table<HoldBinding::Kind, 3> kKinds{{
    {HoldBinding::Kind::mouseButton, "mouseButton"},
    {HoldBinding::Kind::keyCombination, "keyCombination"},
    {HoldBinding::Kind::hidppButton, "hidppButton"},
}};

std::uint16_t readUInt16(const json::Node& node) {
    // A fraction or a number outside 64 bits fails inside asInt with the
    // decoder's own text; the 16-bit range is checked here.
    const std::int64_t v = node.asInt();
    if (v < 0 || v > 0xFFFF) {
        node.fail("Parsed JSON number <" + node.json().dump() + "> does not fit in UInt16.");
    }
    return static_cast<std::uint16_t>(v);
}

}  // namespace

std::string_view rawValue(HoldBinding::Kind kind) { return raw_enum::rawValue(kKinds, kind); }

std::optional<HoldBinding::Kind> holdBindingKindFromRaw(std::string_view raw) { return raw_enum::fromRaw(kKinds, raw); }

HoldBinding::Kind holdBindingKindFromJson(const json::Node& node) { return raw_enum::fromJson(kKinds, node, "Kind"); }

HoldBinding HoldBinding::fromJson(const json::Node& node) {
    switch (holdBindingKindFromJson(node["kind"])) {
        case Kind::mouseButton: return mouseButton(node.integer("button"));
        case Kind::keyCombination: return keyCombination(orbel::KeyCombination::fromJson(node["key"]));
        case Kind::hidppButton: {
            const std::uint16_t productID = readUInt16(node["productID"]);
            const std::uint16_t cid = readUInt16(node["cid"]);
            return hidppButton(productID, cid);
        }
    }
    node.fail("Unreachable binding kind");
}

json::Json HoldBinding::toJson() const {
    json::Json out = json::Json::object();
    out["kind"] = std::string(rawValue(kind()));
    if (const auto* m = asMouseButton()) {
        out["button"] = m->button;
    } else if (const auto* k = asKeyCombination()) {
        out["key"] = k->toJson();
    } else if (const auto* h = asHidppButton()) {
        out["productID"] = h->productID;
        out["cid"] = h->cid;
    }
    return out;
}

}  // namespace orbel
