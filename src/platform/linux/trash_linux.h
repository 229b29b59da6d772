#pragma once

#include <memory>
#include <string>

#include "platform/trash.h"

namespace orbel::platform {

// The XDG trash at `trashFolder` (its files/ and info/ folders); the default
// instance uses $XDG_DATA_HOME/Trash.
std::unique_ptr<Trash> makeXdgTrash(std::string trashFolder);

}  // namespace orbel::platform
