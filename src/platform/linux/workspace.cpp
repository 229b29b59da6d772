#include "platform/workspace.h"

#include <QDesktopServices>
#include <QUrl>
#include <algorithm>

#include "platform/linux/app_index.h"
#include "platform/linux/window_tracker.h"

namespace orbel::platform {
namespace {

constexpr std::uint32_t kSourceIndicationPager = 2;  // EWMH: a pager-like request, honoured as the user's
constexpr std::uint32_t kIconicState = 3;             // ICCCM

using x11::WindowTracker;

class LinuxWorkspace final : public Workspace {
public:
    AppLookup applicationFor(const std::string& bundleId) const override {
        return xdg::AppIndex::shared().resolve(QString::fromStdString(bundleId)).map([](const xdg::AppRecord& found) {
            return ApplicationRef{found.id.toStdString(), found.location.toStdString(), found.icon.toStdString(),
                                  found.name.toStdString()};
        });
    }

    bool applicationsKnown() const override { return xdg::AppIndex::shared().ready(); }
    void whenApplicationsKnown(std::function<void()> done) override { xdg::AppIndex::shared().whenReady(std::move(done)); }

    bool launch(const ApplicationRef& app) override {
        return xdg::AppIndex::launch(QString::fromStdString(app.location));
    }

    bool openUrl(const std::string& url) override {
        QUrl u = QUrl::fromUserInput(QString::fromStdString(url), QString(), QUrl::AssumeLocalFile);
        return u.isValid() && QDesktopServices::openUrl(u);
    }

    std::optional<RunningApplication> frontApplication() const override {
        auto* windows = WindowTracker::shared();
        if (!windows) return std::nullopt;
        auto active = windows->active();
        if (!active) return std::nullopt;
        return identify(*windows, *active);
    }

    std::optional<WindowClass> frontWindowClass() const override {
        auto* windows = WindowTracker::shared();
        if (!windows) return std::nullopt;
        auto active = windows->active();
        if (!active) return std::nullopt;
        const auto owner = windows->ownerOf(*active);
        if (owner.wmClassInstance.isEmpty() && owner.wmClassName.isEmpty()) return std::nullopt;
        return WindowClass{owner.wmClassInstance.toStdString(), owner.wmClassName.toStdString()};
    }

    std::vector<RunningApplication> runningApplications() const override {
        auto* windows = WindowTracker::shared();
        if (!windows) return {};
        std::vector<RunningApplication> out;
        for (xcb_window_t w : windows->clients()) {
            RunningApplication app = identify(*windows, w);
            if (std::find(out.begin(), out.end(), app) == out.end()) out.push_back(app);
        }
        return out;
    }

    bool activate(const RunningApplication& app) override {
        auto* windows = WindowTracker::shared();
        if (!windows) return false;
        auto& x = windows->session();
        bool any = false;
        auto current = windows->active().value_or(XCB_WINDOW_NONE);
        for (xcb_window_t w : windows->clients()) {  // bottom to top: the topmost ends focused
            if (!(identify(*windows, w) == app)) continue;
            x.sendClientMessage(w, "_NET_ACTIVE_WINDOW", kSourceIndicationPager, XCB_CURRENT_TIME, current);
            current = w;
            any = true;
        }
        x.sync();
        return any;
    }

    bool hideFrontApplication() override {
        auto* windows = WindowTracker::shared();
        if (!windows) return false;
        auto active = windows->active();
        if (!active) return false;
        const auto pid = windows->ownerOf(*active).pid;
        std::vector<xcb_window_t> targets{*active};
        if (pid > 0)
            for (xcb_window_t w : windows->clients())
                if (w != *active && windows->ownerOf(w).pid == pid) targets.push_back(w);
        auto& x = windows->session();
        for (xcb_window_t w : targets) x.sendClientMessage(w, "WM_CHANGE_STATE", kIconicState);
        x.sync();
        return true;
    }

    bool toggleShowDesktop() override {
        auto* windows = WindowTracker::shared();
        if (!windows) return false;
        auto& x = windows->session();
        auto supported = x.property32(x.root(), "_NET_SUPPORTED");
        if (std::find(supported.begin(), supported.end(), x.atom("_NET_SHOWING_DESKTOP")) == supported.end())
            return false;
        bool showing = x.cardinal(x.root(), "_NET_SHOWING_DESKTOP").value_or(0) != 0;
        x.sendClientMessage(x.root(), "_NET_SHOWING_DESKTOP", showing ? 0 : 1);
        x.sync();
        return true;
    }

private:
    static RunningApplication identify(WindowTracker& windows, xcb_window_t w) {
        const auto owner = windows.ownerOf(w);
        return RunningApplication{owner.pid, owner.appId.toStdString()};
    }
};

}  // namespace

Workspace& Workspace::makeShared() { return processLifetimeInstance<LinuxWorkspace>(); }

}  // namespace orbel::platform
