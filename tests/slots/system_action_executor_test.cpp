#include "slots/system_action_executor.h"

#include <QCoreApplication>
#include <QDateTime>
#include <gtest/gtest.h>
#include <cmath>
#include <set>

#include "fakes/fake_alerts.h"
#include "fakes/replace_shared.h"
#include "fakes/fake_event_poster.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/fake_process_runner.h"
#include "fakes/fake_system_platform.h"

namespace orbel {
namespace {

using K = SystemAction::Kind;
using Trace = std::vector<std::string>;

// 09:05:03 on 2 January 2024, local time.
double januarySecond() {
    return double(QDateTime(QDate(2024, 1, 2), QTime(9, 5, 3)).toSecsSinceEpoch());
}

const char* mediaName(platform::MediaKey key) {
    switch (key) {
        case platform::MediaKey::playPause: return "playPause";
        case platform::MediaKey::next: return "next";
        case platform::MediaKey::previous: return "previous";
        default: return "other";
    }
}

// Every fake the executor can reach, and one trace of everything they were asked.
struct Rig {
    fakes::FakeAudioOutput audio;
    fakes::FakeDisplays displays;
    fakes::FakeEventPoster events;
    fakes::FakeSessionServices session;
    fakes::FakeWorkspace workspace;
    fakes::FakeTrash trash;
    fakes::FakeScreenGrabber grabber;
    fakes::FakeProcessRunner processes;
    fakes::FakeAlerts alerts;
    fakes::FakeClock clock;
    std::set<std::string> installed;
    std::vector<std::string> shownOnce;  // "key|title|message"
    platform::SessionServices* sessionOverride = nullptr;
    fakes::ReplaceShared<platform::AudioOutput> useAudio{audio};
    fakes::ReplaceShared<platform::Displays> useDisplays{displays};
    fakes::ReplaceShared<platform::EventPoster> useEvents{events};
    fakes::ReplaceShared<platform::SessionServices> useSession{session};
    fakes::ReplaceShared<platform::Workspace> useWorkspace{workspace};
    fakes::ReplaceShared<platform::Trash> useTrash{trash};
    fakes::ReplaceShared<platform::ScreenGrabber> useGrabber{grabber};
    fakes::ReplaceShared<platform::ProcessRunner> useProcesses{processes};
    fakes::ReplaceShared<platform::Alerts> useAlerts{alerts};
    fakes::ReplaceShared<platform::Clock> useClock{clock};

    SystemActionExecutor executor() {
        SystemActionExecutor::Environment env;
        platform::SessionServices::setShared(sessionOverride ? sessionOverride : &session);
        env.showOnce = [this](const std::string& key, const std::string& title, const std::string& message) {
            shownOnce.push_back(key + "|" + title + "|" + message);
        };
        env.findExecutable = [this](const std::string& name) {
            return installed.count(name) ? "/usr/bin/" + name : std::string();
        };
        return SystemActionExecutor(env);
    }
    void perform(const SystemAction& action) { executor().perform(action); }

