#pragma once

// The names a binding is shown by on the recorder's button.

#include <cstdint>
#include <optional>
#include <string>

#include "model/hold_binding.h"

namespace orbel {

// "Middle Click", "Mouse 4 (Back)", "Mouse 5 (Forward)", "Mouse <n+1>"; a key
// combination's display string; a HID++ control's name (the product is not
// shown). None for no binding.
std::optional<std::string> displayName(const std::optional<HoldBinding>& binding);

// "Logitech: Back", ... or "Logitech: 0x<CID in upper-case hex>".
std::string logitechControlName(std::uint16_t cid);

}  // namespace orbel
