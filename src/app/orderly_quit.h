#pragma once

// Every way out of Orbel ends the same way: the tray's Quit, SIGTERM,
// SIGINT or SIGHUP, and the session manager's Quit event (logging out) all
// leave the event loop, and when the loop ends (QCoreApplication's
// aboutToQuit) the diverted mouse controls are handed back to their devices
// before the process goes on to exit. A closed pipe on standard output
// (Orbel's diagnostic lines) never ends the process. GUI thread, once, after
// the application object exists.

#include <chrono>

namespace orbel {

// The longest the hand-back may hold the exit up when a device does not answer.
inline constexpr std::chrono::milliseconds kDeviceHandBackLimit{2500};

void installOrderlyQuit();

}  // namespace orbel
