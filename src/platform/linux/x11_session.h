#pragma once

// The process's one xcb connection to the X server named by DISPLAY, shared
// by every service that talks to the server directly (EWMH properties,
// XTest, RandR, DPMS), so none of them depends on Qt's platform plugin.
// Atoms are interned once. Safe from any thread.

#include <xcb/xcb.h>

#include <QByteArray>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/linux/x11_reply.h"

namespace orbel::platform::x11 {

// A new connection to the X server named by DISPLAY and the root window of
// its default screen; null when there is none to talk to.
xcb_connection_t* openConnection(xcb_window_t* root);

class Session {
public:
    // Nothing when there is no X server to talk to.
    static Session* shared();
    // A connection of its own, for a reader of the server's events; nothing
    // without an X server.
    static std::unique_ptr<Session> open();
    ~Session();

    xcb_connection_t* connection() const { return conn_; }
    xcb_window_t root() const { return root_; }

    xcb_atom_t atom(const char* name);  // XCB_ATOM_NONE on failure
    bool hasExtension(const char* name);

    // A property's raw value (any type); nothing when it is not set.
    struct Property {
        xcb_atom_t type = XCB_ATOM_NONE;
        std::uint8_t format = 0;
        QByteArray bytes;
    };
    std::optional<Property> property(xcb_window_t window, xcb_atom_t prop);
    std::optional<QByteArray> property(xcb_window_t window, const char* name);
    // A property of 32-bit items (CARDINAL, WINDOW, ATOM).
    std::vector<std::uint32_t> property32(xcb_window_t window, const char* name);
    std::optional<std::uint32_t> cardinal(xcb_window_t window, const char* name);
    // A text property up to its first NUL; empty when it is not set.
    QByteArray text(xcb_window_t window, const char* name);

    // Sends an EWMH client message about `window` to the root window.
    void sendClientMessage(xcb_window_t window, const char* type, std::uint32_t d0, std::uint32_t d1 = 0,
                           std::uint32_t d2 = 0, std::uint32_t d3 = 0, std::uint32_t d4 = 0);
    // Flushes and waits until the server has handled every request sent.
    void sync();

    // Managed windows, bottom to top when the window manager keeps the
    // stacking list, else in mapping order.
    std::vector<xcb_window_t> clientWindows();
    std::optional<xcb_window_t> activeWindow();

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

private:
    Session(xcb_connection_t* conn, xcb_window_t root);
    xcb_connection_t* conn_;
    xcb_window_t root_;
    std::mutex mutex_;
    std::unordered_map<std::string, xcb_atom_t> atoms_;
};

}  // namespace orbel::platform::x11
