#pragma once

// The two lines of text the icon row shows for the current icon.

#include <functional>
#include <string>

#include "model/slot_icon.h"

namespace orbel::icon_row {

// A pack's display name (the icon catalogue's, in the application).
using PackName = std::function<std::string(const IconPack& pack)>;

// The pack's name, "Text", "Custom image" or "Default".
std::string title(const SlotIcon& icon, const PackName& packName);
// The symbol's name, the monogram in curly quotes, the image's file name,
// or "The slot's built-in icon".
std::string subtitle(const SlotIcon& icon);

}  // namespace orbel::icon_row
