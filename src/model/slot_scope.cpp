#include "model/slot_scope.h"

namespace orbel {

namespace {
// Keys of the older keyed form.
constexpr std::string_view kGlobalKey = "global";
constexpr std::string_view kAppKey = "app";
constexpr std::string_view kAppsKey = "apps";
constexpr std::string_view kBundleIdKey = "bundleId";
constexpr std::string_view kBundleIdsKey = "bundleIds";

std::vector<std::string> readStrings(const json::Node& node) {
    return node.map([](const json::Node& element) { return element.asString(); });
}
}  // namespace

SlotScope SlotScope::fromJson(const json::Node& node) {
    if (node.isString()) {
        std::string text = node.asString();
        if (text == "global") return global();
        return app(std::move(text));
    }

    if (auto list = json::attempt([&] { return readStrings(node); })) {
        if (list->empty()) return global();
        if (list->size() == 1) return app(std::move(list->front()));
        return apps(std::move(*list));
    }

    // Older keyed form; a value that is no object fails here with a type error.
    node.requireObject();
    if (node.has(kGlobalKey)) return global();
    if (node.has(kAppKey)) {
        const json::Node inner = node[kAppKey];
        if (inner.isObject()) return app(inner.string(kBundleIdKey));
    }
    if (node.has(kAppsKey)) {
        const json::Node inner = node[kAppsKey];
        if (inner.isObject()) return apps(readStrings(inner[kBundleIdsKey]));
    }
    node.fail("Unknown SlotScope payload");
}

json::Json SlotScope::toJson() const {
    if (auto* a = get<App>()) return a->bundleId;
    if (auto* a = get<Apps>()) {
        json::Json out = json::Json::array();
        for (const auto& id : a->bundleIds) out.push_back(id);
        return out;
    }
    return "global";
}

}  // namespace orbel
