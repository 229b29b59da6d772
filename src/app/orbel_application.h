#pragma once

// The application's spine. Construction makes the long-lived services in a
// fixed order and wires every trigger (tray click, hot keys, hold, music
// key, the dial's settings request) to the dial; `finishLaunching` runs the
// start-up sequence; `reopen` and `openFiles` answer later launches handed
// over by the single-instance channel. Each start-up step is logged at debug
// level in the category "orbel.launch" as "[orbel-launch] step <name>", so
// the order can be checked from outside. GUI thread.

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/key_combination.h"

namespace orbel {

namespace platform {
class Permissions;
}  // namespace platform
namespace dial {
class AppLifecycleManager;
class DialPanels;
}  // namespace dial
class ConfigManager;
class ConfigurationArming;
class HotkeyManager;
class RadialMenuController;
class TrayManager;
class SettingsWindowController;

class OrbelApplication : public QObject {
    Q_OBJECT
public:
    explicit OrbelApplication(bool launchedAtLogin);
    ~OrbelApplication() override;

    void finishLaunching();
    // The user started Orbel again while it runs.
    void reopen();
    // Files handed to Orbel: backups go to the restore sheet, anything else
    // gets the sharing-disabled message; then the settings window comes
    // forward.
    void openFiles(const std::vector<std::string>& paths);

    RadialMenuController& dial() { return *dial_; }

    // The start-up's Input Monitoring preflight, logged; when it answers no,
    // `background` runs the request, which logs its answer and a second
    // preflight. The permissions outlive the background task.
    static void preflightInputMonitoring(platform::Permissions& permissions,
                                         const std::function<void(std::function<void()>)>& background);

protected:
    // Notes the quit as it begins, before it closes the windows: an alert
    // closed by it was not answered.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void step(const char* name);

    bool launchedAtLogin_;
    ConfigManager& config_;
    dial::AppLifecycleManager* lifecycle_ = nullptr;
    TrayManager& tray_;
    SettingsWindowController& settings_;
    HotkeyManager& hotkeys_;
    std::unique_ptr<dial::DialPanels> panels_;
    std::unique_ptr<RadialMenuController> dial_;
    ConfigurationArming* arming_ = nullptr;
    bool quitting_ = false;
    bool rebindChosen_ = false;
};

}  // namespace orbel
