#include "app/orbel_application.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>

#include "app/configuration_alert.h"
#include "app/configuration_arming.h"
#include "config/profile_list.h"
#include "settings/login_item_manager.h"
#include "app/settings_window_controller.h"
#include "app/tray_manager.h"
#include "settings/update_checker.h"
#include "settings/update_window.h"
#include "config/config_manager.h"
#include "config/import_coordinator.h"
#include "dial/app_lifecycle_manager.h"
#include "dial/dial_panels.h"
#include "dial/radial_menu_controller.h"
#include "icons/icon_catalog.h"
#include "input/hotkey_manager.h"
#include "input/logitech_hid_listener.h"
#include "music/music_dial_mode_provider.h"
#include "music/now_playing_service.h"
#include "music/system_volume_controller.h"
#include "platform/alerts.h"
#include "platform/permissions.h"
#include "platform/workspace.h"
#include "slots/signpost_log.h"

Q_LOGGING_CATEGORY(lcLaunch, "orbel.launch", QtInfoMsg)

namespace orbel {

OrbelApplication::OrbelApplication(bool launchedAtLogin)
    : launchedAtLogin_(launchedAtLogin),
      config_(ConfigManager::shared()),
      tray_(TrayManager::shared()),
      settings_(SettingsWindowController::shared()),
      hotkeys_(HotkeyManager::shared()) {
    // The members above are made in the order the rest relies on:
    // configuration, tray, settings window (with the login item), hot keys.
    tray_.settingsWindowController = &settings_;
    tray_.onTrayIconClicked = [this] {
        pointsOfInterestLog().event(SignpostName::trayClick);
        dial_->show();
    };
    tray_.onSettingsWillOpen = [this] { dial_->hide(); };

    panels_ = std::make_unique<dial::DialPanels>();
    dial_ = std::make_unique<RadialMenuController>(&config_, *panels_);
    panels_->setController(dial_.get());
    tray_.dial = dial_.get();
    dial_->onOpenSettingsRequested = [this] {
        if (tray_.onSettingsWillOpen) tray_.onSettingsWillOpen();
        settings_.show();
    };
    lifecycle_ = new dial::AppLifecycleManager([this] { dial_->hide(); }, this);
    arming_ = new ConfigurationArming(config_, hotkeys_, tray_, this);
    // A tap key found taken is told in the settings window while it is on
    // screen (not in one that is closing).
    arming_->tellConflict = [this](const KeyCombination& key) {
        if (!settings_.window() || !settings_.window()->isVisible()) return false;
        settings_.window()->model().showConflict(key);
        return true;
    };
    qApp->installEventFilter(this);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        quitting_ = true;
        config_.finishWaiting();  // a change still waiting for config.json is written, never dropped
    });
    // An alert of ours never opens under the dial.
    platform::Alerts::setBeforeShow([this] { dial_->hide(); });
    connect(&hotkeys_, &HotkeyManager::currentHotkeyChanged, this,
            [this] { tray_.setHotkey(hotkeys_.currentHotkey()); });
    // "Choose Different Hotkey" leads to the settings window.
    connect(&hotkeys_, &HotkeyManager::rebindRequested, this, [this] {
        rebindChosen_ = true;
        dial_->onOpenSettingsRequested();
    });

    hotkeys_.onHotkeyPressed = [this] {
        pointsOfInterestLog().event(SignpostName::hotkeyCallback);
        if (dial_->isVisible() && dial_->mode() == DialMode::music) dial_->setMode(DialMode::standard);
        else dial_->show();
    };
    hotkeys_.onHoldOpen = [this] {
        pointsOfInterestLog().event(SignpostName::holdOpenCallback);
        if (dial_->isVisible()) return;
        dial_->openedViaHold = true;
        dial_->show();
    };
    hotkeys_.onHoldRelease = [this] {
        pointsOfInterestLog().event(SignpostName::holdReleaseCallback);
        dial_->holdRelease();
    };
    hotkeys_.onMusicHotkeyPressed = [this] {
        pointsOfInterestLog().event(SignpostName::musicHotkeyCallback);
        if (dial_->isVisible() && dial_->mode() == DialMode::music) return dial_->hide();
        if (!dial_->isVisible()) dial_->show();
        dial_->setMode(DialMode::music);
    };
}

OrbelApplication::~OrbelApplication() { platform::Alerts::setBeforeShow({}); }

bool OrbelApplication::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::Quit) quitting_ = true;
    return QObject::eventFilter(watched, event);
}

void OrbelApplication::step(const char* name) { qCDebug(lcLaunch, "[orbel-launch] step %s", name); }

