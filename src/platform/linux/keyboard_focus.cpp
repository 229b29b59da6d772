#include "platform/keyboard_focus.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QWindow>

namespace orbel::platform {
namespace {

// The focus events of our windows on Qt's connection, read before Qt reads
// them: every window that reports them there is ours. Those of a grab
// taken or let go, and those sent only for the pointer's sake, say nothing
// of where keys go. Whether the program is still the active one is Qt's
// word, which waits for a focus coming back to another of our windows.
// Without X (tests on the offscreen platform) the focus is Qt's.
class X11KeyboardFocus final : public KeyboardFocus, public QAbstractNativeEventFilter {
public:
    X11KeyboardFocus() : ours_(qGuiApp && QGuiApplication::focusWindow()) {
        if (!qGuiApp) return;
        if (QGuiApplication::platformName() == QLatin1String("xcb")) {
            qGuiApp->installNativeEventFilter(this);
        } else {
            connect(qGuiApp, &QGuiApplication::focusWindowChanged, this,
                    [this](QWindow* window) { set(window != nullptr); });
        }
        connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state != Qt::ApplicationActive) Q_EMIT left();
        });
    }

    bool inOurWindows() const override { return ours_; }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* e = static_cast<const xcb_generic_event_t*>(message);
        const auto kind = e->response_type & 0x7f;
        if (kind != XCB_FOCUS_IN && kind != XCB_FOCUS_OUT) return false;
        const auto* focus = reinterpret_cast<const xcb_focus_in_event_t*>(e);
        if (focus->mode != XCB_NOTIFY_MODE_NORMAL && focus->mode != XCB_NOTIFY_MODE_WHILE_GRABBED) return false;
        switch (focus->detail) {
        case XCB_NOTIFY_DETAIL_POINTER:
        case XCB_NOTIFY_DETAIL_POINTER_ROOT:
        case XCB_NOTIFY_DETAIL_NONE:
            return false;
        case XCB_NOTIFY_DETAIL_INFERIOR:
            if (kind == XCB_FOCUS_OUT) return false;  // into a window inside it
            break;
        default:
            break;
        }
        set(kind == XCB_FOCUS_IN);
        return false;
    }

private:
    void set(bool ours) {
        if (ours == ours_) return;
        ours_ = ours;
        Q_EMIT changed();
    }

    bool ours_;
};

}  // namespace

KeyboardFocus& KeyboardFocus::makeShared() { return processLifetimeInstance<X11KeyboardFocus>(); }

}  // namespace orbel::platform
