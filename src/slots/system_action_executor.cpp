#include "slots/system_action_executor.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QString>
#include <algorithm>
#include <atomic>
#include <cmath>

#include "platform/alerts.h"
#include "slots/alert_utility.h"
#include "platform/audio_output.h"
#include "platform/clock.h"
#include "platform/displays.h"
#include "platform/process_runner.h"
#include "platform/screen_grabber.h"
#include "platform/session_services.h"
#include "platform/trash.h"
#include "platform/workspace.h"

Q_LOGGING_CATEGORY(lcActions, "orbel.actions", QtInfoMsg)

namespace orbel {
namespace {

using K = SystemAction::Kind;

// Interactive region captures that copy the picture to the clipboard, the
// desktops' own tools first.
const std::vector<std::vector<std::string>> kSelectionScreenshotTools = {
    {"gnome-screenshot", "--area", "--clipboard"},
    {"spectacle", "-r", "-b", "-n", "-c"},
    {"xfce4-screenshooter", "--region", "--clipboard"},
    {"flameshot", "gui"},
};

// Screen recorders that open their recording window.
const std::vector<std::vector<std::string>> kScreenRecorders = {
    {"simplescreenrecorder"},
    {"peek"},
    {"kazam"},
};

// Turns the pointer into a cross that kills the client of the window clicked.
const std::vector<std::vector<std::string>> kForceQuitTools = {
    {"xkill"},
};

std::atomic<SystemActionExecutor*> sharedExecutor{nullptr};

}  // namespace

SystemActionExecutor::SystemActionExecutor() = default;

SystemActionExecutor::SystemActionExecutor(Environment environment) : env_(std::move(environment)) {}

void SystemActionExecutor::perform(const SystemAction& action) {
    using platform::MediaKey;
    switch (action.kind) {
        case K::setVolume: return setVolume(action.value);
        case K::setBrightness: return setBrightness(action.value);
        case K::volumeUp: return audio().changeVolume(kStep, beepUnless());
        case K::volumeDown: return audio().changeVolume(-kStep, beepUnless());
        case K::volumeMute: return audio().toggleMute(beepUnless());
        case K::nextOutputDevice: return nextOutputDevice();
        case K::brightnessUp: return changeBrightness(kStep);
        case K::brightnessDown: return changeBrightness(-kStep);
        case K::toggleDarkMode: return session().toggleDarkMode(beepUnlessSession("dark mode"));
        case K::missionControl:
            // No window overview that can be asked for on every X11 desktop.
            qCInfo(lcActions) << "Mission Control has no counterpart on this desktop";
            return alerts().beep();
        case K::showDesktop:
            if (!workspace().toggleShowDesktop()) {
                qCInfo(lcActions) << "the window manager cannot show the desktop";
                alerts().beep();
            }
            return;
        case K::nextDisplay: return nextDisplay();
        case K::mediaPlayPause: return postMediaKey(MediaKey::playPause);
        case K::mediaNext: return postMediaKey(MediaKey::next);
        case K::mediaPrevious: return postMediaKey(MediaKey::previous);
        case K::toggleWiFi: return session().toggleWireless(beepUnlessSession("Wi-Fi"));
        case K::toggleDND: return session().toggleDoNotDisturb(beepUnlessSession("do not disturb"));
        case K::spotlight:
            // Desktops bind their launchers to different keys (Super+Space
            // switches the keyboard layout on some): nothing safe to press.
            qCInfo(lcActions) << "Spotlight has no counterpart on this desktop";
            return alerts().beep();
        case K::screenshot: return runFirstInstalled(kSelectionScreenshotTools);
        case K::screenshotFull: return takeFullScreenshot();
        case K::screenRecording: return runFirstInstalled(kScreenRecorders);
        case K::emptyTrash: return trash().empty(beepUnless());
        case K::hideFrontApp:
            // False only when no window is active: nothing to hide.
            workspace().hideFrontApplication();
            return;
        case K::forceQuit: return runFirstInstalled(kForceQuitTools);
        case K::lockScreen: return session().lockScreen(beepUnlessSession("lock"));
        case K::sleepDisplay:
            if (!displays().sleepDisplays()) {
                qCInfo(lcActions) << "the displays cannot be put to sleep";
                alerts().beep();
            }
            return;
        case K::sleepComputer: return session().suspend(beepUnlessSession("sleep"));
        case K::logOut: return session().logOut(beepUnlessSession("log out"));
        case K::restart: return session().reboot(beepUnlessSession("restart"));
        case K::shutdown: return session().powerOff(beepUnlessSession("shut down"));
    }
}

void SystemActionExecutor::setVolume(double level) {
    audio().setVolume(SystemAction::clampLevel(level), beepUnless());
}

void SystemActionExecutor::nextOutputDevice() {
    const std::vector<platform::AudioSink> sinks = audio().sinks();
    const std::optional<std::string> current = audio().defaultSink();
    if (sinks.size() < 2 || !current) return alerts().beep();
    auto it = std::find_if(sinks.begin(), sinks.end(), [&](const auto& s) { return s.name == *current; });
    std::size_t next = 0;
    if (it != sinks.end()) next = (static_cast<std::size_t>(it - sinks.begin()) + 1) % sinks.size();
    audio().setDefaultSink(sinks[next].name, beepUnless());
}

void SystemActionExecutor::changeBrightness(double delta) {
    if (!displays().hasBacklight()) {
        qCInfo(lcActions) << "no backlight this session may set";
        return alerts().beep();
    }
    displays().changeBrightness(delta, beepUnless());
}

void SystemActionExecutor::setBrightness(double level) {
    if (!displays().hasBacklight()) {
        const ShowOnceAlert alert = ShowOnceAlert::brightnessNoBuiltIn();
        showOnce()(alert.key, alert.title, alert.message);
        return;
    }
    displays().setBrightness(SystemAction::clampLevel(level), [show = showOnce()](bool ok) {
        if (ok) return;
        const ShowOnceAlert alert = ShowOnceAlert::brightnessUnavailable();
        show(alert.key, alert.title, alert.message);
    });
}

void SystemActionExecutor::nextDisplay() {
    const std::vector<platform::DisplayInfo> list = displays().displays();
    if (list.size() < 2) return alerts().beep();
    const std::optional<std::string> main = displays().mainDisplay();
    std::size_t target = 0;
    if (main) {
        auto it = std::find_if(list.begin(), list.end(), [&](const auto& d) { return d.id == *main; });
        if (it != list.end()) target = (static_cast<std::size_t>(it - list.begin()) + 1) % list.size();
    }
    if (!displays().setMainDisplay(list[target].id)) {
        qCInfo(lcActions) << "could not make" << QString::fromStdString(list[target].id) << "the main display";
        alerts().beep();
    }
}

void SystemActionExecutor::postMediaKey(platform::MediaKey key) {
    if (!events().postMediaKey(key)) alerts().beep();
}

void SystemActionExecutor::takeFullScreenshot() {
    const std::string name = screenshotFileName(clock().secondsSince1970());
    screenGrabber().grabAllScreens(screenGrabber().screenshotFolder(), name, [beep = beeper()](const std::string& path) {
        if (path.empty()) beep();
    });
}

std::string SystemActionExecutor::screenshotFileName(double secondsSince1970) {
    const auto ms = static_cast<qint64>(std::floor(secondsSince1970 * 1000.0));
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(ms);  // local time
    return "Screenshot " + at.toString(QStringLiteral("yyyy-MM-dd 'at' HH.mm.ss")).toStdString() + ".png";
}

void SystemActionExecutor::runFirstInstalled(const std::vector<std::vector<std::string>>& candidates) {
    for (const auto& candidate : candidates) {
        const std::string program = findExecutable(candidate.front());
        if (program.empty()) continue;
        platform::ProcessRequest request{program, {candidate.begin() + 1, candidate.end()}, std::nullopt};
        processes().start(std::move(request), [beep = beeper(), name = candidate.front()](const platform::ProcessResult& r) {
            using S = platform::ProcessResult::Status;
            if (r.status == S::exited) return;
            qCInfo(lcActions) << QString::fromStdString(name)
                              << (r.status == S::launchFailed ? "could not be started:" : "crashed")
                              << QString::fromStdString(r.launchError);
            beep();
        });
        return;
    }
    qCInfo(lcActions) << "none of the programs for this action is installed, such as"
                      << QString::fromStdString(candidates.front().front());
    alerts().beep();
}

std::function<void()> SystemActionExecutor::beeper() const {
    // The service outlives any executor; the executor may not outlive the answer.
    platform::Alerts* a = &alerts();
    return [a] { a->beep(); };
}

std::function<void(bool)> SystemActionExecutor::beepUnless() const {
    return [beep = beeper()](bool ok) {
        if (!ok) beep();
    };
}

std::function<void(bool, const std::string&)> SystemActionExecutor::beepUnlessSession(std::string_view what) const {
    return [beep = beeper(), what = std::string(what)](bool ok, const std::string& error) {
        if (ok) return;
        qCInfo(lcActions) << QString::fromStdString(what) << "failed:" << QString::fromStdString(error);
        beep();
    };
}

SystemActionExecutor::ShowOnce SystemActionExecutor::showOnce() const {
    if (env_.showOnce) return env_.showOnce;
    return [](const std::string& key, const std::string& title, const std::string& message) {
        AlertUtility::showOnceOnMain(key, title, message);
    };
}

platform::AudioOutput& SystemActionExecutor::audio() const {
    return env_.audio ? *env_.audio : platform::AudioOutput::shared();
}
platform::Displays& SystemActionExecutor::displays() const {
    return env_.displays ? *env_.displays : platform::Displays::shared();
}
platform::EventPoster& SystemActionExecutor::events() const {
    return env_.events ? *env_.events : platform::EventPoster::shared();
}
platform::SessionServices& SystemActionExecutor::session() const {
    return env_.session ? *env_.session : platform::SessionServices::shared();
}
platform::Workspace& SystemActionExecutor::workspace() const {
    return env_.workspace ? *env_.workspace : platform::Workspace::shared();
}
platform::Trash& SystemActionExecutor::trash() const { return env_.trash ? *env_.trash : platform::Trash::shared(); }
platform::ScreenGrabber& SystemActionExecutor::screenGrabber() const {
    return env_.screenGrabber ? *env_.screenGrabber : platform::ScreenGrabber::shared();
}
platform::ProcessRunner& SystemActionExecutor::processes() const {
    return env_.processes ? *env_.processes : platform::ProcessRunner::shared();
}
platform::Alerts& SystemActionExecutor::alerts() const {
    return env_.alerts ? *env_.alerts : platform::Alerts::shared();
}
platform::Clock& SystemActionExecutor::clock() const { return env_.clock ? *env_.clock : platform::Clock::shared(); }

std::string SystemActionExecutor::findExecutable(const std::string& name) const {
    if (env_.findExecutable) return env_.findExecutable(name);
    return QStandardPaths::findExecutable(QString::fromStdString(name)).toStdString();
}

SystemActionExecutor& SystemActionExecutor::shared() {
    static SystemActionExecutor defaults;
    SystemActionExecutor* s = sharedExecutor.load();
    return s ? *s : defaults;
}

void SystemActionExecutor::setShared(SystemActionExecutor* executor) { sharedExecutor.store(executor); }

void perform(const SystemAction& action) { SystemActionExecutor::shared().perform(action); }

}  // namespace orbel