void OrbelApplication::preflightInputMonitoring(platform::Permissions& permissions,
                                                 const std::function<void(std::function<void()>)>& background) {
    const bool granted = permissions.inputMonitoringGranted();
    qCInfo(lcLaunch, "[orbel-launch] input monitoring preflight = %s", granted ? "true" : "false");
    if (granted) return;
    qCInfo(lcLaunch, "[orbel-launch] requesting input monitoring in the background");
    background([&permissions] {
        const bool answer = permissions.requestInputMonitoring();
        qCInfo(lcLaunch, "[orbel-launch] input monitoring request returned %s", answer ? "true" : "false");
        const bool after = permissions.inputMonitoringGranted();
        qCInfo(lcLaunch, "[orbel-launch] post-request preflight = %s", after ? "true" : "false");
    });
}

void OrbelApplication::finishLaunching() {
    // A config.json another program is still writing is read once it is
    // quiet: the hot keys, the tray and the first dial wait for it, so that
    // neither a stand-in's hot key nor its alerts come first.
    if (config_.waitingForQuiet()) {
        qCInfo(lcLaunch, "[orbel-launch] waiting for the configuration file to be written whole");
        connect(&config_, &ConfigManager::settled, this, &OrbelApplication::finishLaunching,
                Qt::SingleShotConnection);
        return;
    }
    pointsOfInterestLog().event(SignpostName::appDidFinishLaunching);
    step("preflight");
    preflightInputMonitoring(platform::Permissions::shared(),
                             [](std::function<void()> task) { QThreadPool::globalInstance()->start(std::move(task)); });
    step("updates");
    UpdateWindow::follow(UpdateChecker::shared());
    UpdateChecker::shared().startAutomaticChecks();
    step("lifecycle");
    lifecycle_->configure();
    step("tray");
    arming_->armTray();
    step("activation");
    arming_->armActivation();
    // The icon packs' font is registered once the hot keys are armed.
    step("icons");
    IconCatalog::shared().bootstrap();
    step("music provider");
    dial_->modeProviderRegistry[DialMode::music] = {&MusicDialModeProvider::shared(),
                                                   &AudioOutputVolumeController::shared()};
    step("music hot key");
    arming_->armMusicHotkey();
    step("now playing");
    LiveMusicNowPlayingService::shared().startObserving();
    step("root slots");
    dial_->loadSlots(config_.config().rootGroup.slots);
    step("subscriptions");
    arming_->follow();  // every configuration published from now on
    step("logitech");
    input::LogitechHidListener::shared().start();
    hotkeys_.attachHIDListener(input::LogitechHidListener::shared());
    settings_.hidButtonDown = &input::LogitechHidListener::shared().onButtonDown;
    // What loading the configuration had to do is said once Orbel is up.
    // One at a time, each until it is answered; a change saved once another
    // program had finished writing config.json, and refused then, is one.
    const auto showNotice = [this] { showConfigurationNotice(config_, [this] { return quitting_; }); };
    connect(&config_, &ConfigManager::loadNoticeChanged, this, showNotice, Qt::QueuedConnection);
    QMetaObject::invokeMethod(this, showNotice, Qt::QueuedConnection);
    // What the first opening needs is made ready in idle time.
    QTimer::singleShot(0, this, [this] {
        config_.profileList();  // the dial's list of profiles is read ahead, off this thread
        // Not while an alert of the start is up: the window shown out of
        // sight would go above the alert, and could take its focus. Once the
        // alert is answered, a turn later, so that a dial shown then comes
        // first and makes the warm-up needless.
        platform::Alerts::shared().whenNoneOpen([this] {
            QTimer::singleShot(0, this, [this] {
                if (dial_->isVisible() || quitting_) return;
                panels_->warmUp();
                // The application in front is asked for at each opening; the
                // first answer fills the window owners' cache.
                (void)platform::Workspace::shared().frontApplication();
            });
        });
    });
    step("first dial");
    if (launchedAtLogin_) return;
    // After the alerts of the start (the hot key's conflict, the
    // configuration's notice): the dial would cover them. Choosing another
    // hot key opens the settings window instead, and an alert closed by
    // quitting brings no dial.
    QMetaObject::invokeMethod(
        this,
        [this] {
            platform::Alerts::shared().whenNoneOpen([this] {
                if (!quitting_ && !rebindChosen_) dial_->show();
            });
        },
        Qt::QueuedConnection);
}

void OrbelApplication::reopen() {
    pointsOfInterestLog().event(SignpostName::reopenRequested);
    dial_->show();
}

void OrbelApplication::openFiles(const std::vector<std::string>& paths) {
    auto& import = ImportCoordinator::shared();
    for (const auto& path : paths) {
        // The path's bytes are what is opened: a name that is no valid UTF-8
        // would not survive a round trip through text.
        const QUrl url = QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path)));
        if (ImportCoordinator::isBackupUrl(url))
            import.openBackupFile(path);
        else
            QMetaObject::invokeMethod(this, [&import] { import.handleShareLink(); }, Qt::QueuedConnection);
    }
    if (tray_.onSettingsWillOpen) tray_.onSettingsWillOpen();
    settings_.show();
}

}  // namespace orbel
