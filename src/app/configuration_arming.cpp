#include "app/configuration_arming.h"

#include <QMetaObject>

#include "app/tray_manager.h"
#include "config/config_manager.h"
#include "input/hotkey_manager.h"

namespace orbel {

ConfigurationArming::ConfigurationArming(ConfigManager& config, HotkeyManager& hotkeys, TrayManager& tray,
                                         QObject* parent)
    : QObject(parent), config_(config), hotkeys_(hotkeys), tray_(tray) {}

void ConfigurationArming::armTray() {
    const bool visible = config_.config().showInTray;
    if (armedTray_ == visible) return;
    armedTray_ = visible;
    tray_.setVisible(visible);
}

void ConfigurationArming::armActivation() {
    if (!hotkeys_.activationSuspended() && armedActivation_ != config_.config().activation) armActivation(true);
}

void ConfigurationArming::armMusicHotkey() {
    const std::optional<KeyCombination> music = config_.config().musicHotkey;
    if (armedMusicHotkey_ == music) return;
    armedMusicHotkey_ = music;
    hotkeys_.registerMusicHotkey(music);
}

void ConfigurationArming::follow() {
    connect(&config_, &ConfigManager::configChanged, this, &ConfigurationArming::armPublished);
    // A recording's end: a change published meanwhile is told, what was armed before is not again.
    connect(&hotkeys_, &HotkeyManager::activationResumed, this,
            [this] { armActivation(armedActivation_ != config_.config().activation); });
    armPublished();
}

void ConfigurationArming::armPublished() {
    // A music key that goes is let go first: the activation may now want its chord.
    if (armedMusicHotkey_ && *armedMusicHotkey_ && armedMusicHotkey_ != config_.config().musicHotkey) {
        armedMusicHotkey_ = std::optional<KeyCombination>();
        hotkeys_.registerMusicHotkey(std::nullopt);
    }
    armTray();
    armActivation();
    armMusicHotkey();
}

void ConfigurationArming::armActivation(bool tell) {
    const ActivationMode mode = config_.config().activation;
    armedActivation_ = mode;
    const auto taken = hotkeys_.applyUnlessTaken(mode);
    if (!taken) return;
    if (tell) {
        if (!(tellConflict && tellConflict(*taken))) hotkeys_.reportRegistrationFailure(*taken);
        return;
    }
    // After a recording, a turn later: the key it captured, if any, is
    // stored and armed on this one.
    QMetaObject::invokeMethod(
        this,
        [this, mode, key = *taken] {
            if (armedActivation_ == mode) hotkeys_.armInstead(key);
        },
        Qt::QueuedConnection);
}

}  // namespace orbel
