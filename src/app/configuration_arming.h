#pragma once

// What is published is what is armed: the activation (tap hot key or hold
// binding), the music hot key and the tray follow every configuration
// `ConfigManager` publishes (a screen's change, another program's save taken
// in, the end of a wait, Reload, a profile switch, a restore, a reset), and
// nothing else arms them. Each is armed again only when what is published
// differs from what was armed last, so an edit of anything else registers
// nothing.
//
// While a binding is recorded the activation stays suspended
// (`HotkeyManager::suspendActivation`); the recording's end arms the
// published one again. A tap key another client holds is told when it is
// published: in the settings window's conflict alert while the window is on
// screen (`tellConflict`), else by the hot-key manager's own alert, as at
// launch. Nothing is armed while the alert is up; its Cancel arms the
// fallback (`HotkeyManager::armInstead`). After a recording (the window
// that was to rebind closed, say) the taken key is not told again, and the
// fallback is armed at once: the dial is never left without a key.
// GUI thread.

#include <QObject>
#include <functional>
#include <optional>

#include "model/activation_mode.h"
#include "model/key_combination.h"

namespace orbel {

class ConfigManager;
class HotkeyManager;
class TrayManager;

class ConfigurationArming : public QObject {
    Q_OBJECT
public:
    ConfigurationArming(ConfigManager& config, HotkeyManager& hotkeys, TrayManager& tray, QObject* parent = nullptr);

    // Each arms its part of what is published, when it differs from what was
    // armed last (the start-up arms them one step at a time).
    void armTray();
    void armActivation();
    void armMusicHotkey();
    // Arms what is published now, and then every configuration published.
    void follow();

    // Tells a taken tap key; false when it was not told.
    std::function<bool(const KeyCombination& taken)> tellConflict;

private:
    void armPublished();
    void armActivation(bool tell);

    ConfigManager& config_;
    HotkeyManager& hotkeys_;
    TrayManager& tray_;
    std::optional<bool> armedTray_;
    std::optional<ActivationMode> armedActivation_;
    std::optional<std::optional<KeyCombination>> armedMusicHotkey_;
};

}  // namespace orbel
