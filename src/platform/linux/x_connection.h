#pragma once

// A private connection to the X server, for services that talk to it
// directly (XTest, EWMH properties). Each service owns its own connection,
// so it does not depend on Qt's platform plugin.

#include <xcb/xcb.h>

#include <string>
#include <vector>

#include "platform/linux/x11_reply.h"

namespace orbel::platform::x11 {

class Connection {
public:
    Connection();  // connects to $DISPLAY; ok() is false when that fails
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool ok() const { return connection_ != nullptr; }
    xcb_connection_t* get() const { return connection_; }
    xcb_window_t root() const { return root_; }

    xcb_atom_t atom(const char* name);  // interned once; XCB_ATOM_NONE on failure
    bool hasExtension(const char* name);

    // A property's raw value (any type), empty when absent.
    struct Property {
        xcb_atom_t type = XCB_ATOM_NONE;
        std::uint8_t format = 0;
        std::string bytes;
    };
    Property property(xcb_window_t window, xcb_atom_t property);

    // Waits until the server has handled every request sent so far.
    void sync();

private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    std::vector<std::pair<std::string, xcb_atom_t>> atoms_;
};

}  // namespace orbel::platform::x11
