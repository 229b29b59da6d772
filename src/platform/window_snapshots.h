#pragma once

#include <string>
#include <vector>

#include "platform/shared_instance.h"

namespace orbel::platform {

// One window on screen.
struct WindowSnapshot {
    std::string appId;  // the owning application's desktop-entry id; empty when unknown
    std::string title;  // the window's name; empty when it has none

    bool operator==(const WindowSnapshot&) const = default;
};

// The list of windows currently on screen (mapped, not minimised, on the
// current desktop), front-most first. The window waiter polls it on the GUI
// thread, every 100 ms while a macro waits for a window, so a call must stay
// cheap: one round trip to the X server, who owns each window being known in
// advance. Safe from any thread.
class WindowSnapshots : public Shared<WindowSnapshots> {
public:
    virtual ~WindowSnapshots() = default;
    // Empty when there is no window manager or display.
    virtual std::vector<WindowSnapshot> snapshot() = 0;

private:
    friend Shared<WindowSnapshots>;
    static WindowSnapshots& makeShared();
};

}  // namespace orbel::platform
