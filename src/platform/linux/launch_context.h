#pragma once

// Launches announced to the window manager (X startup notification): the
// desktop shows that the application is starting and hands it the focus
// when its window appears. The application ends the announcement when it
// is up; a failed start, or one the application never ends, is ended by us.

#include "platform/linux/gio_module.h"

namespace orbel::platform::x11 {

// The announcer for launches; null without an X server.
const gio::LaunchAnnouncer* launchAnnouncer();

}  // namespace orbel::platform::x11
