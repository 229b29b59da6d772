#pragma once

// The launch context for GIO that announces each start to the window
// manager (X startup notification): the desktop shows that the application
// is starting and hands it the focus when its window appears. The
// application ends the announcement when it is up; a failed start, or one
// the application never ends, is ended by us.

#include "platform/linux/gio_include.h"

namespace orbel::platform::x11 {

// Without an X server, GIO's plain context.
gio::Ref<GAppLaunchContext> makeLaunchContext();

}  // namespace orbel::platform::x11
