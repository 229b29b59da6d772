#pragma once

#include <functional>

namespace orbel::platform {

// Runs `request` on the GUI thread when the session asks the process to end
// (SIGTERM, SIGINT or SIGHUP), so it can end in order instead of being cut
// off. Call once, from the GUI thread, after the application object exists.
void onTerminationRequest(std::function<void()> request);

}  // namespace orbel::platform
