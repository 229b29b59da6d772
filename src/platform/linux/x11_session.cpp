#include "platform/linux/x11_session.h"

#include <cstring>

namespace orbel::platform::x11 {

Session::Session(xcb_connection_t* conn, xcb_window_t root) : conn_(conn), root_(root) {}

xcb_connection_t* openConnection(xcb_window_t* root) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) return nullptr;
    int screenNumber = 0;
    xcb_connection_t* conn = xcb_connect(nullptr, &screenNumber);
    if (!conn || xcb_connection_has_error(conn)) {
        if (conn) xcb_disconnect(conn);
        return nullptr;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(conn);
        return nullptr;
    }
    *root = it.data->root;
    return conn;
}

Session::~Session() { xcb_disconnect(conn_); }

std::unique_ptr<Session> Session::open() {
    xcb_window_t root = 0;
    xcb_connection_t* conn = openConnection(&root);
    return conn ? std::unique_ptr<Session>(new Session(conn, root)) : nullptr;
}

Session* Session::shared() {
    static Session* session = open().release();  // kept for the process's life
    return session;
}

xcb_atom_t Session::atom(const char* name) {
    std::lock_guard lock(mutex_);
    auto it = atoms_.find(name);
    if (it != atoms_.end()) return it->second;
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(conn_, xcb_intern_atom(conn_, 0, std::strlen(name), name), nullptr));
    xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    if (atom != XCB_ATOM_NONE) atoms_.emplace(name, atom);
    return atom;
}

bool Session::hasExtension(const char* name) {
    Reply<xcb_query_extension_reply_t> reply(
        xcb_query_extension_reply(conn_, xcb_query_extension(conn_, std::strlen(name), name), nullptr));
    return reply && reply->present;
}

std::optional<Session::Property> Session::property(xcb_window_t window, xcb_atom_t prop) {
    if (prop == XCB_ATOM_NONE) return std::nullopt;
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        conn_, xcb_get_property(conn_, 0, window, prop, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 20), nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE) return std::nullopt;
    const int length = xcb_get_property_value_length(reply.get());
    return Property{reply->type, reply->format,
                    QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())), length)};
}

std::optional<QByteArray> Session::property(xcb_window_t window, const char* name) {
    auto p = property(window, atom(name));
    if (!p) return std::nullopt;
    return std::move(p->bytes);
}

std::vector<std::uint32_t> Session::property32(xcb_window_t window, const char* name) {
    auto p = property(window, atom(name));
    if (!p || p->format != 32) return {};
    std::vector<std::uint32_t> values(static_cast<std::size_t>(p->bytes.size()) / 4);
    if (!values.empty()) std::memcpy(values.data(), p->bytes.constData(), values.size() * 4);
    return values;
}

std::optional<std::uint32_t> Session::cardinal(xcb_window_t window, const char* name) {
    auto values = property32(window, name);
    if (values.empty()) return std::nullopt;
    return values.front();
}

QByteArray Session::text(xcb_window_t window, const char* name) {
    QByteArray bytes = property(window, name).value_or(QByteArray());
    bytes.truncate(qstrnlen(bytes.constData(), bytes.size()));
    return bytes;
}

void Session::sendClientMessage(xcb_window_t window, const char* type, std::uint32_t d0, std::uint32_t d1,
                                std::uint32_t d2, std::uint32_t d3, std::uint32_t d4) {
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom(type);
    event.data.data32[0] = d0;
    event.data.data32[1] = d1;
    event.data.data32[2] = d2;
    event.data.data32[3] = d3;
    event.data.data32[4] = d4;
    xcb_send_event(conn_, 0, root_, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(conn_);
}

void Session::sync() {
    Reply<xcb_get_input_focus_reply_t> reply(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
}

std::vector<xcb_window_t> Session::clientWindows() {
    auto windows = property32(root_, "_NET_CLIENT_LIST_STACKING");
    if (windows.empty()) windows = property32(root_, "_NET_CLIENT_LIST");
    return windows;
}

std::optional<xcb_window_t> Session::activeWindow() {
    auto window = cardinal(root_, "_NET_ACTIVE_WINDOW");
    if (!window || *window == XCB_WINDOW_NONE) return std::nullopt;
    return *window;
}

}  // namespace orbel::platform::x11
