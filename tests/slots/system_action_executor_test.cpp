#include "slots/system_action_executor.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>

#include "fakes/fake_alerts.h"
#include "fakes/fake_event_poster.h"
#include "fakes/fake_now_playing.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/fake_process_runner.h"
#include "fakes/fake_system_platform.h"
#include "fakes/replace_shared.h"
#include "support/mapped.h"

namespace orbel {
namespace {

using K = SystemAction::Kind;
using Trace = std::vector<std::string>;

// 09:05:03 on 2 January 2024, local time.
double januarySecond() { return double(QDateTime(QDate(2024, 1, 2), QTime(9, 5, 3)).toSecsSinceEpoch()); }

// Every fake the executor can reach, one trace of everything they were asked,
// and a PATH holding only the tools a test installs.
struct Rig {
    fakes::Installed<fakes::FakeAudioOutput, platform::AudioOutput> audio;
    fakes::Installed<fakes::FakeDisplays, platform::Displays> displays;
    fakes::Installed<fakes::FakeEventPoster, platform::EventPoster> events;
    fakes::Installed<fakes::FakeNowPlaying, platform::NowPlaying> player;
    fakes::Installed<fakes::FakeSessionServices, platform::SessionServices> session;
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    fakes::Installed<fakes::FakeTrash, platform::Trash> trash;
    fakes::Installed<fakes::FakeScreenGrabber, platform::ScreenGrabber> grabber;
    fakes::Installed<fakes::FakeProcessRunner, platform::ProcessRunner> processes;
    fakes::Installed<fakes::FakeAlerts, platform::Alerts> alerts;
    fakes::Installed<fakes::FakeClock, platform::Clock> clock;
    fakes::Installed<fakes::FakeMainQueue, platform::MainQueue> queue;
    QTemporaryDir bin;
    QByteArray savedPath = qgetenv("PATH");

    Rig() { qputenv("PATH", bin.path().toUtf8()); }
    ~Rig() { qputenv("PATH", savedPath); }
    void install(std::initializer_list<const char*> tools) {
        for (const char* tool : tools) {
            QFile file(bin.filePath(QString::fromUtf8(tool)));
            file.open(QIODevice::WriteOnly);
            file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        }
    }
    std::string tool(const char* name) const { return bin.filePath(QString::fromUtf8(name)).toStdString(); }
    void perform(const SystemAction& action) { SystemActionExecutor().perform(action); }

