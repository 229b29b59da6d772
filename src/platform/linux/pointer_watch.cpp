#include "platform/pointer_watch.h"

#include "platform/linux/once_per_turn.h"

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <QGuiApplication>
#include <QMetaObject>
#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/key_translation.h"
#include "platform/linux/x11_input.h"
#include "platform/linux/x11_reply.h"

namespace orbel::platform {
namespace {

// On the program's input connection: XInput2 raw motion on the root window
// (it reports motion over every window, also while another client grabs
// the pointer), the root's property changes (the current desktop), and the
// click catchers, input-only windows whose events come back the same way.
class X11PointerWatch final : public PointerWatch {
public:
    X11PointerWatch() : x_(x11::InputConnection::shared()) {
        if (!x_) return;
        x_->addListener([this](const xcb_generic_event_t* e) { handle(e); });
        const char* name = "_NET_CURRENT_DESKTOP";
        xcb_connection_t* c = x_->connection();
        x11::Reply<xcb_intern_atom_reply_t> atom(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr));
        desktopAtom_ = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    bool start() override {
        if (!x_ || !x_->hasRawEvents()) return false;
        watching_ = true;
        x_->wantRawMotion(true);
        x_->wantRootProperties(true);
        return true;
    }

    void stop() override {
        if (!watching_) return;
        watching_ = false;
        x_->wantRawMotion(false);
        x_->wantRootProperties(false);
    }

    std::optional<QPoint> position() const override {
        if (!x_) return std::nullopt;
        xcb_connection_t* c = x_->connection();
        x11::Reply<xcb_query_pointer_reply_t> reply(
            xcb_query_pointer_reply(c, xcb_query_pointer(c, x_->root()), nullptr));
        x_->drainSoon();  // events read while waiting for the answer
        if (!reply) return std::nullopt;
        return QPoint(reply->root_x, reply->root_y);
    }

    bool setClickCatchers(const std::vector<QRect>& areas) override {
        if (!x_) return false;
        xcb_connection_t* c = x_->connection();
        while (catchers_.size() < areas.size()) {
            const xcb_window_t w = xcb_generate_id(c);
            const std::uint32_t values[] = {1,  // override-redirect: the window manager leaves it alone
                                            XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                                XCB_EVENT_MASK_POINTER_MOTION,
                                            arrowCursor()};
            xcb_create_window(c, 0, w, x_->root(), 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                              XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK | XCB_CW_CURSOR, values);
            catchers_.push_back(w);
        }
        for (std::size_t i = 0; i < catchers_.size(); ++i) {
            if (i >= areas.size()) {
                xcb_unmap_window(c, catchers_[i]);
                continue;
            }
            const QRect& a = areas[i];
            const std::uint32_t geometry[] = {std::uint32_t(a.x()), std::uint32_t(a.y()),
                                              std::uint32_t(std::max(1, a.width())),
                                              std::uint32_t(std::max(1, a.height())), XCB_STACK_MODE_ABOVE};
            xcb_configure_window(c, catchers_[i],
                                 XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                     XCB_CONFIG_WINDOW_HEIGHT | XCB_CONFIG_WINDOW_STACK_MODE,
                                 geometry);
            xcb_map_window(c, catchers_[i]);
        }
        catcherCount_ = areas.size();
        xcb_flush(c);
        return true;
    }

private:
    // The usual arrow (the cursor font's left pointer), made once.
    xcb_cursor_t arrowCursor() {
        if (cursor_) return cursor_;
        xcb_connection_t* c = x_->connection();
        const xcb_font_t font = xcb_generate_id(c);
        xcb_open_font(c, font, 6, "cursor");
        cursor_ = xcb_generate_id(c);
        constexpr std::uint16_t kLeftPtr = 68;
        xcb_create_glyph_cursor(c, cursor_, font, font, kLeftPtr, kLeftPtr + 1, 0, 0, 0, 0xffff, 0xffff, 0xffff);
        xcb_close_font(c, font);
        return cursor_;
    }

    int catcherIndex(xcb_window_t w) const {
        for (std::size_t i = 0; i < catcherCount_; ++i)
            if (catchers_[i] == w) return int(i);
        return -1;
    }

    // Motion comes in bursts: one report per turn of the event loop.
    void motion() { motionReport_.request(); }

    void handle(const xcb_generic_event_t* e) {
        const std::uint8_t type = e->response_type & 0x7f;
        if (type == XCB_BUTTON_PRESS || type == XCB_BUTTON_RELEASE) {
            const auto* b = reinterpret_cast<const xcb_button_press_event_t*>(e);
            const int index = catcherIndex(b->event);
            const auto button = mouseButtonForXButton(int(b->detail));
            if (index < 0 || !button) return;
            if (type == XCB_BUTTON_PRESS) Q_EMIT catcherPressed(index, *button, QPoint(b->root_x, b->root_y));
            else Q_EMIT catcherReleased(*button);
        } else if (type == XCB_MOTION_NOTIFY) {
            const auto* m = reinterpret_cast<const xcb_motion_notify_event_t*>(e);
            if (catcherIndex(m->event) < 0) return;
            if (m->state & XCB_BUTTON_MASK_1) {
                Q_EMIT catcherDragged(QPoint(m->root_x, m->root_y));
            } else {
                position_ = QPoint(m->root_x, m->root_y);
                motion();  // also without raw events
            }
        } else if (type == XCB_PROPERTY_NOTIFY && watching_) {
            const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(e);
            if (p->window == x_->root() && p->atom == desktopAtom_ && desktopAtom_ != XCB_ATOM_NONE)
                Q_EMIT desktopChanged();
        } else if (watching_ && x_->xinputEventType(e) == XCB_INPUT_RAW_MOTION) {
            motion();
        }
    }

    x11::InputConnection* x_;
    xcb_atom_t desktopAtom_ = XCB_ATOM_NONE;
    bool watching_ = false;
    std::optional<QPoint> position_;  // brought by an event since the last report
    OncePerTurn motionReport_{this, [this] { Q_EMIT pointerMoved(std::exchange(position_, std::nullopt)); }};
    std::vector<xcb_window_t> catchers_;  // made on demand, kept
    std::size_t catcherCount_ = 0;        // the first ones are in use
    xcb_cursor_t cursor_ = 0;
};

// Where there is no X server: nothing to watch, no catchers.
class NoPointerWatch final : public PointerWatch {
public:
    bool start() override { return false; }
    void stop() override {}
    bool setClickCatchers(const std::vector<QRect>&) override { return false; }
};

}  // namespace

PointerWatch& PointerWatch::makeShared() {
    // Qt's own windows must be on the same server (not the offscreen platform).
    const bool xcb = qGuiApp && qGuiApp->platformName() == QLatin1String("xcb");
    if (!xcb || !x11::InputConnection::shared()) return processLifetimeInstance<NoPointerWatch>();
    return processLifetimeInstance<X11PointerWatch>();
}

}  // namespace orbel::platform
