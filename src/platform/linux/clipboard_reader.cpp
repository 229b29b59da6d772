#include "platform/linux/clipboard_reader.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/linux/x11_reply.h"

namespace orbel::platform::x11 {
namespace {

using Clock = std::chrono::steady_clock;

class Reader {
public:
    explicit Reader(Clock::time_point deadline) : deadline_(deadline) {
        int screenNumber = 0;
        conn_ = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(conn_)) return;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn_));
        for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
        if (!it.rem) return;
        window_ = xcb_generate_id(conn_);
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(conn_, XCB_COPY_FROM_PARENT, window_, it.data->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
        clipboard_ = atom("CLIPBOARD");
        property_ = atom("ORBEL_CLIPBOARD_READ");
        incr_ = atom("INCR");
        ok_ = clipboard_ && property_ && incr_;
    }
    ~Reader() { xcb_disconnect(conn_); }

    std::optional<PasteboardSnapshot> read() {
        if (!ok_) return std::nullopt;
        Reply<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(conn_, xcb_get_selection_owner(conn_, clipboard_), nullptr));
        if (!owner) return std::nullopt;
        if (owner->owner == XCB_WINDOW_NONE) return PasteboardSnapshot{};

        const std::string targets = convert(atom("TARGETS")).value_or(std::string());
        std::vector<xcb_atom_t> offered(targets.size() / sizeof(xcb_atom_t));
        if (!offered.empty()) std::memcpy(offered.data(), targets.data(), offered.size() * sizeof(xcb_atom_t));
        if (offered.empty()) offered.push_back(atom("UTF8_STRING"));

        PasteboardSnapshot snapshot;
        bool hasText = false;
        xcb_atom_t utf8 = XCB_ATOM_NONE;
        for (xcb_atom_t target : offered) {
            const std::string name = atomName(target);
            if (name == "UTF8_STRING") utf8 = target;
            // MIME types only: the X names (STRING, TEXT, TARGETS, ...) are
            // derived from them or are requests, not data.
            if (name.find('/') == std::string::npos || name == "application/x-qt-image") continue;
            const auto bytes = convert(target);
            if (!bytes) continue;
            hasText = hasText || name.rfind("text/plain", 0) == 0;
            snapshot.formats.emplace_back(name, *bytes);
        }
        if (!hasText && utf8 != XCB_ATOM_NONE) {
            if (const auto bytes = convert(utf8)) snapshot.formats.emplace_back("text/plain", *bytes);
        }
        if (timedOut_) return std::nullopt;  // a format is missing
        return snapshot;
    }

private:
    xcb_atom_t atom(const char* name) {
        Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            conn_, xcb_intern_atom(conn_, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    std::string atomName(xcb_atom_t a) {
        Reply<xcb_get_atom_name_reply_t> reply(xcb_get_atom_name_reply(conn_, xcb_get_atom_name(conn_, a), nullptr));
        if (!reply) return {};
        return std::string(xcb_get_atom_name_name(reply.get()),
                           static_cast<std::size_t>(xcb_get_atom_name_name_length(reply.get())));
    }

    // The next event of the kind wanted, or nothing once the deadline has passed.
    template <class Wanted>
    Reply<xcb_generic_event_t> waitFor(Wanted wanted) {
        for (;;) {
            while (xcb_generic_event_t* raw = xcb_poll_for_event(conn_)) {
                Reply<xcb_generic_event_t> event(raw);
                if (wanted(event.get())) return event;
            }
            if (xcb_connection_has_error(conn_)) {
                timedOut_ = true;
                return nullptr;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
            if (left <= 0) {
                timedOut_ = true;
                return nullptr;
            }
            pollfd fd{xcb_get_file_descriptor(conn_), POLLIN, 0};
            ::poll(&fd, 1, static_cast<int>(left));
        }
    }

    Reply<xcb_get_property_reply_t> takeProperty() {
        return Reply<xcb_get_property_reply_t>(xcb_get_property_reply(
            conn_, xcb_get_property(conn_, 1, window_, property_, XCB_GET_PROPERTY_TYPE_ANY, 0, UINT32_MAX / 4),
            nullptr));
    }

    // The owner's bytes for one target; nothing when it refused or did not
    // answer in time (then `timedOut_` is set, and nothing more is asked).
    std::optional<std::string> convert(xcb_atom_t target) {
        if (timedOut_) return std::nullopt;
        xcb_convert_selection(conn_, window_, clipboard_, target, property_, XCB_CURRENT_TIME);
        xcb_flush(conn_);
        auto notify = waitFor([](xcb_generic_event_t* e) {
            return (e->response_type & 0x7f) == XCB_SELECTION_NOTIFY;
        });
        if (!notify) return std::nullopt;
        if (reinterpret_cast<xcb_selection_notify_event_t*>(notify.get())->property == XCB_ATOM_NONE) return std::nullopt;
        auto reply = takeProperty();
        if (!reply) return std::nullopt;
        auto bytesOf = [](xcb_get_property_reply_t* r) {
            return std::string(static_cast<const char*>(xcb_get_property_value(r)),
                               static_cast<std::size_t>(xcb_get_property_value_length(r)));  // in bytes
        };
        if (reply->type != incr_) return bytesOf(reply.get());
        // Large data comes in pieces: each new value of the property is the
        // next one, an empty value the end.
        xcb_flush(conn_);
        std::string bytes;
        for (;;) {
            auto changed = waitFor([this](xcb_generic_event_t* e) {
                if ((e->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
                auto* p = reinterpret_cast<xcb_property_notify_event_t*>(e);
                return p->atom == property_ && p->state == XCB_PROPERTY_NEW_VALUE;
            });
            if (!changed) return std::nullopt;
            auto piece = takeProperty();
            if (!piece) {
                timedOut_ = true;
                return std::nullopt;
            }
            if (xcb_get_property_value_length(piece.get()) == 0) return bytes;
            bytes += bytesOf(piece.get());
            xcb_flush(conn_);
        }
    }

    Clock::time_point deadline_;
    xcb_connection_t* conn_ = nullptr;
    xcb_window_t window_ = XCB_WINDOW_NONE;
    xcb_atom_t clipboard_ = XCB_ATOM_NONE, property_ = XCB_ATOM_NONE, incr_ = XCB_ATOM_NONE;
    bool ok_ = false;
    bool timedOut_ = false;
};

}  // namespace

std::optional<PasteboardSnapshot> readClipboard(std::chrono::milliseconds limit) {
    if (!std::getenv("DISPLAY")) return std::nullopt;
    return Reader(Clock::now() + limit).read();
}

}  // namespace orbel::platform::x11
