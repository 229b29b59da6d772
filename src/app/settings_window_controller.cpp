#include "app/settings_window_controller.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "app/login_item_manager.h"
#include "config/config_manager.h"
#include "config/import_coordinator.h"

namespace orbel {

SettingsWindowController::SettingsWindowController(ConfigManager& config, LoginItemManager& loginItem, QObject* parent)
    : QObject(parent), config_(config), loginItem_(loginItem) {}

SettingsWindowController& SettingsWindowController::shared() {
    static auto* controller = new SettingsWindowController(ConfigManager::shared(), LoginItemManager::shared());
    return *controller;
}

void SettingsWindowController::show() {
    loginItem_.refresh();
    if (!window_) window_ = makeWindow();
    present(window_);
}

QWidget* SettingsWindowController::makeWindow() {
    auto* window = new QWidget;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(tr("Orbel Settings"));
    window->setWindowIcon(QIcon(QStringLiteral(":/orbel/logo.svg")));
    window->setMinimumSize(kMinimumWidth, kMinimumHeight);
    window->resize(kMinimumWidth, kMinimumHeight);
    auto* layout = new QVBoxLayout(window);
    auto* where = new QLabel(tr("Orbel keeps its configuration in %1.")
                                 .arg(QString::fromStdString(config_.configPath())),
                             window);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* message = new QLabel(window);
    message->setObjectName(QStringLiteral("importMessage"));
    message->setWordWrap(true);
    auto showImport = [message] {
        const auto& import = ImportCoordinator::shared();
        if (import.errorMessage()) message->setText(QString::fromStdString(*import.errorMessage()));
        else if (import.pendingBackup())
            message->setText(tr("Backup ready to restore: %1")
                                 .arg(QString::fromStdString(import.pendingBackup()->sourcePath)));
        else message->clear();
    };
    showImport();
    connect(&ImportCoordinator::shared(), &ImportCoordinator::errorMessageChanged, message, showImport);
    connect(&ImportCoordinator::shared(), &ImportCoordinator::pendingBackupChanged, message, showImport);
    layout->addWidget(where);
    layout->addWidget(message);
    layout->addStretch();
    return window;
}

void SettingsWindowController::present(QWidget* window) {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace orbel
