#pragma once

// How the user opens the dial: a tap of a trigger (each press fires once) or
// a hold (press opens, release acts). Not stored as such: the configuration
// document spreads it over its "hotkey", "tapActivation" and "holdActivation"
// keys.

#include "model/hold_binding.h"

namespace orbel {

struct ActivationMode {
    enum class Kind { tap, hold };

    Kind kind = Kind::tap;
    HoldBinding binding;

    static ActivationMode tap(const HoldBinding& b) { return {Kind::tap, b}; }
    static ActivationMode hold(const HoldBinding& b) { return {Kind::hold, b}; }

    bool isTap() const { return kind == Kind::tap; }
    bool isHold() const { return kind == Kind::hold; }

    // A tap and a hold of the same binding differ.
    bool operator==(const ActivationMode&) const = default;
};

}  // namespace orbel
