#pragma once

// Recording stand-ins for the workspace, application, audio, display,
// session, trash and screenshot services. Each records what it was asked in
// `calls` (one text a call, such as "setVolume 0.5") and answers from public
// fields the test sets. Completions run at once, on the caller's thread.

#include <algorithm>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/app_directory.h"
#include "platform/audio_output.h"
#include "platform/displays.h"
#include "platform/screen_grabber.h"
#include "platform/session_services.h"
#include "platform/trash.h"
#include "platform/workspace.h"

namespace orbel::fakes {

inline std::string formatNumber(double v) {
    std::ostringstream s;
    s << v;
    return s.str();
}

class FakeWorkspace : public platform::Workspace {
public:
    platform::AppLookup applicationFor(const std::string& bundleId) const override {
        if (!known) return platform::AppLookup::notKnownYet();
        auto it = installed.find(bundleId);
        if (it == installed.end()) return platform::AppLookup::none();
        return platform::AppLookup::found(it->second);
    }
    bool launch(const platform::ApplicationRef& app) override {
        calls.push_back("launch " + app.bundleId);
        return true;
    }
    bool openUrl(const std::string& url) override {
        calls.push_back("openUrl " + url);
        return true;
    }
    std::optional<platform::RunningApplication> frontApplication() const override { return front; }
    std::optional<platform::WindowClass> frontWindowClass() const override { return frontClass; }
    std::vector<platform::RunningApplication> runningApplications() const override { return running; }
    bool activate(const platform::RunningApplication& app) override {
        calls.push_back("activate " + app.bundleId);
        return std::find(running.begin(), running.end(), app) != running.end();
    }
    bool hideFrontApplication() override {
        calls.push_back("hideFrontApplication");
        return front.has_value();
    }
    bool toggleShowDesktop() override {
        calls.push_back("toggleShowDesktop");
        return true;
    }

    bool applicationsKnown() const override { return known; }
    void whenApplicationsKnown(std::function<void()> done) override {
        if (known) return Workspace::whenApplicationsKnown(std::move(done));
        waiting.push_back(std::move(done));
    }
    // The first reading of the applications ends: what waited for it runs.
    void becomeKnown() {
        known = true;
        for (auto& done : std::exchange(waiting, {})) done();
    }

    // Makes `bundleId` installed, found at a made-up location.
    void install(const std::string& bundleId, const std::string& name = {}) {
        installed[bundleId] = {bundleId, "/fake/applications/" + bundleId + ".desktop", bundleId, name};
    }

    std::map<std::string, platform::ApplicationRef> installed;
    std::optional<platform::RunningApplication> front;
    std::optional<platform::WindowClass> frontClass;  // the active window's WM_CLASS
    std::vector<platform::RunningApplication> running;
    std::vector<std::string> calls;
    bool known = true;  // false: before the first reading
    std::vector<std::function<void()>> waiting;
};

class FakeAppDirectory : public platform::AppDirectory {
public:
    std::vector<platform::InstalledApp> allApps() override {
        std::lock_guard lock(mutex_);
        ++scans;
        return apps;
    }
    std::vector<platform::InstalledApp> apps;
    int scans = 0;

private:
    std::mutex mutex_;
};

// Holds one default sink's volume and mute; starts with two sinks "A" and "B".
class FakeAudioOutput : public platform::AudioOutput {
public:
    bool isAvailable() const override { return true; }
    std::vector<platform::AudioSink> sinks() const override { return sinkList; }
    std::optional<std::string> defaultSink() const override { return defaultName; }
    double volume() const override { return level; }
    bool isMuted() const override { return muted; }

    // Tasks wait while `connecting` is set, until `connect()`.
    void whenReady(std::function<void()> task) override {
        if (connecting) waiting.push_back(std::move(task));
        else task();
    }
    void connect() {
        connecting = false;
        for (auto& task : std::exchange(waiting, {})) task();
    }