    Trace trace() const {
        Trace t;
        for (const auto& c : audio.calls) t.push_back(c);
        for (const auto& c : displays.calls) t.push_back(c);
        for (const auto& c : session.calls) t.push_back(c);
        for (const auto& c : workspace.calls) t.push_back(c);
        for (const auto& p : events.posted) {
            if (p.kind == fakes::PostedInput::Kind::mediaKey) t.push_back(std::string("media ") + mediaName(p.mediaKey));
            else t.push_back("posted " + std::to_string(p.keyCode) + " " + std::to_string(p.modifiers));
        }
        for (int i = 0; i < trash.emptied; ++i) t.push_back("emptyTrash");
        for (const auto& g : grabber.grabs) t.push_back("grab " + g);
        for (const auto& r : processes.runs()) {
            std::string line = "run " + r.request.program;
            for (const auto& a : r.request.arguments) line += " " + a;
            t.push_back(line);
        }
        for (const auto& s : shownOnce) t.push_back("showOnce " + s.substr(0, s.find('|')));
        for (int i = 0; i < alerts.beeps; ++i) t.push_back("beep");
        return t;
    }
};

// What each of the thirty actions asks of this desktop when everything works.
TEST(SystemActionExecutor, EachActionDoesItsDesktopCounterpart) {
    struct Case {
        SystemAction action;
        Trace expected;
    };
    const std::string shot = "grab /home/user/Pictures/Screenshot 2024-01-02 at 09.05.03.png";
    const std::vector<Case> cases = {
        {SystemAction::setVolume(0.3), {"setVolume 0.3"}},
        {SystemAction::setBrightness(0.4), {"setBrightness 0.4"}},
        {K::volumeUp, {"changeVolume 0.0625"}},
        {K::volumeDown, {"changeVolume -0.0625"}},
        {K::volumeMute, {"toggleMute"}},
        {K::nextOutputDevice, {"setDefaultSink B"}},
        {K::brightnessUp, {"changeBrightness 0.0625"}},
        {K::brightnessDown, {"changeBrightness -0.0625"}},
        {K::toggleDarkMode, {"toggleDarkMode"}},
        {K::missionControl, {"beep"}},
        {K::showDesktop, {"toggleShowDesktop"}},
        {K::nextDisplay, {"setMainDisplay HDMI-1"}},
        {K::mediaPlayPause, {"media playPause"}},
        {K::mediaNext, {"media next"}},
        {K::mediaPrevious, {"media previous"}},
        {K::toggleWiFi, {"toggleWireless"}},
        {K::toggleDND, {"toggleDoNotDisturb"}},
        {K::spotlight, {"beep"}},
        {K::screenshot, {"run /usr/bin/xfce4-screenshooter --region --clipboard"}},
        {K::screenshotFull, {shot}},
        {K::screenRecording, {"run /usr/bin/peek"}},
        {K::emptyTrash, {"emptyTrash"}},
        {K::hideFrontApp, {"hideFrontApplication"}},
        {K::forceQuit, {"run /usr/bin/xkill"}},
        {K::lockScreen, {"lockScreen"}},
        {K::sleepDisplay, {"sleepDisplays"}},
        {K::sleepComputer, {"suspend"}},
        {K::logOut, {"logOut"}},
        {K::restart, {"reboot"}},
        {K::shutdown, {"powerOff"}},
    };
    ASSERT_EQ(cases.size(), std::size_t(SystemAction::kCaseCount));
    for (const auto& c : cases) {
        Rig rig;
        rig.displays.list.push_back({"HDMI-1", 1920, 0, 2560, 1440, false});
        rig.installed = {"xfce4-screenshooter", "flameshot", "peek", "kazam", "xkill"};
        rig.clock.seconds = januarySecond();
        rig.perform(c.action);
        EXPECT_EQ(rig.trace(), c.expected) << c.action.identifier();
    }
}

// A desktop without the counterpart (nothing installed for the tool-backed
// actions, no backlight), or a service that answers "not done" later, is
// reported by a beep, never taken as done.
TEST(SystemActionExecutor, MissingCounterpartsAndFailuresBeep) {
    struct Case {
        SystemAction action;
        std::function<void(Rig&)> breakIt;
        bool nothingElse = false;  // no counterpart: nothing is even tried
    };
    auto sessionFails = [](const char* op) {
        return [op](Rig& r) { r.session.failures[op] = "not allowed"; };
    };
    auto none = [](Rig&) {};
    auto noBacklight = [](Rig& r) { r.displays.backlight.reset(); };
    const std::vector<Case> cases = {
        {K::missionControl, none, true},
        {K::spotlight, none, true},
        {K::screenshot, none, true},
        {K::screenRecording, none, true},
        {K::forceQuit, none, true},
        {K::brightnessUp, noBacklight, true},
        {K::brightnessDown, noBacklight, true},
        {SystemAction::setVolume(0.5), [](Rig& r) { r.audio.succeeds = false; }},
        {K::nextOutputDevice, [](Rig& r) { r.audio.succeeds = false; }},
        {K::toggleDarkMode, sessionFails("toggleDarkMode")},
        {K::lockScreen, sessionFails("lockScreen")},
        {K::emptyTrash, [](Rig& r) { r.trash.succeeds = false; }},
        {K::screenshotFull, [](Rig& r) { r.grabber.succeeds = false; }},
        {K::mediaPlayPause, [](Rig& r) { r.events.succeeds = false; }},
    };
    for (const auto& c : cases) {
        Rig rig;
        c.breakIt(rig);
        rig.perform(c.action);
        EXPECT_EQ(rig.alerts.beeps, 1) << c.action.identifier();
        if (c.nothingElse) {
            EXPECT_EQ(rig.trace(), Trace{"beep"}) << c.action.identifier();
        }
    }
}

// Ending the session is refused rather than losing unsaved work: the user
// is told why.
TEST(SystemActionExecutor, EndingTheSessionSaysWhyWhenItWasNotDone) {
    const std::tuple<SystemAction::Kind, const char*, const char*> cases[] = {
        {K::logOut, "logOut", "Couldn’t log out"}, {K::restart, "reboot", "Couldn’t restart"},
        {K::shutdown, "powerOff", "Couldn’t shut down"}};
    for (const auto& [kind, op, title] : cases) {
        Rig rig;
        rig.session.failures[op] = "No session manager";
        rig.perform(kind);
        ASSERT_EQ(rig.alerts.shown.size(), 1u) << op;
        EXPECT_EQ(rig.alerts.shown[0].alert.title, title);
        EXPECT_EQ(rig.alerts.shown[0].alert.text, "No session manager");
        EXPECT_EQ(rig.alerts.beeps, 0);
    }
}

TEST(SystemActionExecutor, ToolBackedActionsPickTheFirstInstalledToolAndBeepWhenItCannotStart) {
    Rig rig;
    rig.installed = {"flameshot", "gnome-screenshot"};
    rig.perform(K::screenshot);
    ASSERT_EQ(rig.trace(), Trace{"run /usr/bin/gnome-screenshot --area --clipboard"});
    rig.processes.exit(0, 1);  // a cancelled selection is no failure of ours
    EXPECT_EQ(rig.alerts.beeps, 0);

    rig.perform(K::screenshot);
    rig.processes.failToLaunch(1, "No such file or directory");
    EXPECT_EQ(rig.alerts.beeps, 1);
}

TEST(SystemActionExecutor, SetVolumeHoldsTheLevelToTheRange) {
    const std::vector<std::pair<double, std::string>> cases = {
        {1.7, "setVolume 1"}, {-0.2, "setVolume 0"}, {NAN, "setVolume 0"},
    };
    for (const auto& [level, expected] : cases) {
        Rig rig;
        rig.perform(SystemAction::setVolume(level));
        EXPECT_EQ(rig.trace(), Trace{expected}) << level;
    }
}

TEST(SystemActionExecutor, AudioActionsWaitForTheSoundServerRatherThanFail) {
    Rig rig;
    rig.audio.connecting = true;
    rig.perform(K::volumeUp);
    rig.perform(K::nextOutputDevice);
    EXPECT_EQ(rig.trace(), Trace{});
    rig.audio.connect();
    EXPECT_EQ(rig.trace(), (Trace{"changeVolume 0.0625", "setDefaultSink B"}));
}

TEST(SystemActionExecutor, NextOutputDeviceWrapsAndBeepsWithoutAChoice) {
    struct Case {
        std::vector<std::string> sinks;
        std::optional<std::string> current;
        Trace expected;
    };
    const std::vector<Case> cases = {
        {{"A", "B", "C"}, "C", {"setDefaultSink A"}},
        {{"A", "B", "C"}, "gone", {"setDefaultSink A"}},  // default not listed: the first
        {{"A", "B", "C"}, std::nullopt, {"beep"}},         // no default sink known
        {{"A"}, "A", {"beep"}},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.audio.sinkList.clear();
        for (const auto& s : c.sinks) rig.audio.sinkList.push_back({s, "Sink " + s});
        rig.audio.defaultName = c.current;
        rig.perform(K::nextOutputDevice);
        EXPECT_EQ(rig.trace(), c.expected) << c.sinks.size() << " " << c.current.value_or("-");
    }
}

TEST(SystemActionExecutor, NextDisplayFollowsTheOutputOrderNotThePositions) {
    // C sits left of A, but the order of the outputs decides.
    const std::vector<platform::DisplayInfo> abc = {
        {"A", 0, 0, 1920, 1080, true}, {"B", 1920, 0, 2560, 1440, false}, {"C", -1280, 0, 1280, 1024, false}};
    struct Case {
        std::vector<platform::DisplayInfo> list;
        std::optional<std::string> main;
        Trace expected;
    };
    const std::vector<Case> cases = {
        {abc, "A", {"setMainDisplay B"}},
        {abc, "C", {"setMainDisplay A"}},
        {abc, "unplugged", {"setMainDisplay A"}},
        {{abc[0]}, "A", {"beep"}},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.displays.list = c.list;
        rig.displays.main = c.main;
        rig.perform(K::nextDisplay);
        EXPECT_EQ(rig.trace(), c.expected) << c.main.value_or("-");
    }

    // The window system refuses the new main display.
    struct Refusing : fakes::FakeDisplays {
        bool setMainDisplay(const std::string&) override { return false; }
    };
    Refusing refusing;
    refusing.list = abc;
    fakes::FakeAlerts alerts;
    fakes::ReplaceShared<platform::Displays> useRefusing{refusing};
    fakes::ReplaceShared<platform::Alerts> useAlerts{alerts};
    SystemActionExecutor().perform(K::nextDisplay);
    EXPECT_EQ(alerts.beeps, 1);
}

TEST(SystemActionExecutor, FullScreenshotIsNamedAfterTheLocalTime) {
    Rig rig;
    rig.grabber.folder = "/home/ada/Desktop";
    rig.clock.seconds = januarySecond() + 0.999;  // fractions never round up a second
    rig.perform(K::screenshotFull);
    EXPECT_EQ(rig.grabber.grabs, Trace{"/home/ada/Desktop/Screenshot 2024-01-02 at 09.05.03.png"});
    EXPECT_EQ(rig.alerts.beeps, 0);

    const double evening = double(QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59)).toSecsSinceEpoch());
    EXPECT_EQ(SystemActionExecutor::screenshotFileName(evening), "Screenshot 2023-12-31 at 23.59.59.png");
}

