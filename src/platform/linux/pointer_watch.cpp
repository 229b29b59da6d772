#include "platform/pointer_watch.h"

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <QGuiApplication>
#include <QSocketNotifier>
#include <cstring>
#include <algorithm>
#include <memory>

#include "platform/key_translation.h"
#include "platform/linux/x11_reply.h"

namespace orbel::platform {
namespace {

using x11::Reply;

// XInput2 raw events on the root window (they report input over every
// window, also while another client grabs it) and property changes of the
// root (the current desktop), on a connection of its own whose socket the
// GUI thread's event loop watches: nothing blocks and nothing polls.
class XInputPointerWatch final : public PointerWatch {
public:
    ~XInputPointerWatch() override {
        notifier_.reset();
        if (conn_) xcb_disconnect(conn_);
    }

    bool start() override {
        if (!connect()) return false;
        select(true);
        notifier_->setEnabled(true);
        return true;
    }

    void stop() override {
        if (!conn_ || !notifier_) return;
        select(false);
        drain();
    }

    bool setClickCatchers(const std::vector<QRect>& areas) override {
        if (!connect()) return false;
        notifier_->setEnabled(true);
        while (catchers_.size() < areas.size()) {
            const xcb_window_t w = xcb_generate_id(conn_);
            const std::uint32_t values[] = {1,  // override-redirect: the window manager leaves it alone
                                            XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                                XCB_EVENT_MASK_POINTER_MOTION,
                                            arrowCursor()};
            xcb_create_window(conn_, 0, w, root_, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                              XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK | XCB_CW_CURSOR, values);
            catchers_.push_back(w);
        }
        for (std::size_t i = 0; i < catchers_.size(); ++i) {
            if (i >= areas.size()) {
                xcb_unmap_window(conn_, catchers_[i]);
                continue;
            }
            const QRect& a = areas[i];
            const std::uint32_t geometry[] = {std::uint32_t(a.x()), std::uint32_t(a.y()),
                                              std::uint32_t(std::max(1, a.width())),
                                              std::uint32_t(std::max(1, a.height())), XCB_STACK_MODE_ABOVE};
            xcb_configure_window(conn_, catchers_[i],
                                 XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                     XCB_CONFIG_WINDOW_HEIGHT | XCB_CONFIG_WINDOW_STACK_MODE,
                                 geometry);
            xcb_map_window(conn_, catchers_[i]);
        }
        catcherCount_ = areas.size();
        xcb_flush(conn_);
        return true;
    }

private:
    // The usual arrow (the cursor font's left pointer), made once.
    xcb_cursor_t arrowCursor() {
        if (cursor_) return cursor_;
        const xcb_font_t font = xcb_generate_id(conn_);
        xcb_open_font(conn_, font, 6, "cursor");
        cursor_ = xcb_generate_id(conn_);
        constexpr std::uint16_t kLeftPtr = 68;
        xcb_create_glyph_cursor(conn_, cursor_, font, font, kLeftPtr, kLeftPtr + 1, 0, 0, 0, 0xffff, 0xffff, 0xffff);
        xcb_close_font(conn_, font);
        return cursor_;
    }

    int catcherIndex(xcb_window_t w) const {
        for (std::size_t i = 0; i < catcherCount_; ++i)
            if (catchers_[i] == w) return int(i);
        return -1;
    }

    bool connect() {
        if (conn_) return xiOpcode_ != 0;
        int screen = 0;
        conn_ = xcb_connect(nullptr, &screen);
        if (xcb_connection_has_error(conn_)) return false;
        auto it = xcb_setup_roots_iterator(xcb_get_setup(conn_));
        for (int i = 0; i < screen && it.rem; ++i) xcb_screen_next(&it);
        if (!it.rem) return false;
        root_ = it.data->root;
        const xcb_query_extension_reply_t* ext = xcb_get_extension_data(conn_, &xcb_input_id);
        if (!ext || !ext->present) return false;
        Reply<xcb_input_xi_query_version_reply_t> version(
            xcb_input_xi_query_version_reply(conn_, xcb_input_xi_query_version(conn_, 2, 0), nullptr));
        if (!version || version->major_version < 2) return false;
        xiOpcode_ = ext->major_opcode;
        const char* name = "_NET_CURRENT_DESKTOP";
        Reply<xcb_intern_atom_reply_t> atom(
            xcb_intern_atom_reply(conn_, xcb_intern_atom(conn_, 0, std::strlen(name), name), nullptr));
        desktopAtom_ = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
        notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(conn_), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { drain(); });
        return true;
    }

