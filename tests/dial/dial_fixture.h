#pragma once

// A live configuration the dial tests run on: a root of six installed
// applications, a defaults store and a workspace installed as the shared ones.

#include <gtest/gtest.h>

#include "config/config_manager.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/fake_system_platform.h"
#include "fakes/replace_shared.h"

namespace orbel::testing {

// Application slots "<prefix>0"... titled as their application.
inline std::vector<SlotConfig> apps(const std::string& prefix, int n) {
    std::vector<SlotConfig> slots;
    for (int i = 0; i < n; ++i) slots.push_back(SlotConfig::make(SlotType::app(prefix + std::to_string(i)), prefix + std::to_string(i)));
    return slots;
}

class DialConfigFixture : public ::testing::Test {
protected:
    explicit DialConfigFixture(const std::string& prefix) {
        AppConfig c;
        c.rootGroup.slots = apps(prefix, 6);
        for (const SlotConfig& s : c.rootGroup.slots) workspace.install(s.title);
        manager.setConfig(c);
    }
    void configure(const std::function<void(AppConfig&)>& edit) {
        AppConfig c = manager.config();
        edit(c);
        manager.setConfig(c);
    }

    fakes::TempAppPaths paths;
    fakes::FakeKeyValueStore defaults;
    fakes::FakeWorkspace workspace;
    fakes::ReplaceShared<platform::KeyValueStore> useDefaults{defaults};
    fakes::ReplaceShared<platform::Workspace> useWorkspace{workspace};
    ConfigManager manager{paths.configDir() + "/config.json", ProfileStore(paths.configDir() + "/profiles")};
};

}  // namespace orbel::testing
