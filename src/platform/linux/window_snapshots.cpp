#include "platform/window_snapshots.h"

#include <QString>
#include <algorithm>
#include <atomic>

#include "platform/linux/window_owner.h"
#include "platform/linux/x11_session.h"

namespace orbel::platform {
namespace {

class EwmhWindowSnapshots final : public WindowSnapshots {
public:
    std::vector<WindowSnapshot> snapshot() override {
        std::vector<WindowSnapshot> result;
        auto* x = x11::Session::shared();
        if (!x) return result;
        const xcb_window_t root = x->root();

        // Front-most first: the stacking list runs bottom to top.
        std::vector<std::uint32_t> windows = x->property32(root, "_NET_CLIENT_LIST_STACKING");
        if (!windows.empty()) {
            std::reverse(windows.begin(), windows.end());
        } else {
            windows = x->property32(root, "_NET_CLIENT_LIST");
        }
        if (windows.empty()) return result;

        const auto current = x->cardinal(root, "_NET_CURRENT_DESKTOP");
        const xcb_atom_t hidden = x->atom("_NET_WM_STATE_HIDDEN");
        const auto entries = xdg::windowOwnerCandidates();

        for (std::uint32_t window : windows) {
            const auto states = x->property32(window, "_NET_WM_STATE");
            if (std::find(states.begin(), states.end(), hidden) != states.end()) continue;
            const auto desktop = x->cardinal(window, "_NET_WM_DESKTOP");
            if (current && desktop && *desktop != 0xFFFFFFFFu && *desktop != *current) continue;
            if (!viewable(*x, window)) continue;

            WindowSnapshot info;
            info.windowId = window;
            info.title = title(*x, window);
            const auto identity = xdg::WindowIdentity::of(*x, window);
            info.appId =
                xdg::resolveDesktopId(identity, *entries).value_or(xdg::unmatchedOwnerName(identity)).toStdString();
            result.push_back(std::move(info));
        }
        return result;
    }

private:
    static bool viewable(x11::Session& x, xcb_window_t window) {
        x11::Reply<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
            x.connection(), xcb_get_window_attributes(x.connection(), window), nullptr));
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    static std::string title(x11::Session& x, xcb_window_t window) {
        auto name = x.property(window, x.atom("_NET_WM_NAME"));
        if (name && name->type == x.atom("UTF8_STRING") && !name->bytes.isEmpty()) return name->bytes.toStdString();
        auto legacy = x.property(window, XCB_ATOM_WM_NAME);
        if (!legacy) return {};
        if (legacy->type == XCB_ATOM_STRING) return QString::fromLatin1(legacy->bytes).toStdString();
        return legacy->bytes.toStdString();  // UTF8_STRING, or compound text read as is
    }
};

}  // namespace

WindowSnapshots& WindowSnapshots::makeShared() { return processLifetimeInstance<EwmhWindowSnapshots>(); }

}  // namespace orbel::platform