    void select(bool on) {
        struct {
            xcb_input_event_mask_t head;
            std::uint32_t bits;
        } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
               on ? std::uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_MOTION | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS |
                                  XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE)
                  : 0u};
        xcb_input_xi_select_events(conn_, root_, 1, &mask.head);
        const std::uint32_t rootMask = on ? XCB_EVENT_MASK_PROPERTY_CHANGE : 0;
        xcb_change_window_attributes(conn_, root_, XCB_CW_EVENT_MASK, &rootMask);
        xcb_flush(conn_);
        active_ = on;
    }

    void drain() {
        bool moved = false;
        while (xcb_generic_event_t* raw = xcb_poll_for_event(conn_)) {
            Reply<xcb_generic_event_t> event(raw);
            const std::uint8_t type = event->response_type & 0x7f;
            if (type == XCB_BUTTON_PRESS || type == XCB_BUTTON_RELEASE) {
                auto* b = reinterpret_cast<xcb_button_press_event_t*>(event.get());
                const int index = catcherIndex(b->event);
                auto button = mouseButtonForXButton(int(b->detail));
                if (index < 0 || !button) continue;
                if (type == XCB_BUTTON_PRESS) Q_EMIT catcherPressed(index, *button, QPoint(b->root_x, b->root_y));
                else Q_EMIT catcherReleased(*button);
                continue;
            }
            if (type == XCB_MOTION_NOTIFY) {
                auto* m = reinterpret_cast<xcb_motion_notify_event_t*>(event.get());
                if (catcherIndex(m->event) < 0) continue;
                if (m->state & XCB_BUTTON_MASK_1) Q_EMIT catcherDragged(QPoint(m->root_x, m->root_y));
                else moved = true;  // also without raw events
                continue;
            }
            if (!active_) continue;
            if (type == XCB_PROPERTY_NOTIFY) {
                auto* p = reinterpret_cast<xcb_property_notify_event_t*>(event.get());
                if (p->atom == desktopAtom_ && desktopAtom_ != XCB_ATOM_NONE) Q_EMIT desktopChanged();
                continue;
            }
            if (type != XCB_GE_GENERIC) continue;
            auto* ge = reinterpret_cast<xcb_ge_generic_event_t*>(event.get());
            if (ge->extension != xiOpcode_) continue;
            if (ge->event_type == XCB_INPUT_RAW_MOTION) {
                moved = true;
            } else if (ge->event_type == XCB_INPUT_RAW_BUTTON_PRESS || ge->event_type == XCB_INPUT_RAW_BUTTON_RELEASE) {
                // A press reports the motion that led to it first.
                if (moved) Q_EMIT pointerMoved();
                moved = false;
                auto* b = reinterpret_cast<xcb_input_raw_button_press_event_t*>(event.get());
                if (auto button = mouseButtonForXButton(int(b->detail))) {
                    if (ge->event_type == XCB_INPUT_RAW_BUTTON_PRESS) Q_EMIT buttonPressed(*button);
                    else Q_EMIT buttonReleased(*button);
                }
            }
        }
        if (moved) Q_EMIT pointerMoved();  // one report per batch of motion
    }

    xcb_connection_t* conn_ = nullptr;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    std::uint8_t xiOpcode_ = 0;
    xcb_atom_t desktopAtom_ = XCB_ATOM_NONE;
    bool active_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::vector<xcb_window_t> catchers_;  // made on demand, kept
    std::size_t catcherCount_ = 0;        // the first ones are in use
    xcb_cursor_t cursor_ = 0;
};

// Where there is no X server: nothing to watch.
class NoPointerWatch final : public PointerWatch {
public:
    bool start() override { return false; }
    void stop() override {}
    bool setClickCatchers(const std::vector<QRect>&) override { return false; }
};

}  // namespace

PointerWatch& PointerWatch::makeShared() {
    if (qGuiApp && qGuiApp->platformName() != QLatin1String("xcb")) return processLifetimeInstance<NoPointerWatch>();
    return processLifetimeInstance<XInputPointerWatch>();
}

}  // namespace orbel::platform
