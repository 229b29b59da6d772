#pragma once

// The tray icon and its menu: Orbel's only permanent piece of interface.
// A primary click opens the dial; the menu offers Settings, Check for
// Updates, Open Music Dial, About and Quit. Showing the icon is queued on the
// GUI thread, so it appears once the current work is done; hiding it is
// immediate and also cancels an installation still queued. GUI thread.

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

#include "model/key_combination.h"
#include "platform/status_item.h"

namespace orbel {

class RadialMenuController;
class SettingsWindowController;
class UpdateChecker;

class TrayManager : public QObject {
    Q_OBJECT
public:
    explicit TrayManager(platform::StatusItems& items = platform::StatusItems::shared(), QObject* parent = nullptr);
    ~TrayManager() override;
    static TrayManager& shared();

    SettingsWindowController* settingsWindowController = nullptr;
    RadialMenuController* dial = nullptr;
    std::function<void()> onTrayIconClicked;
    std::function<void()> onSettingsWillOpen;

    bool isSetup() const { return item_ != nullptr; }
    void setVisible(bool visible);
    // The hot key that opens the dial now (none: no hot key), named in the
    // icon's tooltip.
    void setHotkey(const std::optional<KeyCombination>& hotkey);
    std::string toolTip() const;

    // The menu, in order; an empty title is a separator.
    std::vector<platform::StatusMenuEntry> buildMenu();
    static QIcon statusIcon();

    // The menu's actions.
    void openSettings();
    void checkForUpdates();
    void openMusicDial();
    void showAbout();
    void quitApp();

private:
    void installStatusItem();

    platform::StatusItems& items_;
    std::unique_ptr<platform::StatusItem> item_;
    bool installQueued_ = false;
    std::optional<KeyCombination> hotkey_;
};

}  // namespace orbel