TEST(SystemActionExecutor, SetBrightnessRaisesTheShowOnceAlertsUnderTheirKeys) {
    Rig noBacklight;
    noBacklight.displays.backlight.reset();
    noBacklight.perform(SystemAction::setBrightness(0.5));
    ASSERT_EQ(noBacklight.shownOnce.size(), 1u);
    EXPECT_EQ(noBacklight.shownOnce[0],
              "brightness.no-built-in|No built-in display|“Set Brightness” only adjusts a built-in display with a "
              "backlight. Connect or wake the built-in screen to use this action.");
    EXPECT_TRUE(noBacklight.displays.calls.empty());

    // A backlight that the system will not set.
    struct Refusing : fakes::FakeDisplays {
        void setBrightness(double level, Completion done) override {
            calls.push_back("setBrightness " + fakes::formatNumber(level));
            done(false);
        }
    };
    Rig refused;
    Refusing displays;
    platform::Displays::setShared(&displays);
    SystemActionExecutor::Environment env;
    env.showOnce = [&](const std::string& key, const std::string& title, const std::string&) {
        refused.shownOnce.push_back(key + "|" + title);
    };
    SystemActionExecutor(env).perform(SystemAction::setBrightness(1.4));
    EXPECT_EQ(displays.calls, Trace{"setBrightness 1"});
    EXPECT_EQ(refused.shownOnce, Trace{"brightness.private-api-missing|Couldn’t set brightness"});
    EXPECT_EQ(refused.alerts.beeps, 0);

    // Without an alert wired, the shared show-once alert is queued on the GUI thread.
    fakes::FakeMainQueue queue;
    platform::MainQueue::setShared(&queue);
    platform::Displays::setShared(&noBacklight.displays);
    SystemActionExecutor().perform(SystemAction::setBrightness(0.5));
    EXPECT_EQ(queue.pending(), 1u);
    platform::MainQueue::setShared(nullptr);
}

}  // namespace
}  // namespace orbel
