#pragma once

// The managed windows, the active one, and which application owns each.
// A thread of ours hears from the X server when the window manager changes
// its client list or the active window, and the lists are read again only
// then; a window's owner is worked out the first time it is asked for and
// kept while the window is listed and not destroyed (worked out again from
// what was read only when the installed applications change). Safe from any
// thread.

#include <xcb/xcb.h>

#include <QString>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/linux/window_owner.h"
#include "platform/linux/x11_session.h"

namespace orbel::platform::x11 {

class WindowTracker {
public:
    // Nothing when there is no X server to talk to.
    static WindowTracker* shared();

    struct Owner {
        std::uint32_t pid = 0;  // 0 when the window does not say
        QString appId;          // the matching desktop-entry id; empty when none
        QString name;           // appId, else what the window calls its application
        QString wmClassInstance, wmClassName;  // its WM_CLASS
    };

    // Managed windows, bottom to top when the window manager keeps the
    // stacking list, else in mapping order.
    std::vector<xcb_window_t> clients();
    std::optional<xcb_window_t> active();
    Owner ownerOf(xcb_window_t window);

    // The tracker's own connection, for requests about the windows.
    Session& session() { return *session_; }

    WindowTracker(const WindowTracker&) = delete;
    WindowTracker& operator=(const WindowTracker&) = delete;

private:
    explicit WindowTracker(std::unique_ptr<Session> session);
    void readEvents();
    // Asks to hear of the window's destruction; false when it is gone.
    bool watchDestruction(xcb_window_t window);

    struct Known {
        bool read = false;         // false while its identity is being read
        std::uint64_t serial = 0;  // which reading of the window this is
        xdg::WindowIdentity identity;
        std::uint64_t generation = 0;  // of the application index the owner was matched against
        Owner owner;
    };

    std::unique_ptr<Session> session_;
    xcb_atom_t clientList_, stackingList_, activeWindow_;
    std::atomic<bool> clientsChanged_{true};
    std::atomic<bool> activeChanged_{true};

    std::mutex mutex_;
    std::vector<xcb_window_t> clients_;
    std::optional<xcb_window_t> active_;
    std::map<xcb_window_t, Known> owners_;
    std::uint64_t serials_ = 0;
};

}  // namespace orbel::platform::x11
