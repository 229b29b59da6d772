#pragma once

// The dial's controller on an in-memory surface over a configuration
// manager on a temporary folder, with a six-slot root and log lines dropped.

#include <QTemporaryDir>

#include "config/config_manager.h"
#include "dial/radial_menu_controller.h"
#include "fakes/fake_dial_surface.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/fake_system_platform.h"
#include "fakes/replace_shared.h"
#include "platform/log.h"

namespace orbel::bench {

struct DialRig {
    DialRig() {
        platform::Workspace::setShared(&workspace);
        platform::Log::setSink([](platform::LogCategory, const std::string&) {});
        AppConfig config;
        config.rootGroup.title = "Main Menu";
        for (int i = 0; i < 6; ++i) config.rootGroup.slots.push_back(SlotConfig::make(SlotType::app("app" + std::to_string(i)), "App"));
        manager.setConfig(config);
        controller.loadSlots(config.rootGroup.slots);
    }
    ~DialRig() {
        controller.hide();
        manager.flushSaves();
        platform::Log::setSink({});
        platform::Workspace::setShared(nullptr);
    }
    QTemporaryDir dir;
    fakes::FakeKeyValueStore defaults;
    fakes::ReplaceShared<platform::KeyValueStore> useDefaults{defaults};
    fakes::FakeWorkspace workspace;
    fakes::FakeDialSurface surface;
    ConfigManager manager{dir.path().toStdString() + "/config.json",
                          ProfileStore(dir.path().toStdString() + "/profiles")};
    RadialMenuController controller{&manager, surface};
};

}  // namespace orbel::bench
