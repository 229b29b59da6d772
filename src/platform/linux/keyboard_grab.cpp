#include "platform/keyboard_grab.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include "platform/linux/x11_reply.h"

namespace orbel::platform {

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
    const xcb_grab_keyboard_cookie_t asked = xcb_grab_keyboard(c, false, xcb_window_t(window.winId()), XCB_CURRENT_TIME,
                                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    xcb_flush(c);
    QTimer::singleShot(0, qGuiApp, [c, asked, done = std::move(done)] {
        x11::Reply<xcb_grab_keyboard_reply_t> reply(xcb_grab_keyboard_reply(c, asked, nullptr));
        done(reply && reply->status == XCB_GRAB_STATUS_SUCCESS);
    });
}

void releaseKeyboardOf(QWindow& window) { window.setKeyboardGrabEnabled(false); }

}  // namespace orbel::platform
