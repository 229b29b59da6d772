#pragma once

// Which installed application owns a window, as a desktop-entry id (the
// entry's file name without ".desktop").

#include <xcb/xcb.h>

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/linux/app_index.h"

namespace orbel::platform::x11 {
class Session;
}

namespace orbel::platform::xdg {

// What a window and its process tell about their application.
struct WindowIdentity {
    QString gtkApplicationId;  // _GTK_APPLICATION_ID
    QString kdeDesktopFile;    // _KDE_NET_WM_DESKTOP_FILE (an id or a path)
    QString wmClassInstance;   // WM_CLASS, first string
    QString wmClassName;       // WM_CLASS, second string
    QString executable;        // the process's program file name (no folder)
    std::uint32_t pid = 0;     // _NET_WM_PID; 0 when not given

    // Reads the window's properties and its process's program.
    static WindowIdentity of(x11::Session& x, xcb_window_t window);
};

// The id of the entry in `entries` the window belongs to, trying in order:
//  1. _GTK_APPLICATION_ID naming an entry;
//  2. _KDE_NET_WM_DESKTOP_FILE naming an entry (by id or by file);
//  3. the WM_CLASS class, then instance, equal to an entry's StartupWMClass;
//  4. the class, then instance, equal to an entry's id ignoring case, then
//     to the last dotted part of an id ("org.gnome.Nautilus" for "Nautilus");
//  5. the process's program equal to an entry's id ignoring case, then to
//     the program an entry's Exec line runs ("env VAR=x prog" runs prog).
// Nothing when no entry matches.
std::optional<QString> resolveDesktopId(const WindowIdentity& window, const std::vector<xdg::AppRecord>& entries);

// What stands for the owner when no installed entry matches: the id the
// window declares (GTK, then KDE), else the program's name, else the
// WM_CLASS instance. Empty when the window tells nothing.
QString unmatchedOwnerName(const WindowIdentity& window);

}  // namespace orbel::platform::xdg
