#pragma once

// Which application owns a window, as a desktop-entry id (the entry's file
// name without ".desktop").

#include <string>
#include <vector>

namespace orbel::platform::x11 {

// What a window tells about its owner.
struct WindowOwnerHints {
    std::string gtkApplicationId;  // _GTK_APPLICATION_ID
    std::string kdeDesktopFile;    // _KDE_NET_WM_DESKTOP_FILE (an id or a path)
    std::string wmClassInstance;   // WM_CLASS, first string
    std::string wmClassClass;      // WM_CLASS, second string
    std::string executableName;    // file name of _NET_WM_PID's executable
};

// The part of an installed desktop entry the lookup needs.
struct DesktopEntryHint {
    std::string id;
    std::string startupWmClass;
    std::string execProgram;  // file name of the first word of Exec
};

// _GTK_APPLICATION_ID, then _KDE_NET_WM_DESKTOP_FILE, then an entry whose
// StartupWMClass is the window's class or instance, then an entry named
// like the class or instance (ignoring case), then an entry named like the
// executable or running it; failing all that, the executable's name, then
// the WM_CLASS instance. Empty when the window tells nothing.
std::string resolveDesktopId(const WindowOwnerHints& hints, const std::vector<DesktopEntryHint>& entries);

// The desktop entries under <dir>/applications for each data directory, the
// first directory winning for an id (sub-folders give "folder-name" ids).
std::vector<DesktopEntryHint> scanDesktopEntries(const std::vector<std::string>& dataDirs);

// $XDG_DATA_HOME (or ~/.local/share), then $XDG_DATA_DIRS (or
// /usr/local/share:/usr/share).
std::vector<std::string> xdgDataDirs();

}  // namespace orbel::platform::x11
