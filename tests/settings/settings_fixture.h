#pragma once

// A settings model over a configuration in a temporary folder, fake hot
// keys (chords other clients hold are refused) and tray armed from what is
// published as the application arms them, a login item in memory and an
// import coordinator of its own.

#include <QCoreApplication>

#include "app/configuration_arming.h"
#include "app/tray_manager.h"
#include "config/config_fixture.h"
#include "config/import_coordinator.h"
#include "fakes/fake_alerts.h"
#include "fakes/fake_global_hotkeys.h"
#include "fakes/fake_input_monitor.h"
#include "fakes/fake_permissions.h"
#include "fakes/fake_status_items.h"
#include "input/hotkey_manager.h"
#include "settings/login_item_manager.h"
#include "settings/preferences_model.h"

// The application's own resources (the tray's icon), which a test program
// does not register by itself.
inline const int kAppResources = [] {
    Q_INIT_RESOURCE(app);
    return 0;
}();

namespace orbel::testing {

class MemoryLoginItem : public platform::LoginItem {
public:
    bool isEnabled() const override { return enabled; }
    std::optional<std::string> enable() override {
        enabled = true;
        return std::nullopt;
    }
    std::optional<std::string> disable() override {
        enabled = false;
        return std::nullopt;
    }
    bool enabled = false;
};

const KeyCombination kOptSpace{49, modifier::kOption, std::nullopt};
const KeyCombination kCtrlOptO{31, modifier::kControl | modifier::kOption, std::nullopt};
const KeyCombination kShiftA{0, modifier::kShift, std::nullopt};

class SettingsFixture : public ConfigFixture {
protected:
    using Chord = fakes::FakeGlobalHotkeys::Chord;
    static Chord chord(const KeyCombination& k) { return {k.keyCode, k.modifiers}; }
    // The model over `config` (the defaults when empty).
    PreferencesModel& open(const std::optional<AppConfig>& config = std::nullopt) {
        if (config) live().setConfig(*config);
        if (!arming) {
            arming = std::make_unique<ConfigurationArming>(live(), hotkeyManager, tray);
            arming->tellConflict = [this](const KeyCombination& key) {
                PreferencesModel* shown = openModel();
                if (shown) shown->showConflict(key);
                return shown != nullptr;
            };
            arming->follow();
        }
        model = std::make_unique<PreferencesModel>(live(), hotkeyManager, loginItem, import);
        return *model;
    }
    // The model of the settings window open now, if any.
    virtual PreferencesModel* openModel() { return model.get(); }
    // Runs queued work (the hot-key manager's own alerts, deferred steps).
    void settle() { QCoreApplication::processEvents(); }
    std::optional<Chord> tapChord() const { return hotkeys.chordOf(HotkeyManager::kTapId); }
    std::string alertText() const { return model->alert() ? model->alert()->message : ""; }

    fakes::FakeAlerts alerts;
    fakes::ReplaceShared<platform::Alerts> useAlerts{alerts};
    fakes::FakePermissions permissions;
    fakes::ReplaceShared<platform::Permissions> usePermissions{permissions};
    fakes::FakeGlobalHotkeys hotkeys;
    fakes::FakeInputMonitor monitor;
    HotkeyManager hotkeyManager{hotkeys, monitor};
    fakes::FakeStatusItems trayItems;
    TrayManager tray{trayItems};
    std::unique_ptr<ConfigurationArming> arming;
    MemoryLoginItem loginBackend;
    LoginItemManager loginItem{loginBackend};
    ImportCoordinator import;
    std::unique_ptr<PreferencesModel> model;
};

}  // namespace orbel::testing