    Trace trace() const {
        Trace t;
        for (const auto* calls : {&audio.calls, &displays.calls, &session.calls, &workspace.calls, &player.commands})
            t.insert(t.end(), calls->begin(), calls->end());
        for (std::size_t i = 0; i < events.posted.size(); ++i) t.push_back("posted");
        for (int i = 0; i < trash.emptied; ++i) t.push_back("emptyTrash");
        for (const auto& g : grabber.grabs) t.push_back("grab " + g);
        for (const auto& r : processes.runs()) t.push_back("run " + r.request.program);
        for (int i = 0; i < alerts.beeps; ++i) t.push_back("beep");
        for (const auto& shown : alerts.shown) t.push_back("alert " + shown.alert.title + ": " + shown.alert.text);
        return t;
    }
};

// A display server that refuses every change.
struct RefusingDisplays : fakes::FakeDisplays {
    bool setMainDisplay(const std::string&) override { return false; }
    void setBrightness(double, Completion done) override { done(false); }
};

std::vector<SystemAction> everyAction() {
    std::vector<SystemAction> all = SystemAction::parameterlessCases();
    all.push_back(SystemAction::setVolume(0.3));
    all.push_back(SystemAction::setBrightness(0.4));
    return all;
}

// On a desktop where everything works, each action does one thing and never
// beeps; only the two without a counterpart here beep instead. Tools start
// detached, so none dies with us or fills our memory.
TEST(SystemActionExecutor, EveryActionDoesOneThingOrSaysItCannot) {
    ASSERT_EQ(everyAction().size(), std::size_t(SystemAction::kCaseCount));
    for (const SystemAction& action : everyAction()) {
        SCOPED_TRACE(action.identifier());
        Rig rig;
        rig.install({"gnome-screenshot", "simplescreenrecorder", "xkill"});
        rig.displays.list.push_back({"HDMI-1", 1920, 0, 2560, 1440, false});
        rig.perform(action);
        const Trace trace = rig.trace();
        ASSERT_EQ(trace.size(), 1u);
        const bool noCounterpart = action.kind == K::missionControl || action.kind == K::spotlight;
        EXPECT_EQ(trace[0] == "beep", noCounterpart) << trace[0];
        for (const auto& run : rig.processes.runs()) EXPECT_TRUE(run.request.detached);
    }
}

// A desktop without the counterpart, or a service that answers "not done"
// later, is reported by a beep, never taken as done.
TEST(SystemActionExecutor, FailuresBeepAndNeverPassForSuccess) {
    struct Case {
        SystemAction action;
        std::function<void(Rig&)> breakIt;
        bool nothingElse = false;  // no counterpart: nothing is even tried
    };
    auto none = [](Rig&) {};
    auto noBacklight = [](Rig& r) { r.displays.backlight.reset(); };
    auto noPlayer = [](Rig& r) { r.player.hasPlayer = false; };
    const std::vector<Case> cases = {
        {K::screenshot, none, true},
        {K::screenRecording, none, true},
        {K::forceQuit, none, true},
        {K::brightnessUp, noBacklight, true},
        {K::nextDisplay, [](Rig& r) { r.displays.list.resize(1); }, true},
        {K::nextOutputDevice, [](Rig& r) { r.audio.sinkList.resize(1); }, true},
        {K::nextOutputDevice, [](Rig& r) { r.audio.defaultName.reset(); }, true},
        {SystemAction::setVolume(0.5), [](Rig& r) { r.audio.succeeds = false; }},
        {K::toggleDarkMode, [](Rig& r) { r.session.failures["toggleDarkMode"] = "not here"; }},
        {K::lockScreen, [](Rig& r) { r.session.failures["lockScreen"] = "no locker"; }},
        {K::emptyTrash, [](Rig& r) { r.trash.succeeds = false; }},
        {K::screenshotFull, [](Rig& r) { r.grabber.succeeds = false; }},
        {K::mediaPlayPause, noPlayer, true},
        {K::mediaNext, noPlayer, true},
        {K::mediaPrevious, noPlayer, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.action.identifier());
        Rig rig;
        c.breakIt(rig);
        rig.perform(c.action);
        EXPECT_EQ(rig.alerts.beeps, 1);
        if (c.nothingElse) {
            EXPECT_EQ(rig.trace(), Trace{"beep"});
        }
    }
}

TEST(SystemActionExecutor, ToolsArePickedInOrderAndAToolThatCannotStartBeeps) {
    Rig rig;
    rig.install({"flameshot", "gnome-screenshot"});
    rig.perform(K::screenshot);
    ASSERT_EQ(rig.processes.runs().size(), 1u);
    EXPECT_EQ(rig.processes.runs()[0].request.program, rig.tool("gnome-screenshot"));
    EXPECT_EQ(rig.processes.runs()[0].request.arguments, (std::vector<std::string>{"--area", "--clipboard"}));
    rig.processes.exit(0, 0);  // started
    EXPECT_EQ(rig.alerts.beeps, 0);
    rig.perform(K::screenshot);
    rig.processes.failToLaunch(1, "Permission denied");
    EXPECT_EQ(rig.alerts.beeps, 1);
}

// Levels are held to the range and steps are sixteenths; the media actions
// go to the current player; a full screenshot
// is named after the local time, never rounded up; ending the session is
// refused rather than losing unsaved work, and the user is told why.
TEST(SystemActionExecutor, WhatActionsAskOfTheDesktop) {
    const auto at = [](double seconds) {
        return [seconds](Rig& r) {
            r.grabber.folder = "/home/ada/Desktop";
            r.clock.seconds = seconds;
        };
    };
    const auto failing = [](const char* op) { return [op](Rig& r) { r.session.failures[op] = "No session manager"; }; };
    const std::vector<std::tuple<SystemAction, std::function<void(Rig&)>, Trace>> cases = {
        {SystemAction::setVolume(1.7), {}, {"setVolume 1"}},
        {SystemAction::setVolume(-0.2), {}, {"setVolume 0"}},
        {SystemAction::setVolume(NAN), {}, {"setVolume 0"}},
        {SystemAction::setBrightness(1.4), {}, {"setBrightness 1"}},
        {K::volumeDown, {}, {"changeVolume -0.0625"}},
        {K::brightnessUp, {}, {"changeBrightness 0.0625"}},
        {K::mediaPlayPause, {}, {"toggle"}},
        {K::mediaNext, {}, {"next"}},
        {K::mediaPrevious, {}, {"prev"}},
        {K::screenshotFull, at(januarySecond() + 0.999), {"grab /home/ada/Desktop/Screenshot 2024-01-02 at 09.05.03.png"}},
        {K::screenshotFull, at(double(QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59)).toSecsSinceEpoch())),
         {"grab /home/ada/Desktop/Screenshot 2023-12-31 at 23.59.59.png"}},
        {K::logOut, failing("logOut"), {"logOut", "alert Couldn’t log out: No session manager"}},
        {K::restart, failing("reboot"), {"reboot", "alert Couldn’t restart: No session manager"}},
        {K::shutdown, failing("powerOff"), {"powerOff", "alert Couldn’t shut down: No session manager"}},
    };
    for (const auto& [action, setup, expected] : cases) {
        Rig rig;
        if (setup) setup(rig);
        rig.perform(action);
        EXPECT_EQ(rig.trace(), expected) << action.identifier();
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

// The next sink, or display, in the server's order (not by position),
// wrapping at the end; one that is no longer listed starts over.
TEST(SystemActionExecutor, NextOutputAndNextDisplayFollowTheServersOrder) {
    const std::vector<platform::DisplayInfo> abc = {
        {"A", 0, 0, 1920, 1080, true}, {"B", 1920, 0, 2560, 1440, false}, {"C", -1280, 0, 1280, 1024, false}};
    const std::vector<std::pair<std::string, std::string>> cases = {{"A", "B"}, {"C", "A"}, {"gone", "A"}};
    for (const auto& [current, next] : cases) {
        Rig rig;
        rig.audio.sinkList = {{"A", "a"}, {"B", "b"}, {"C", "c"}};
        rig.audio.defaultName = current;
        rig.displays.list = abc;
        rig.displays.main = current;
        rig.perform(K::nextOutputDevice);
        rig.perform(K::nextDisplay);
        EXPECT_EQ(rig.trace(), (Trace{"setDefaultSink " + next, "setMainDisplay " + next})) << current;
    }

    Rig rig;
    RefusingDisplays refusing;
    refusing.list = abc;
    fakes::ReplaceShared<platform::Displays> useRefusing{refusing};
    rig.perform(K::nextDisplay);
    EXPECT_EQ(rig.alerts.beeps, 1);
}

TEST(SystemActionExecutor, SetBrightnessWithoutABacklightShowsItsAlertOnce) {
    Rig rig;
    RefusingDisplays refusing;
    rig.displays.backlight.reset();
    rig.perform(SystemAction::setBrightness(0.5));
    {
        fakes::ReplaceShared<platform::Displays> useRefusing{refusing};
        rig.perform(SystemAction::setBrightness(0.5));
        rig.perform(SystemAction::setBrightness(0.5));
    }
    EXPECT_TRUE(rig.displays.calls.empty());
    EXPECT_EQ(rig.queue.runAll(), 3u);  // always queued to the GUI thread
    // Each alert at most once per run (another test may have shown the first).
    const auto titles = testing::mapped(rig.alerts.shown, [](const auto& shown) { return shown.alert.title; });
    EXPECT_EQ(titles.back(), "Couldn’t set brightness");
    EXPECT_EQ(std::count(titles.begin(), titles.end(), "Couldn’t set brightness"), 1);
    EXPECT_LE(titles.size(), 2u);
    EXPECT_EQ(rig.alerts.beeps, 0);
}

}  // namespace
}  // namespace orbel
