#pragma once

// A settings model over a configuration in a temporary folder, fake hot
// keys (chords other clients hold are refused), a login item in memory and
// an import coordinator of its own.

#include <QCoreApplication>

#include "config/config_fixture.h"
#include "config/import_coordinator.h"
#include "fakes/fake_alerts.h"
#include "fakes/fake_global_hotkeys.h"
#include "fakes/fake_input_monitor.h"
#include "fakes/fake_permissions.h"
#include "input/hotkey_manager.h"
#include "settings/login_item_manager.h"
#include "settings/preferences_model.h"

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
        hotkeyManager.apply(live().config().activation);
        model = std::make_unique<PreferencesModel>(live(), hotkeyManager, loginItem, import);
        return *model;
    }
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
    MemoryLoginItem loginBackend;
    LoginItemManager loginItem{loginBackend};
    ImportCoordinator import;
    std::unique_ptr<PreferencesModel> model;
};

}  // namespace orbel::testing