    void setVolume(double v, Completion done = {}) override {
        calls.push_back("setVolume " + formatNumber(v));
        level = std::clamp(v, 0.0, 1.0);
        finish(done);
    }
    void changeVolume(double delta, Completion done = {}) override {
        calls.push_back("changeVolume " + formatNumber(delta));
        level = std::clamp(level + delta, 0.0, 1.0);
        if (delta > 0) muted = false;
        finish(done);
    }
    void setMuted(bool m, Completion done = {}) override {
        calls.push_back(std::string("setMuted ") + (m ? "true" : "false"));
        muted = m;
        finish(done);
    }
    void toggleMute(Completion done = {}) override {
        calls.push_back("toggleMute");
        muted = !muted;
        finish(done);
    }
    void setDefaultSink(const std::string& name, Completion done = {}) override {
        calls.push_back("setDefaultSink " + name);
        defaultName = name;
        finish(done);
    }

    bool connecting = false;
    std::vector<std::function<void()>> waiting;
    std::vector<platform::AudioSink> sinkList{{"A", "Sink A"}, {"B", "Sink B"}};
    std::optional<std::string> defaultName = std::string("A");
    double level = 0.5;
    bool muted = false;
    bool succeeds = true;
    std::vector<std::string> calls;

private:
    void finish(const Completion& done) {
        Q_EMIT changed();
        if (done) done(succeeds);
    }
};

class FakeDisplays : public platform::Displays {
public:
    std::vector<platform::DisplayInfo> displays() const override { return list; }
    std::optional<std::string> mainDisplay() const override { return main; }
    bool setMainDisplay(const std::string& id) override {
        calls.push_back("setMainDisplay " + id);
        bool known = std::any_of(list.begin(), list.end(), [&](const auto& d) { return d.id == id; });
        if (known) main = id;
        return known;
    }
    bool hasBacklight() const override { return backlight.has_value(); }
    std::optional<double> brightness() const override { return backlight; }
    void setBrightness(double level, Completion done = {}) override {
        calls.push_back("setBrightness " + formatNumber(level));
        if (backlight) backlight = std::clamp(level, 0.0, 1.0);
        if (done) done(backlight.has_value());
    }
    void changeBrightness(double delta, Completion done = {}) override {
        calls.push_back("changeBrightness " + formatNumber(delta));
        if (backlight) backlight = std::clamp(*backlight + delta, 0.0, 1.0);
        if (done) done(backlight.has_value());
    }
    bool sleepDisplays() override {
        calls.push_back("sleepDisplays");
        return true;
    }

    std::vector<platform::DisplayInfo> list{{"eDP-1", 0, 0, 1920, 1080, true}};
    std::optional<std::string> main = std::string("eDP-1");
    std::optional<double> backlight = 0.5;
    std::vector<std::string> calls;
};

class FakeSessionServices : public platform::SessionServices {
public:
    void lockScreen(Completion done = {}) override { record("lockScreen", done); }
    void suspend(Completion done = {}) override { record("suspend", done); }
    void logOut(Completion done = {}) override { record("logOut", done); }
    void reboot(Completion done = {}) override { record("reboot", done); }
    void powerOff(Completion done = {}) override { record("powerOff", done); }
    void toggleWireless(Completion done = {}) override { record("toggleWireless", done); }
    void toggleDarkMode(Completion done = {}) override { record("toggleDarkMode", done); }
    void toggleDoNotDisturb(Completion done = {}) override { record("toggleDoNotDisturb", done); }

    // Operations named here fail with this text; the others succeed.
    std::map<std::string, std::string> failures;
    std::vector<std::string> calls;

private:
    void record(const std::string& name, const Completion& done) {
        calls.push_back(name);
        auto it = failures.find(name);
        if (done) done(it == failures.end(), it == failures.end() ? std::string() : it->second);
    }
};

class FakeTrash : public platform::Trash {
public:
    void empty(Completion done = {}) override {
        ++emptied;
        if (done) done(succeeds);
    }
    int emptied = 0;
    bool succeeds = true;
};

class FakeScreenGrabber : public platform::ScreenGrabber {
public:
    std::string screenshotFolder() const override { return folder; }
    void grabAllScreens(const std::string& dir, const std::string& fileName, Completion done = {}) override {
        grabs.push_back(dir + "/" + fileName);
        if (done) done(succeeds ? grabs.back() : std::string());
    }
    std::string folder = "/home/user/Pictures";
    std::vector<std::string> grabs;  // full paths asked for
    bool succeeds = true;
};

}  // namespace orbel::fakes
