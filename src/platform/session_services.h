#pragma once

#include <functional>
#include <string>

#include "platform/shared_instance.h"

namespace orbel::platform {

// Session, power, network and desktop settings. Every operation returns at
// once; its completion runs later on the GUI thread with whether it was done
// and, when not, a short reason. A service that is missing or does not answer
// in time reports failure. Call from the GUI thread.
class SessionServices : public Shared<SessionServices> {
public:
    using Completion = std::function<void(bool ok, const std::string& error)>;

    virtual ~SessionServices() = default;
    // Locks through the desktop's screen saver or a running locker; fails
    // when there is none.
    virtual void lockScreen(Completion done = {}) = 0;
    virtual void suspend(Completion done = {}) = 0;
    // Through the desktop's session manager, which lets the applications
    // save their work (and object); fails, doing nothing, when there is none.
    virtual void logOut(Completion done = {}) = 0;
    virtual void reboot(Completion done = {}) = 0;
    virtual void powerOff(Completion done = {}) = 0;
    // Turns wireless networking on when it is off and off when it is on.
    virtual void toggleWireless(Completion done = {}) = 0;
    // Switches the desktop between its dark and its default colour scheme;
    // fails on a desktop that would not act on the change.
    virtual void toggleDarkMode(Completion done = {}) = 0;
    // Switches the desktop's notifications between silenced and shown.
    virtual void toggleDoNotDisturb(Completion done = {}) = 0;

private:
    friend Shared<SessionServices>;
    static SessionServices& makeShared();
};

}  // namespace orbel::platform
