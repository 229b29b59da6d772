#include "app/tray_manager.h"

#include <QApplication>
#include <QMetaObject>

#include "app/settings_window_controller.h"
#include "settings/update_checker.h"
#include "dial/radial_menu_controller.h"
#include "platform/alerts.h"

namespace orbel {

TrayManager::TrayManager(platform::StatusItems& items, QObject* parent) : QObject(parent), items_(items) {}

TrayManager::~TrayManager() = default;

TrayManager& TrayManager::shared() {
    static auto* tray = new TrayManager;
    return *tray;
}

void TrayManager::setVisible(bool visible) {
    if (!visible) {
        item_.reset();
        installQueued_ = false;  // an installation still queued must not bring it back
        return;
    }
    if (item_ || installQueued_) return;
    installQueued_ = true;
    QMetaObject::invokeMethod(this, [this] { installStatusItem(); }, Qt::QueuedConnection);
}

void TrayManager::installStatusItem() {
    if (!installQueued_) return;
    installQueued_ = false;
    item_ = items_.make();
    item_->setIcon(statusIcon(), toolTip());
    item_->setMenu(buildMenu());
    item_->setOnPrimaryClick([this] {
        if (onTrayIconClicked) onTrayIconClicked();
    });
}

void TrayManager::setHotkey(const std::optional<KeyCombination>& hotkey) {
    hotkey_ = hotkey;
    if (item_) item_->setIcon(statusIcon(), toolTip());
}

std::string TrayManager::toolTip() const {
    if (!hotkey_) return "Orbel";
    return tr("Orbel: %1 opens the dial").arg(QString::fromStdString(hotkey_->displayString())).toStdString();
}

QIcon TrayManager::statusIcon() {
    // Built into the program: never a theme's file, which the interface
    // thread would open when the tray draws it.
    return QIcon(QStringLiteral(":/orbel/logo.svg"));
}

std::vector<platform::StatusMenuEntry> TrayManager::buildMenu() {
    auto entry = [this](const char* title, const char* shortcut, void (TrayManager::*action)()) {
        return platform::StatusMenuEntry{tr(title).toStdString(), shortcut, [this, action] { (this->*action)(); }};
    };
    return {
        entry("Settings...", "Ctrl+,", &TrayManager::openSettings),
        entry("Check for Updates…", "", &TrayManager::checkForUpdates),
        entry("Open Music Dial", "", &TrayManager::openMusicDial),
        {},
        entry("About Orbel", "", &TrayManager::showAbout),
        {},
        entry("Quit Orbel", "Ctrl+Q", &TrayManager::quitApp),
    };
}

void TrayManager::openSettings() {
    if (onSettingsWillOpen) onSettingsWillOpen();
    if (settingsWindowController) settingsWindowController->show();
}

void TrayManager::checkForUpdates() {
    QMetaObject::invokeMethod(this, [] { UpdateChecker::shared().checkForUpdates(); }, Qt::QueuedConnection);
}

void TrayManager::openMusicDial() {
    if (!dial) return;
    if (!dial->isVisible()) dial->show();
    dial->setMode(DialMode::music);
}

void TrayManager::showAbout() {
    platform::Alert alert;
    alert.title = tr("About Orbel").toStdString();
    alert.text = tr("Orbel is a radial menu tray application for Linux. Its dial opens at the centre of the "
                    "screen that holds the pointer, and the direction the pointer moves in picks a wedge."
                    "\n\nVersion %1")
                     .arg(QStringLiteral(ORBEL_VERSION))
                     .toStdString();
    platform::Alerts::shared().show(alert);
}

void TrayManager::quitApp() {
    // Leaving the event loop hands diverted mouse buttons back (see orderly_quit.h).
    QApplication::quit();
}

}  // namespace orbel
