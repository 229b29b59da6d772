#pragma once

// Which desktop entry a window belongs to, from what the window and its
// process say about themselves.

#include <QString>
#include <optional>
#include <vector>

#include "platform/linux/desktop_entry.h"

namespace orbel::platform::xdg {

struct WindowIdentity {
    QString gtkApplicationId;  // _GTK_APPLICATION_ID
    QString kdeDesktopFile;    // _KDE_NET_WM_DESKTOP_FILE (an id or a path)
    QString wmClassInstance;   // WM_CLASS, first string
    QString wmClassName;       // WM_CLASS, second string
    QString executable;        // the process's program file name (no folder)
};

// The desktop-entry id, trying in order: the GTK application id, the KDE
// desktop file, WM_CLASS against StartupWMClass, WM_CLASS against the ids
// (case-insensitively, also the last dotted part: "org.gnome.Nautilus"
// matches the class "Nautilus"), then the program file against each entry's
// Exec program. Only entries in `entries` count.
std::optional<QString> matchWindowToEntry(const WindowIdentity& window, const std::vector<DesktopEntry>& entries);

}  // namespace orbel::platform::xdg
