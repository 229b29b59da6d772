#include "platform/window_snapshots.h"

#include <QString>
#include <algorithm>

#include "platform/linux/window_tracker.h"

namespace orbel::platform {
namespace {

using x11::Reply;

// Every question about every window goes out before the first answer is
// awaited: one round trip for the whole list.
class EwmhWindowSnapshots final : public WindowSnapshots {
public:
    std::vector<WindowSnapshot> snapshot() override {
        std::vector<WindowSnapshot> result;
        auto* tracker = x11::WindowTracker::shared();
        if (!tracker) return result;
        auto& x = tracker->session();
        xcb_connection_t* c = x.connection();

        std::vector<xcb_window_t> windows = tracker->clients();
        std::reverse(windows.begin(), windows.end());  // front-most first
        if (windows.empty()) return result;

        const xcb_atom_t state = x.atom("_NET_WM_STATE"), desktop = x.atom("_NET_WM_DESKTOP"),
                         name = x.atom("_NET_WM_NAME"), utf8 = x.atom("UTF8_STRING"),
                         hidden = x.atom("_NET_WM_STATE_HIDDEN");
        auto ask = [c](xcb_window_t w, xcb_atom_t property) {
            return xcb_get_property(c, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 16);
        };
        auto current = ask(x.root(), x.atom("_NET_CURRENT_DESKTOP"));
        struct Questions {
            xcb_get_property_cookie_t state, desktop, name, legacyName;
            xcb_get_window_attributes_cookie_t attributes;
        };
        std::vector<Questions> questions;
        questions.reserve(windows.size());
        for (xcb_window_t w : windows)
            questions.push_back({ask(w, state), ask(w, desktop), ask(w, name), ask(w, XCB_ATOM_WM_NAME),
                                 xcb_get_window_attributes(c, w)});

        auto answer = [c](xcb_get_property_cookie_t cookie) {
            return Reply<xcb_get_property_reply_t>(xcb_get_property_reply(c, cookie, nullptr));
        };
        auto firstCardinal = [](const Reply<xcb_get_property_reply_t>& r) -> std::optional<std::uint32_t> {
            if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 4) return std::nullopt;
            return *static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()));
        };
        const auto currentDesktop = firstCardinal(answer(current));

        for (std::size_t i = 0; i < windows.size(); ++i) {
            const Questions& q = questions[i];
            auto states = answer(q.state);
            auto onDesktop = firstCardinal(answer(q.desktop));
            auto title = answer(q.name);
            auto legacy = answer(q.legacyName);
            Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(c, q.attributes, nullptr));

            if (states && states->format == 32) {
                const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(states.get()));
                const int count = xcb_get_property_value_length(states.get()) / 4;
                if (std::find(atoms, atoms + count, hidden) != atoms + count) continue;
            }
            if (currentDesktop && onDesktop && *onDesktop != 0xFFFFFFFFu && *onDesktop != *currentDesktop) continue;
            if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) continue;

            WindowSnapshot info;
            info.title = titleOf(title, legacy, utf8);
            info.appId = tracker->ownerOf(windows[i]).name.toStdString();
            result.push_back(std::move(info));
        }
        return result;
    }

private:
    static std::string text(const Reply<xcb_get_property_reply_t>& r) {
        return std::string(static_cast<const char*>(xcb_get_property_value(r.get())),
                           static_cast<std::size_t>(xcb_get_property_value_length(r.get())));
    }

    static std::string titleOf(const Reply<xcb_get_property_reply_t>& name,
                               const Reply<xcb_get_property_reply_t>& legacy, xcb_atom_t utf8) {
        if (name && name->type == utf8 && xcb_get_property_value_length(name.get()) > 0) return text(name);
        if (!legacy || legacy->type == XCB_ATOM_NONE) return {};
        if (legacy->type == XCB_ATOM_STRING) return QString::fromLatin1(QByteArray::fromStdString(text(legacy))).toStdString();
        return text(legacy);  // UTF8_STRING, or compound text read as is
    }
};

}  // namespace

WindowSnapshots& WindowSnapshots::makeShared() { return processLifetimeInstance<EwmhWindowSnapshots>(); }

}  // namespace orbel::platform
