#pragma once

// Changes made while another program saved config.json, carried onto that
// program's save. A change is what the user did to the configuration they
// saw (`base` became `mine`); it is applied to `theirs` by what it acted on,
// never by position: a slot is the slot the user saw, found in the other
// save by what it holds (a file keeps no slot ids), never by a guess, and a
// setting is the setting. Where the other save changed what the user changed
// too, no longer holds the slot the user acted on, holds it alike another
// (in either save), moved slots of a level the user moved slots of (but for
// two slots the user exchanged, which are exchanged where that save has
// them), or a level would outgrow six slots, the change no longer means what
// the user saw: nothing is carried and the reason comes back.

#include <string>
#include <variant>

#include "model/app_config.h"

namespace orbel {

// `mine` is `base` with the user's changes (same slot ids); `theirs` is the
// other program's save as read. The merged configuration, or why not.
std::variant<AppConfig, std::string> carryOnto(const AppConfig& base, const AppConfig& mine, const AppConfig& theirs);

}  // namespace orbel
