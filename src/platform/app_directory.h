#pragma once

#include <memory>
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

// The installed applications, read from the XDG desktop entries.
class AppDirectory : public Shared<AppDirectory> {
public:
    virtual ~AppDirectory() = default;
    // Every application shown in menus (NoDisplay and Hidden entries left
    // out), each id once, sorted by name (case-insensitive, then by id). The
    // folders are scanned once, on the first call; later calls return the same
    // list. Safe to call from any thread; concurrent first calls share one scan.
    virtual std::vector<InstalledApp> allApps() = 0;

private:
    friend Shared<AppDirectory>;
    static AppDirectory& makeShared();
};

// A directory over the given applications folders, earlier folders shadowing
// later ones by id. Missing folders are skipped.
std::unique_ptr<AppDirectory> makeAppDirectory(std::vector<std::string> applicationFolders);

}  // namespace orbel::platform
