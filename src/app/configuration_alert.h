#pragma once

// Telling the user what loading the configuration had to do: a file that
// could not be used (and where it was kept, and that the defaults are in
// use), or a dial cut to six slots per level. GUI thread.

#include <string>

#include "config/config_manager.h"
#include "platform/alerts.h"

namespace orbel {

// The alert for a notice.
platform::Alert configurationAlert(const ConfigManager::LoadNotice& notice);

// The alert for a change that could not be saved after the call that made
// it had returned (config.json was being written by another program).
platform::Alert saveRefusedAlert(const ConfigError& error);

// Shows the manager's notice, if any, once: the notice is cleared.
void showConfigurationNotice(ConfigManager& manager);

}  // namespace orbel
