#pragma once

// The applications a slot is meant for: all of them, one, or a list, each by
// bundle identifier. Identifiers are kept exactly as read (no trimming, no
// case folding, duplicates kept).
//
// Written as one JSON value: "global", "<bundle id>" or ["<id>", ...].
// The older keyed form {"global": {}}, {"app": {"bundleId": ...}},
// {"apps": {"bundleIds": [...]}} is still read, never written.

#include <string>
#include <variant>
#include <vector>

#include "model/json.h"

namespace orbel {

struct SlotScope {
    struct Global {
        bool operator==(const Global&) const = default;
    };
    struct App {
        std::string bundleId;
        bool operator==(const App&) const = default;
    };
    struct Apps {
        std::vector<std::string> bundleIds;
        bool operator==(const Apps&) const = default;
    };

    std::variant<Global, App, Apps> value = Global{};

    static SlotScope global() { return SlotScope{Global{}}; }
    static SlotScope app(std::string bundleId) { return SlotScope{App{std::move(bundleId)}}; }
    static SlotScope apps(std::vector<std::string> bundleIds) {
        return SlotScope{Apps{std::move(bundleIds)}};
    }

    bool isGlobal() const { return std::holds_alternative<Global>(value); }
    template <class T>
    const T* get() const { return std::get_if<T>(&value); }

    // Same case and equal payloads: `app` of X differs from `apps` of [X].
    bool operator==(const SlotScope&) const = default;

    // The compact forms first (a string; an array of strings, normalised:
    // [] is global, [X] is app X), then the keyed form. A keyed object with
    // none of its shapes fails with "Unknown SlotScope payload".
    static SlotScope fromJson(const json::Node& node);
    json::Json toJson() const;
};

}  // namespace orbel
