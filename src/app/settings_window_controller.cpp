#include "app/settings_window_controller.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

#include "config/config_manager.h"
#include "config/import_coordinator.h"
#include "input/hotkey_manager.h"
#include "settings/login_item_manager.h"
#include "settings/preferences_view.h"
#include "ui/popup_placement.h"

namespace orbel {

SettingsWindowController::SettingsWindowController(ConfigManager& config, HotkeyManager& hotkeys,
                                                   LoginItemManager& loginItem, QObject* parent)
    : QObject(parent), config_(config), hotkeys_(hotkeys), loginItem_(loginItem) {
    connect(&hotkeys_, &HotkeyManager::rebindRequested, this, &SettingsWindowController::rebind);
    // Quitting with the window open takes it down first, while the services
    // its tabs and sheets hold references to are all still here.
    if (auto* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { delete window_; });
}

SettingsWindowController& SettingsWindowController::shared() {
    static auto* controller =
        new SettingsWindowController(ConfigManager::shared(), HotkeyManager::shared(), LoginItemManager::shared());
    return *controller;
}

void SettingsWindowController::show() {
    loginItem_.refresh();
    if (!window_) window_ = makeWindow();
    present(window_);
}

void SettingsWindowController::rebind() {
    // An open window's model answers the request itself (its conflict alert).
    if (window_) return present(window_);
    show();
    window_->model().beginRebind();
}

PreferencesView* SettingsWindowController::makeWindow() {
    auto* window = new PreferencesView(config_, hotkeys_, loginItem_, ImportCoordinator::shared(), hidButtonDown);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(tr("Orbel Settings"));
    window->setWindowIcon(QIcon(QStringLiteral(":/orbel/logo.svg")));
    window->resize(PreferencesView::kWidth, PreferencesView::kHeight);
    return window;
}

void SettingsWindowController::present(PreferencesView* window) {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    QRect client;
    if (screen) {
        const QMargins frame = ui::frameOf(window);
        client = ui::placeWindow(window->size(), frame, screen->availableGeometry());
        // The full size where the screen has room for it; less only where it has not.
        window->setMinimumSize(QSize(PreferencesView::kWidth, PreferencesView::kHeight).boundedTo(client.size()));
        window->move(client.topLeft() - QPoint(frame.left(), frame.top()));  // where the frame goes
    }
    // Never larger than the free area of the screen it now goes to, whatever
    // a window manager makes of the sizes it is given: its largest size says
    // so before it is mapped.
    ui::keepOnScreen(window);
    if (screen) window->resize(client.size());  // within its largest size
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace orbel
