#pragma once

// Telling the user what loading or saving the configuration had to do: a
// file that could not be used (and where it was kept, and that the defaults
// are in use), a dial cut to six slots per level, another program's save kept
// aside, a change not saved. One alert at a time. GUI thread.

#include <functional>
#include <string>

#include "config/config_manager.h"
#include "platform/alerts.h"

namespace orbel {

// The alert for a notice.
platform::Alert configurationAlert(const ConfigManager::LoadNotice& notice);

// Shows the manager's notice, if any; once the user answers it, it is
// forgotten and the next one is shown. `quitting`: whether the application
// is quitting, when an alert closed then is no answer.
void showConfigurationNotice(ConfigManager& manager, std::function<bool()> quitting = {});

}  // namespace orbel
