#pragma once

#include <string>

#include "model/text.h"

namespace orbel {

// An installed application as the application pickers show it.
struct AppInfo {
    Uuid id;               // new for every record made
    std::string name;      // shown name
    std::string bundleId;  // the identifier an app slot stores (a desktop-entry id here)
    std::string icon;      // the entry's Icon value: theme icon name or absolute path; may be empty
    std::string url;       // file URL of the desktop entry

    bool operator==(const AppInfo&) const = default;
};

}  // namespace orbel
