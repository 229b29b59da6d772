#include "platform/keyboard_grab.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include "platform/linux/x11_input.h"
#include "platform/linux/x11_reply.h"

namespace orbel::platform {
namespace {

// The keys a hot key's grab took in before it was handed back (typed as the
// window showed, or just before) go to the window that now holds the
// keyboard, as if they had come to it: sent to it, they reach it through
// Qt's connection behind the keys it gets from now on.
void handOverStrayKeys(xcb_connection_t* c, xcb_window_t window) {
    auto* input = x11::InputConnection::shared();
    if (!input) return;
    const std::vector<xcb_key_press_event_t> keys = input->takeStrayKeys();
    for (xcb_key_press_event_t key : keys) {
        key.event = window;
        key.child = XCB_NONE;
        key.same_screen = 1;
        const bool press = (key.response_type & 0x7f) == XCB_KEY_PRESS;
        xcb_send_event(c, false, window, press ? XCB_EVENT_MASK_KEY_PRESS : XCB_EVENT_MASK_KEY_RELEASE,
                       reinterpret_cast<const char*>(&key));
    }
    if (!keys.empty()) xcb_flush(c);
}

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
    xcb_flush(c);
    QTimer::singleShot(0, qGuiApp, [c, id, asked, done = std::move(done)] {
        x11::Reply<xcb_grab_keyboard_reply_t> reply(xcb_grab_keyboard_reply(c, asked, nullptr));
        const bool granted = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
        if (granted) handOverStrayKeys(c, id);
        done(granted);
    });
}

void releaseKeyboardOf(QWindow& window) { window.setKeyboardGrabEnabled(false); }

}  // namespace orbel::platform
