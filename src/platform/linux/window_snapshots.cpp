#include "platform/window_snapshots.h"

#include <QFileInfo>
#include <algorithm>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>

#include "platform/linux/window_owner.h"
#include "platform/linux/x_connection.h"

namespace orbel::platform {
namespace {

constexpr auto kEntryCacheLifetime = std::chrono::seconds(10);

std::vector<std::uint32_t> cardinals(const x11::Connection::Property& p) {
    std::vector<std::uint32_t> values;
    if (p.format != 32 || p.bytes.size() < 4) return values;
    values.resize(p.bytes.size() / 4);
    std::memcpy(values.data(), p.bytes.data(), values.size() * 4);
    return values;
}

class EwmhWindowSnapshots final : public WindowSnapshots {
public:
    std::vector<WindowSnapshot> snapshot() override {
        std::lock_guard lock(mutex_);
        std::vector<WindowSnapshot> result;
        if (!conn_.ok()) return result;
        const xcb_window_t root = conn_.root();

        // Front-most first: the stacking list runs bottom to top.
        std::vector<std::uint32_t> windows = cardinals(conn_.property(root, conn_.atom("_NET_CLIENT_LIST_STACKING")));
        if (!windows.empty()) {
            std::reverse(windows.begin(), windows.end());
        } else {
            windows = cardinals(conn_.property(root, conn_.atom("_NET_CLIENT_LIST")));
        }
        if (windows.empty()) return result;

        const auto current = cardinals(conn_.property(root, conn_.atom("_NET_CURRENT_DESKTOP")));
        const xcb_atom_t hidden = conn_.atom("_NET_WM_STATE_HIDDEN");
        const auto& entries = desktopEntries();

        for (std::uint32_t window : windows) {
            const auto states = cardinals(conn_.property(window, conn_.atom("_NET_WM_STATE")));
            if (std::find(states.begin(), states.end(), hidden) != states.end()) continue;
            const auto desktop = cardinals(conn_.property(window, conn_.atom("_NET_WM_DESKTOP")));
            if (!current.empty() && !desktop.empty() && desktop[0] != 0xFFFFFFFFu && desktop[0] != current[0])
                continue;
            if (!viewable(window)) continue;

            WindowSnapshot info;
            info.windowId = window;
            info.title = title(window);
            x11::WindowOwnerHints hints;
            hints.gtkApplicationId = text(window, "_GTK_APPLICATION_ID");
            hints.kdeDesktopFile = text(window, "_KDE_NET_WM_DESKTOP_FILE");
            const auto wmClass = conn_.property(window, XCB_ATOM_WM_CLASS).bytes;
            hints.wmClassInstance = std::string(wmClass.c_str());
            if (hints.wmClassInstance.size() + 1 < wmClass.size())
                hints.wmClassClass = std::string(wmClass.c_str() + hints.wmClassInstance.size() + 1);
            const auto pid = cardinals(conn_.property(window, conn_.atom("_NET_WM_PID")));
            if (!pid.empty()) hints.executableName = executableName(pid[0]);
            info.appId = x11::resolveDesktopId(hints, entries);
            result.push_back(std::move(info));
        }
        return result;
    }

private:
    bool viewable(xcb_window_t window) {
        x11::Reply<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
            conn_.get(), xcb_get_window_attributes(conn_.get(), window), nullptr));
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    std::string text(xcb_window_t window, const char* property) {
        std::string s = conn_.property(window, conn_.atom(property)).bytes;
        s.resize(std::strlen(s.c_str()));
        return s;
    }

    std::string title(xcb_window_t window) {
        auto name = conn_.property(window, conn_.atom("_NET_WM_NAME"));
        if (name.type == conn_.atom("UTF8_STRING") && !name.bytes.empty()) return name.bytes;
        auto legacy = conn_.property(window, XCB_ATOM_WM_NAME);
        if (legacy.type == XCB_ATOM_STRING)  // Latin-1
            return QString::fromLatin1(legacy.bytes.data(), static_cast<qsizetype>(legacy.bytes.size())).toStdString();
        return legacy.bytes;  // UTF8_STRING, or compound text read as is
    }

    static std::string executableName(std::uint32_t pid) {
        const QFileInfo exe(QStringLiteral("/proc/%1/exe").arg(pid));
        const QString target = exe.symLinkTarget();
        if (!target.isEmpty()) return QFileInfo(target).fileName().toStdString();
        return {};
    }

    const std::vector<x11::DesktopEntryHint>& desktopEntries() {
        const auto now = std::chrono::steady_clock::now();
        if (!entriesLoaded_ || now - entriesLoadedAt_ > kEntryCacheLifetime) {
            entries_ = x11::scanDesktopEntries(x11::xdgDataDirs());
            entriesLoaded_ = true;
            entriesLoadedAt_ = now;
        }
        return entries_;
    }

    std::mutex mutex_;
    x11::Connection conn_;
    std::vector<x11::DesktopEntryHint> entries_;
    bool entriesLoaded_ = false;
    std::chrono::steady_clock::time_point entriesLoadedAt_;
};

std::atomic<WindowSnapshots*> sharedSnapshots{nullptr};

}  // namespace

WindowSnapshots& WindowSnapshots::shared() {
    static EwmhWindowSnapshots defaults;
    WindowSnapshots* p = sharedSnapshots.load();
    return p ? *p : defaults;
}

void WindowSnapshots::setShared(WindowSnapshots* snapshots) { sharedSnapshots.store(snapshots); }

}  // namespace orbel::platform
