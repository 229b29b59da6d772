#pragma once

// What an opened share link would carry. Sharing by link is disabled, so no
// link is ever parsed into one; the type exists so a pending link can be held
// and compared.

#include <string>
#include <variant>

#include "model/app_config.h"

namespace orbel {

struct ShareLink {
    struct Slot {
        SlotConfig slot;
    };
    struct Profile {
        std::string name;
        AppConfig config;
    };
    std::variant<Slot, Profile> value;

    // Slot links compare their slots; profile links only their names.
    bool operator==(const ShareLink& other) const {
        if (auto* a = std::get_if<Slot>(&value)) {
            auto* b = std::get_if<Slot>(&other.value);
            return b && a->slot == b->slot;
        }
        auto* b = std::get_if<Profile>(&other.value);
        return b && std::get<Profile>(value).name == b->name;
    }
};

}  // namespace orbel
