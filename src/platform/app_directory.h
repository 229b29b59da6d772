#pragma once

#include <string>
#include <vector>

#include "platform/shared_instance.h"

namespace orbel::platform {

// An application the user can put on a slot.
struct InstalledApp {
    std::string id;        // desktop-entry id (the bundle identifier here)
    std::string name;      // localised Name
    std::string icon;      // Icon value: theme icon name or absolute path; may be empty
    std::string location;  // absolute path of the .desktop file

    bool operator==(const InstalledApp&) const = default;
};

// The installed applications, read from the XDG desktop entries. Safe from
// any thread: the application pickers call it from a pool thread.
class AppDirectory : public Shared<AppDirectory> {
public:
    virtual ~AppDirectory() = default;
    // Every application shown in menus (NoDisplay and Hidden entries left
    // out), each id once, sorted by name (case-insensitive, then by id). The
    // entries are read once and again only after they change on disk.
    virtual std::vector<InstalledApp> allApps() = 0;

private:
    friend Shared<AppDirectory>;
    static AppDirectory& makeShared();
};

}  // namespace orbel::platform
