#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/lookup.h"
#include "platform/main_queue.h"
#include "platform/shared_instance.h"

namespace orbel::platform {

// An installed application found by its bundle identifier. Here a bundle
// identifier is a desktop-entry id: the entry's path below an applications
// folder, without ".desktop", with "/" replaced by "-".
struct ApplicationRef {
    std::string bundleId;  // the desktop-entry id actually found
    std::string location;  // absolute path of the .desktop file
    std::string icon;      // the entry's Icon value: a theme icon name or an absolute path; may be empty
    std::string name;      // the entry's (localised) Name

    bool operator==(const ApplicationRef&) const = default;
};

// An installed application, none installed, or not known yet.
using AppLookup = Lookup<ApplicationRef>;

// An application with at least one window on screen.
struct RunningApplication {
    std::int64_t pid = 0;  // 0 when the windows do not say
    std::string bundleId;  // empty when no desktop entry could be matched

    bool operator==(const RunningApplication&) const = default;
};

// A window's WM_CLASS: its instance and class names.
struct WindowClass {
    std::string instance;
    std::string name;

    bool operator==(const WindowClass&) const = default;
};

// The desktop's applications and windows, as far as the slots and actions
// need them. Safe from any thread: the slots and actions call it on the GUI
// thread, the application pickers from a pool thread. Answers come from
// caches that follow the desktop (the installed applications and their
// windows), so a call does not wait on a scan.
class Workspace : public Shared<Workspace> {
public:
    virtual ~Workspace() = default;

    // The installed application for a bundle identifier. The identifiers of
    // the stock dial ("com.apple.Safari", "com.apple.finder",
    // "com.apple.Terminal", "com.apple.mail", "com.apple.iCal",
    // "com.apple.TextEdit", "com.apple.systempreferences") resolve to this
    // desktop's default browser, file manager, terminal, mail client,
    // calendar, text editor and settings; any other identifier that names no
    // installed entry is none. On the GUI thread the answer is "not known
    // yet" until applicationsKnown(); other threads wait for the reading.
    virtual AppLookup applicationFor(const std::string& bundleId) const = 0;
    // Whether the installed applications have been read once since the
    // start.
    virtual bool applicationsKnown() const { return true; }
    // Runs `done` queued on the GUI thread once applicationsKnown().
    virtual void whenApplicationsKnown(std::function<void()> done) { MainQueue::shared().post(std::move(done)); }
    // Starts the application without waiting for it; false when it could not
    // be started (no usable Exec line, program missing).
    virtual bool launch(const ApplicationRef& app) = 0;
    // Opens a URL (or a local path) with the desktop's handler; false when no
    // handler could be started.
    virtual bool openUrl(const std::string& url) = 0;

    // The application owning the active window; nothing when no window is active.
    virtual std::optional<RunningApplication> frontApplication() const = 0;
    // The WM_CLASS of the active window; nothing when no window is active
    // or it has none.
    virtual std::optional<WindowClass> frontWindowClass() const { return std::nullopt; }
    // Every application with a managed window, in window-list order, each once.
    virtual std::vector<RunningApplication> runningApplications() const = 0;
    // Brings every window of the application to the front and focuses the
    // topmost; false when it has no window.
    virtual bool activate(const RunningApplication& app) = 0;
    // Iconifies every window of the front application; false when no window
    // is active.
    virtual bool hideFrontApplication() = 0;
    // Toggles the window manager's "showing the desktop" mode; false when the
    // window manager does not support it.
    virtual bool toggleShowDesktop() = 0;

private:
    friend Shared<Workspace>;
    static Workspace& makeShared();
};

}  // namespace orbel::platform
