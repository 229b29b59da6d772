#include "platform/keyboard_grab.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/linux/key_hand_over.h"
#include "platform/linux/x11_input.h"
#include "platform/linux/x11_reply.h"

namespace orbel::platform {
namespace {

// A window of ours taking the keyboard over from our hot key's grab. The
// keys that grab took in (typed as the window showed, or while the program
// was busy) go to the window as if they had come to it, and in the order
// they were typed among those that come to the window itself: so from the
// moment the window asks for the keyboard until it holds it and knows the
// server's time of that moment, the keys that come to it wait here. Then
// both go to it, sent again through the server in their order (Qt makes
// them key events as it does its own), and any key that comes directly
// while those are under way is sent again behind them. On Qt's connection,
// GUI thread.
class HandOver final : public QAbstractNativeEventFilter {
public:
    static constexpr int kTimeWaitMs = 100;

    static HandOver& instance() {
        static HandOver* handOver = [] {
            auto* h = new HandOver;  // kept for the process's life
            qGuiApp->installNativeEventFilter(h);
            return h;
        }();
        return *handOver;
    }

    // The window asked for the keyboard (the request is sent): the server's
    // time is asked for behind it, so its answer is the grab's time.
    void asked(xcb_connection_t* c, xcb_window_t window) {
        if (window != window_) held_.clear();
        c_ = c;
        window_ = window;
        waiting_ = true;
        granted_ = false;
        grabTime_.reset();
        ++asking_;
        auto* input = x11::InputConnection::shared();
        const xcb_atom_t atom = input ? input->timestampAtom() : xcb_atom_t(XCB_ATOM_NONE);
        if (atom != XCB_ATOM_NONE)
            xcb_change_property(c, XCB_PROP_MODE_APPEND, window, atom, XCB_ATOM_INTEGER, 32, 0, nullptr);
    }

    void answered(xcb_window_t window, bool granted) {
        if (window != window_ || !waiting_) return;
        if (!granted) {
            // Asked again later; meanwhile what came goes on as it came.
            waiting_ = false;
            send(std::exchange(held_, {}));
            return;
        }
        granted_ = true;
        if (grabTime_) return finish();
        // Should the time never come, the keys do not wait for it for long.
        QTimer::singleShot(kTimeWaitMs, qGuiApp, [this, asking = asking_] {
            if (asking == asking_ && waiting_ && !grabTime_) finish();
        });
    }

    void released(xcb_window_t window) {
        if (window != window_) return;
        waiting_ = false;
        held_.clear();
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if ((!waiting_ && outstanding_ == 0) || type != "xcb_generic_event_t") return false;
        const auto* e = static_cast<const xcb_generic_event_t*>(message);
        switch (e->response_type & 0x7f) {
        case XCB_PROPERTY_NOTIFY: {
            const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(e);
            auto* input = x11::InputConnection::shared();
            if (waiting_ && p->window == window_ && input && p->atom == input->timestampAtom()) {
                grabTime_ = p->time;
                if (granted_) finish();
            }
            return false;
        }
        case XCB_KEY_PRESS:
        case XCB_KEY_RELEASE:
            break;
        default:
            return false;
        }
        const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(e);
        if (key->event != window_) return false;
        if (e->response_type & 0x80) {  // one of ours, back
            if (outstanding_ > 0) --outstanding_;
            return false;
        }
        if (waiting_) held_.push_back(*key);
        else send({*key});  // behind those still under way
        return true;
    }

private:
    void finish() {
        const xcb_window_t window = window_;
        std::vector<xcb_key_press_event_t> stray;
        if (auto* input = x11::InputConnection::shared()) stray = input->takeStrayKeys();  // may run other handlers
        if (!waiting_ || window_ != window) return;  // let go meanwhile
        waiting_ = false;
        for (xcb_key_press_event_t& key : stray) {
            key.event = window_;
            key.child = XCB_NONE;
            key.same_screen = 1;
        }
        // Without the grab's time, the newest key's stands in.
        std::optional<xcb_timestamp_t> grabTime = grabTime_;
        for (const auto* keys : {&stray, &held_})
            if (!grabTime_ && !keys->empty() && (!grabTime || std::int32_t(keys->back().time - *grabTime) > 0))
                grabTime = keys->back().time;
        send(x11::handOverOrder(stray, std::exchange(held_, {}), grabTime.value_or(0)));
    }

    void send(const std::vector<xcb_key_press_event_t>& keys) {
        for (const xcb_key_press_event_t& key : keys) {
            const bool press = (key.response_type & 0x7f) == XCB_KEY_PRESS;
            xcb_send_event(c_, false, window_, press ? XCB_EVENT_MASK_KEY_PRESS : XCB_EVENT_MASK_KEY_RELEASE,
                           reinterpret_cast<const char*>(&key));
            ++outstanding_;
        }
        if (!keys.empty()) xcb_flush(c_);
    }

    xcb_connection_t* c_ = nullptr;
    xcb_window_t window_ = XCB_NONE;
    bool waiting_ = false;  // asked for the keyboard, the keys that come to it wait
    bool granted_ = false;
    std::optional<xcb_timestamp_t> grabTime_;
    std::vector<xcb_key_press_event_t> held_;
    int outstanding_ = 0;  // sent and not back yet
    unsigned asking_ = 0;  // counts the requests for the keyboard
};

}  // namespace

void grabKeyboardFor(QWindow& window, std::function<void(bool granted)> done) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) {
        // Another platform: Qt's own grab, which answers at once.
        const bool granted = window.setKeyboardGrabEnabled(true);
        QTimer::singleShot(0, qGuiApp, [granted, done = std::move(done)] { done(granted); });
        return;
    }
    // On Qt's connection, which the window's key events come through. The
    // answer is read a turn later: by then it has long arrived, and the
    // first paint of the window did not wait for it.
    const xcb_window_t id = xcb_window_t(window.winId());
    const xcb_grab_keyboard_cookie_t asked =
        xcb_grab_keyboard(c, false, id, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    HandOver::instance().asked(c, id);
    xcb_flush(c);
    QTimer::singleShot(0, qGuiApp, [c, id, asked, done = std::move(done)] {
        x11::Reply<xcb_grab_keyboard_reply_t> reply(xcb_grab_keyboard_reply(c, asked, nullptr));
        const bool granted = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
        HandOver::instance().answered(id, granted);
        done(granted);
    });
}

void releaseKeyboardOf(QWindow& window) {
    if (window.handle() && qGuiApp && qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        HandOver::instance().released(xcb_window_t(window.winId()));
    window.setKeyboardGrabEnabled(false);
}

}  // namespace orbel::platform
