#include "platform/workspace.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <atomic>

#include "platform/linux/default_apps.h"
#include "platform/linux/desktop_entry.h"
#include "platform/linux/window_owner.h"
#include "platform/linux/x11_session.h"

namespace orbel::platform {
namespace {

constexpr std::uint32_t kSourceIndicationPager = 2;  // EWMH: a pager-like request, honoured as the user's
constexpr std::uint32_t kIconicState = 3;             // ICCCM

ApplicationRef refFor(const xdg::DesktopEntry& e) {
    return {e.id.toStdString(), e.location.toStdString(), e.icon.toStdString(), e.name.toStdString()};
}

class LinuxWorkspace final : public Workspace {
public:
    std::optional<ApplicationRef> applicationFor(const std::string& bundleId) const override {
        const auto dirs = xdg::BaseDirs::fromEnvironment();
        const QString id = QString::fromStdString(bundleId);
        if (auto entry = xdg::findDesktopEntry(dirs.applicationDirs(), id, xdg::currentLocaleName());
            entry && entry->isLaunchable())
            return refFor(*entry);
        if (auto role = xdg::roleForIdentifier(id))
            if (auto entry = xdg::DefaultApps(dirs, xdg::currentLocaleName()).entryFor(*role)) return refFor(*entry);
        return std::nullopt;
    }

    bool launch(const ApplicationRef& app) override {
        auto entry = xdg::readDesktopEntry(QString::fromStdString(app.location), QString::fromStdString(app.bundleId),
                                           xdg::currentLocaleName());
        if (!entry || !entry->isLaunchable()) return false;
        auto args = xdg::execArguments(*entry);
        if (!args) return false;
        if (entry->terminal) {
            auto term = xdg::DefaultApps(xdg::BaseDirs::fromEnvironment()).entryFor(xdg::AppRole::terminal);
            auto termArgs = term ? xdg::execArguments(*term) : std::nullopt;
            if (!termArgs) return false;
            *args = *termArgs + QStringList{QStringLiteral("-e")} + *args;
        }
        QString program = args->takeFirst();
        QString workDir = QFileInfo(entry->workingDir).isDir() ? entry->workingDir : QString();
        return QProcess::startDetached(program, *args, workDir);
    }

    bool openUrl(const std::string& url) override {
        QUrl u = QUrl::fromUserInput(QString::fromStdString(url), QString(), QUrl::AssumeLocalFile);
        return u.isValid() && QDesktopServices::openUrl(u);
    }

    std::optional<RunningApplication> frontApplication() const override {
        auto* x = x11::Session::shared();
        if (!x) return std::nullopt;
        auto window = x->activeWindow();
        if (!window) return std::nullopt;
        return identify(*x, *window);
    }

    std::vector<RunningApplication> runningApplications() const override {
        auto* x = x11::Session::shared();
        if (!x) return {};
        std::vector<RunningApplication> out;
        for (xcb_window_t w : x->clientWindows()) {
            RunningApplication app = identify(*x, w);
            if (std::find(out.begin(), out.end(), app) == out.end()) out.push_back(app);
        }
        return out;
    }

    bool activate(const RunningApplication& app) override {
        auto* x = x11::Session::shared();
        if (!x) return false;
        bool any = false;
        auto current = x->activeWindow().value_or(XCB_WINDOW_NONE);
        for (xcb_window_t w : x->clientWindows()) {  // bottom to top: the topmost ends focused
            if (!(identify(*x, w) == app)) continue;
            x->sendClientMessage(w, "_NET_ACTIVE_WINDOW", kSourceIndicationPager, XCB_CURRENT_TIME, current);
            current = w;
            any = true;
        }
        x->sync();
        return any;
    }

    bool hideFrontApplication() override {
        auto* x = x11::Session::shared();
        if (!x) return false;
        auto active = x->activeWindow();
        if (!active) return false;
        auto pid = x->cardinal(*active, "_NET_WM_PID");
        std::vector<xcb_window_t> targets{*active};
        if (pid && *pid > 0)
            for (xcb_window_t w : x->clientWindows())
                if (w != *active && x->cardinal(w, "_NET_WM_PID") == pid) targets.push_back(w);
        for (xcb_window_t w : targets) x->sendClientMessage(w, "WM_CHANGE_STATE", kIconicState);
        x->sync();
        return true;
    }

    bool toggleShowDesktop() override {
        auto* x = x11::Session::shared();
        if (!x) return false;
        auto supported = x->property32(x->root(), "_NET_SUPPORTED");
        if (std::find(supported.begin(), supported.end(), x->atom("_NET_SHOWING_DESKTOP")) == supported.end())
            return false;
        bool showing = x->cardinal(x->root(), "_NET_SHOWING_DESKTOP").value_or(0) != 0;
        x->sendClientMessage(x->root(), "_NET_SHOWING_DESKTOP", showing ? 0 : 1);
        x->sync();
        return true;
    }

private:
    static RunningApplication identify(x11::Session& x, xcb_window_t w) {
        const auto identity = xdg::WindowIdentity::of(x, w);
        RunningApplication app;
        app.pid = identity.pid;
        if (auto id = xdg::resolveDesktopId(identity, *xdg::windowOwnerCandidates())) app.bundleId = id->toStdString();
        return app;
    }
};

}  // namespace

Workspace& Workspace::makeShared() { return processLifetimeInstance<LinuxWorkspace>(); }

}  // namespace orbel::platform
