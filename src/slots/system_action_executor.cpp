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
#include "platform/now_playing.h"
#include "platform/process_runner.h"
#include "platform/screen_grabber.h"
#include "platform/session_services.h"
#include "platform/trash.h"
#include "platform/workspace.h"

Q_LOGGING_CATEGORY(lcActions, "orbel.actions", QtInfoMsg)

namespace orbel {
namespace {

using K = SystemAction::Kind;
using platform::Alerts;
using platform::AudioOutput;
using platform::Clock;
using platform::Displays;
using platform::NowPlaying;
using platform::ProcessRunner;
using platform::ScreenGrabber;
using platform::SessionServices;
using platform::Trash;
using platform::Workspace;

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

}  // namespace

void SystemActionExecutor::perform(const SystemAction& action) {
    switch (action.kind) {
        case K::setVolume:
            return whenAudioReady([level = SystemAction::clampLevel(action.value), done = beepUnless()](AudioOutput& a) {
                a.setVolume(level, done);
            });
        case K::setBrightness: return setBrightness(action.value);
        case K::volumeUp:
            return whenAudioReady([done = beepUnless()](AudioOutput& a) { a.changeVolume(kStep, done); });
        case K::volumeDown:
            return whenAudioReady([done = beepUnless()](AudioOutput& a) { a.changeVolume(-kStep, done); });
        case K::volumeMute: return whenAudioReady([done = beepUnless()](AudioOutput& a) { a.toggleMute(done); });
        case K::nextOutputDevice:
            return whenAudioReady([beep = beeper(), done = beepUnless()](AudioOutput& a) { nextOutputDevice(a, beep, done); });
        case K::brightnessUp: return changeBrightness(kStep);
        case K::brightnessDown: return changeBrightness(-kStep);
        case K::toggleDarkMode: return SessionServices::shared().toggleDarkMode(beepUnlessSession("dark mode"));
        case K::missionControl:
            // No window overview that can be asked for on every X11 desktop.
            qCInfo(lcActions) << "Mission Control has no counterpart on this desktop";
            return Alerts::shared().beep();
        case K::showDesktop:
            if (!Workspace::shared().toggleShowDesktop()) {
                qCInfo(lcActions) << "the window manager cannot show the desktop";
                Alerts::shared().beep();
            }
            return;
        case K::nextDisplay: return nextDisplay();
        // Straight to the current player: a media key reaches one only when
        // some program of the desktop listens for it.
        case K::mediaPlayPause: return beepUnlessPlayer(NowPlaying::shared().togglePlayPause());
        case K::mediaNext: return beepUnlessPlayer(NowPlaying::shared().nextTrack());
        case K::mediaPrevious: return beepUnlessPlayer(NowPlaying::shared().previousTrack());
        case K::toggleWiFi: return SessionServices::shared().toggleWireless(beepUnlessSession("Wi-Fi"));
        case K::toggleDND: return SessionServices::shared().toggleDoNotDisturb(beepUnlessSession("do not disturb"));
        case K::spotlight:
            // Desktops bind their launchers to different keys (Super+Space
            // switches the keyboard layout on some): nothing safe to press.
            qCInfo(lcActions) << "Spotlight has no counterpart on this desktop";
            return Alerts::shared().beep();
        case K::screenshot: return runFirstInstalled(kSelectionScreenshotTools);
        case K::screenshotFull: return takeFullScreenshot();
        case K::screenRecording: return runFirstInstalled(kScreenRecorders);
        case K::emptyTrash: return Trash::shared().empty(beepUnless());
        case K::hideFrontApp:
            // False only when no window is active: nothing to hide.
            Workspace::shared().hideFrontApplication();
            return;
        case K::forceQuit: return runFirstInstalled(kForceQuitTools);
        case K::lockScreen: return SessionServices::shared().lockScreen(beepUnlessSession("lock"));
        case K::sleepDisplay:
            if (!Displays::shared().sleepDisplays()) {
                qCInfo(lcActions) << "the displays cannot be put to sleep";
                Alerts::shared().beep();
            }
            return;
        case K::sleepComputer: return SessionServices::shared().suspend(beepUnlessSession("sleep"));
        // Ending the session may be refused to keep unsaved work: say why.
        case K::logOut: return SessionServices::shared().logOut(explainUnlessSession("Couldn’t log out"));
        case K::restart: return SessionServices::shared().reboot(explainUnlessSession("Couldn’t restart"));
        case K::shutdown: return SessionServices::shared().powerOff(explainUnlessSession("Couldn’t shut down"));
    }
}

void SystemActionExecutor::whenAudioReady(std::function<void(platform::AudioOutput&)> action) {
    // The first action of a process may come before the sound server has
    // answered: it waits for the answer rather than failing.
    AudioOutput::shared().whenReady([action = std::move(action)] { action(AudioOutput::shared()); });
}

void SystemActionExecutor::nextOutputDevice(platform::AudioOutput& audio, const std::function<void()>& beep,
                                            const std::function<void(bool)>& done) {
    const std::vector<platform::AudioSink> sinks = audio.sinks();
    const std::optional<std::string> current = audio.defaultSink();
    if (sinks.size() < 2 || !current) return beep();
    auto it = std::find_if(sinks.begin(), sinks.end(), [&](const auto& s) { return s.name == *current; });
    std::size_t next = 0;
    if (it != sinks.end()) next = (static_cast<std::size_t>(it - sinks.begin()) + 1) % sinks.size();
    audio.setDefaultSink(sinks[next].name, done);
}

void SystemActionExecutor::changeBrightness(double delta) {
    if (!Displays::shared().hasBacklight()) {
        qCInfo(lcActions) << "no backlight this session may set";
        return Alerts::shared().beep();
    }
    Displays::shared().changeBrightness(delta, beepUnless());
}

void SystemActionExecutor::setBrightness(double level) {
    if (!Displays::shared().hasBacklight()) {
        const ShowOnceAlert alert = ShowOnceAlert::brightnessNoBuiltIn();
        AlertUtility::showOnceOnMain(alert.key, alert.title, alert.message);
        return;
    }
    Displays::shared().setBrightness(SystemAction::clampLevel(level), [](bool ok) {
        if (ok) return;
        const ShowOnceAlert alert = ShowOnceAlert::brightnessUnavailable();
        AlertUtility::showOnceOnMain(alert.key, alert.title, alert.message);
    });
}

void SystemActionExecutor::nextDisplay() {
    const std::vector<platform::DisplayInfo> list = Displays::shared().displays();
    if (list.size() < 2) return Alerts::shared().beep();
    const std::optional<std::string> main = Displays::shared().mainDisplay();
    std::size_t target = 0;
    if (main) {
        auto it = std::find_if(list.begin(), list.end(), [&](const auto& d) { return d.id == *main; });
        if (it != list.end()) target = (static_cast<std::size_t>(it - list.begin()) + 1) % list.size();
    }
    if (!Displays::shared().setMainDisplay(list[target].id)) {
        qCInfo(lcActions) << "could not make" << QString::fromStdString(list[target].id) << "the main display";
        Alerts::shared().beep();
    }
}

void SystemActionExecutor::beepUnlessPlayer(bool sent) {
    if (sent) return;
    qCInfo(lcActions) << "no media player to send the command to";
    Alerts::shared().beep();
}

void SystemActionExecutor::takeFullScreenshot() {
    const std::string name = screenshotFileName(Clock::shared().secondsSince1970());
    ScreenGrabber::shared().grabAllScreens(ScreenGrabber::shared().screenshotFolder(), name, [beep = beeper()](const std::string& path) {
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
        const std::string program =
            QStandardPaths::findExecutable(QString::fromStdString(candidate.front())).toStdString();
        if (program.empty()) continue;
        // Detached: the tool lives on its own, with no pipe to us, past our exit.
        platform::ProcessRequest request;
        request.program = program;
        request.arguments = {candidate.begin() + 1, candidate.end()};
        request.detached = true;
        ProcessRunner::shared().start(std::move(request), [beep = beeper(), name = candidate.front()](const platform::ProcessResult& r) {
            if (r.status != platform::ProcessResult::Status::launchFailed) return;
            qCInfo(lcActions) << QString::fromStdString(name) << "could not be started:" << QString::fromStdString(r.launchError);
            beep();
        });
        return;
    }
    qCInfo(lcActions) << "none of the programs for this action is installed, such as"
                      << QString::fromStdString(candidates.front().front());
    Alerts::shared().beep();
}

std::function<void()> SystemActionExecutor::beeper() const {
    // The service outlives any executor; the executor may not outlive the answer.
    platform::Alerts* a = &Alerts::shared();
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

std::function<void(bool, const std::string&)> SystemActionExecutor::explainUnlessSession(const char* title) const {
    platform::Alerts* a = &Alerts::shared();
    return [a, title = QCoreApplication::translate("SystemAction", title).toStdString()](bool ok, const std::string& error) {
        if (!ok) a->show({title, error, platform::AlertStyle::warning, {"OK"}, {}});
    };
}

SystemActionExecutor& SystemActionExecutor::makeShared() {
    return platform::processLifetimeInstance<SystemActionExecutor>();
}

void perform(const SystemAction& action) { SystemActionExecutor::shared().perform(action); }

}  // namespace orbel
