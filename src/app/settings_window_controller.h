#pragma once

// The one settings window: made on first `show`, brought forward (centred
// on the pointer's screen, fitted to its free area with the title bar on
// it; the pages scroll inside) by every later one, destroyed when it closes so
// nothing of it stays in memory and the next opening starts from the live
// configuration. Its title, "Orbel Settings", is how the rest of Orbel
// recognises it. The hot-key manager's "choose a different hot key" opens it
// on the General tab with the hot-key recorder recording. GUI thread.

#include <QObject>
#include <QPointer>

#include "input/hid_button_hook.h"
#include "settings/preferences_view.h"

namespace orbel {

class ConfigManager;
class HotkeyManager;
class LoginItemManager;


class SettingsWindowController : public QObject {
    Q_OBJECT
public:
    SettingsWindowController(ConfigManager& config, HotkeyManager& hotkeys, LoginItemManager& loginItem,
                             QObject* parent = nullptr);
    static SettingsWindowController& shared();

    void show();
    // The window, while it is open.
    PreferencesView* window() const { return window_; }
    // The recorders hear HID++ buttons through this field of the listener.
    HidButtonCallback* hidButtonDown = nullptr;

private:
    void rebind();
    PreferencesView* makeWindow();
    void present(PreferencesView* window);

    ConfigManager& config_;
    HotkeyManager& hotkeys_;
    LoginItemManager& loginItem_;
    QPointer<PreferencesView> window_;
};

}  // namespace orbel
