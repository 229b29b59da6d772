#pragma once

#include <functional>
#include <memory>

#include "platform/linux/async_tool.h"
#include "platform/session_services.h"

namespace orbel::platform {

// How the session services start command-line tools (tests pass a fake).
using ToolRunner = std::function<void(const QString& program, const QStringList& args, int timeoutMs,
                                      std::function<void(tools::ToolResult)> done)>;

// logind and NetworkManager over the system bus; dark mode and do not
// disturb through the desktop's settings tools (gsettings for GNOME-style
// desktops, dunstctl, xfconf-query), each change read back to make sure the
// desktop kept it.
std::unique_ptr<SessionServices> makeLinuxSessionServices(ToolRunner runner = tools::runTool);

}  // namespace orbel::platform
