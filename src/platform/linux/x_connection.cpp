#include "platform/linux/x_connection.h"

#include <cstring>

namespace orbel::platform::x11 {

Connection::Connection() {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c) xcb_disconnect(c);
        return;
    }
    connection_ = c;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; it.rem && i < screenNumber; ++i) xcb_screen_next(&it);
    if (it.rem) root_ = it.data->root;
}

Connection::~Connection() {
    if (connection_) xcb_disconnect(connection_);
}

xcb_atom_t Connection::atom(const char* name) {
    if (!connection_) return XCB_ATOM_NONE;
    for (const auto& [n, a] : atoms_)
        if (n == name) return a;
    auto cookie = xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection_, cookie, nullptr));
    const xcb_atom_t a = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    atoms_.emplace_back(name, a);
    return a;
}

bool Connection::hasExtension(const char* name) {
    if (!connection_) return false;
    auto cookie = xcb_query_extension(connection_, static_cast<std::uint16_t>(std::strlen(name)), name);
    Reply<xcb_query_extension_reply_t> reply(xcb_query_extension_reply(connection_, cookie, nullptr));
    return reply && reply->present;
}

Connection::Property Connection::property(xcb_window_t window, xcb_atom_t prop) {
    Property result;
    if (!connection_ || prop == XCB_ATOM_NONE) return result;
    auto cookie = xcb_get_property(connection_, 0, window, prop, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 20);
    Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection_, cookie, nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE) return result;
    result.type = reply->type;
    result.format = reply->format;
    const int length = xcb_get_property_value_length(reply.get());
    if (length > 0) result.bytes.assign(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
    return result;
}

void Connection::sync() {
    if (!connection_) return;
    Reply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

}  // namespace orbel::platform::x11
