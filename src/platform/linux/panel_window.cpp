#include "platform/panel_window.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>

#include "platform/linux/x11_session.h"

namespace orbel::platform {

void createPanelWindow(QWidget& panel) {
    if (panel.testAttribute(Qt::WA_WState_Created)) return;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    auto* x = c ? x11::Session::shared() : nullptr;
    // Compositors (xcompmgr, picom, compton) draw no shadow for a window of
    // the desktop's type even when told to draw one for every window: of
    // what a window can say, the one mark they all heed unless configured
    // otherwise. The panels bypass the window manager, so no window manager
    // acts on the type.
    const xcb_atom_t type = x ? x->atom("_NET_WM_WINDOW_TYPE") : xcb_atom_t(XCB_ATOM_NONE);
    const xcb_atom_t desktop = x ? x->atom("_NET_WM_WINDOW_TYPE_DESKTOP") : xcb_atom_t(XCB_ATOM_NONE);
    if (type == XCB_ATOM_NONE || desktop == XCB_ATOM_NONE) {
        panel.winId();
        return;
    }
    // xcompmgr reads a window's type once, as it hears the window was made,
    // and keeps what it found for the window's life; picom reads it as the
    // window is mapped. Qt sends the new window to the server while it makes
    // it, so the mark set after could come too late: held, the server serves
    // no other client until the window carries it. The atoms are known
    // before: while the server is held, only Qt's connection is served.
    xcb_grab_server(c);
    const auto window = xcb_window_t(panel.winId());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, type, XCB_ATOM_ATOM, 32, 1, &desktop);
    xcb_ungrab_server(c);
    xcb_flush(c);
}

}  // namespace orbel::platform
