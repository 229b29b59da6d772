#pragma once

#include <functional>
#include <memory>

#include "platform/linux/async_tool.h"
#include "platform/session_services.h"

namespace orbel::platform {

// How the session services start command-line tools (tests pass a fake).
using ToolRunner = std::function<void(const QString& program, const QStringList& args, int timeoutMs,
                                      std::function<void(tools::ToolResult)> done)>;

// Sleep through logind and Wi-Fi through NetworkManager on the system bus;
// locking through the desktop's screen saver on the session bus or a locker
// daemon's command; ending the session through the desktop's session
// manager; dark mode and do not disturb through the settings tools of the
// desktop that acts on them (gsettings on GNOME-style desktops, dunstctl,
// xfconf-query on Xfce), each change read back to make sure it was kept.
std::unique_ptr<SessionServices> makeLinuxSessionServices(ToolRunner runner = tools::runTool);

}  // namespace orbel::platform
