#include "platform/linux/x11_input.h"

#include <xcb/xinput.h>
// xkb.h names a field `explicit`, a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <QAbstractEventDispatcher>
#include <QMetaObject>
#include <QSocketNotifier>
#include <utility>

#include "platform/linux/x11_reply.h"
#include "platform/linux/x11_session.h"

namespace orbel::platform::x11 {

InputConnection* InputConnection::shared() {
    static InputConnection* instance = []() -> InputConnection* {
        xcb_window_t root = 0;
        xcb_connection_t* conn = openConnection(&root);
        return conn ? new InputConnection(conn, root) : nullptr;  // kept for the process's life
    }();
    return instance;
}

InputConnection::InputConnection(xcb_connection_t* conn, xcb_window_t root) : conn_(conn), root_(root) {
    // Detectable auto-repeat: a held key repeats presses only.
    if (const auto* xkb = xcb_get_extension_data(conn_, &xcb_xkb_id); xkb && xkb->present) {
        Reply<xcb_xkb_use_extension_reply_t> use(
            xcb_xkb_use_extension_reply(conn_, xcb_xkb_use_extension(conn_, 1, 0), nullptr));
        if (use && use->supported) {
            const std::uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
            Reply<xcb_xkb_per_client_flags_reply_t>(xcb_xkb_per_client_flags_reply(
                conn_, xcb_xkb_per_client_flags(conn_, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0), nullptr));
            // Having used XKB, this client hears of a new layout only through it.
            const std::uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
            const std::uint16_t parts =
                XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP;
            const xcb_xkb_select_events_details_t details{};
            xcb_xkb_select_events_aux(conn_, XCB_XKB_ID_USE_CORE_KBD, events, 0, events, parts, parts, &details);
            xkbFirstEvent_ = xkb->first_event;
        }
    }
    if (const auto* xi = xcb_get_extension_data(conn_, &xcb_input_id); xi && xi->present) {
        Reply<xcb_input_xi_query_version_reply_t> version(
            xcb_input_xi_query_version_reply(conn_, xcb_input_xi_query_version(conn_, 2, 2), nullptr));
        if (version && (version->major_version > 2 || (version->major_version == 2 && version->minor_version >= 2)))
            xinputOpcode_ = xi->major_opcode;
    }
    // Asked now, its answer read when first needed: by then long arrived.
    static constexpr char kTimestampAtom[] = "_ORBEL_TIMESTAMP";
    timestampAtomAsked_ = xcb_intern_atom(conn_, 0, sizeof kTimestampAtom - 1, kTimestampAtom);
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(conn_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { drain(); });
    // Any request that waits for a reply, or only flushes, lets xcb read
    // what the server sent meanwhile into its queue, and the socket then has
    // nothing more to tell the notifier: a hot key's press so read would
    // wait, unseen, for whatever next looks at the queue. So the queue is
    // emptied on each turn of the event loop: before it waits for input, or
    // when it looks for events without waiting (awake, as glib's does then).
    if (auto* dispatcher = QAbstractEventDispatcher::instance(thread())) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { drainQueued(); });
        connect(dispatcher, &QAbstractEventDispatcher::awake, this, [this] { drainQueued(); });
    }
    drainSoon();
}

void InputConnection::wantRawKeys(bool want) {
    if (want == rawKeys_) return;
    rawKeys_ = want;
    selectRaw();
}

void InputConnection::wantRawButtons(bool want) {
    if (want == rawButtons_) return;
    rawButtons_ = want;
    selectRaw();
}

void InputConnection::wantRawMotion(bool want) {
    if (want == rawMotion_) return;
    rawMotion_ = want;
    selectRaw();
}

void InputConnection::wantRootProperties(bool want) {
    const std::uint32_t mask = want ? XCB_EVENT_MASK_PROPERTY_CHANGE : 0;
    xcb_change_window_attributes(conn_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(conn_);
}

void InputConnection::selectRaw() {
    if (!xinputOpcode_) return;
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, 0};
    if (rawKeys_) mask.bits |= XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE;  // releases are all we need
    if (rawButtons_)
        mask.bits |= XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE;
    if (rawMotion_) mask.bits |= XCB_INPUT_XI_EVENT_MASK_RAW_MOTION;
    xcb_input_xi_select_events(conn_, root_, 1, &mask.head);
    xcb_flush(conn_);
}

bool InputConnection::isKeyboardMapChange(const xcb_generic_event_t* event) const {
    const std::uint8_t type = event->response_type & 0x7f;
    if (type == XCB_MAPPING_NOTIFY)
        return reinterpret_cast<const xcb_mapping_notify_event_t*>(event)->request != XCB_MAPPING_POINTER;
    if (!xkbFirstEvent_ || type != xkbFirstEvent_) return false;
    const std::uint8_t xkbType = event->pad0;  // the XKB event's own type follows the response type
    return xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY;
}

std::uint16_t InputConnection::xinputEventType(const xcb_generic_event_t* event) const {
    if (!xinputOpcode_ || (event->response_type & 0x7f) != XCB_GE_GENERIC) return 0;
    const auto* ge = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
    return ge->extension == xinputOpcode_ ? ge->event_type : 0;
}

void InputConnection::keepStrayKey(const xcb_key_press_event_t& event) {
    if (strayKeys_.size() >= kMostStrayKeys) strayKeys_.erase(strayKeys_.begin());
    strayKeys_.push_back(event);
}

std::vector<xcb_key_press_event_t> InputConnection::takeStrayKeys() {
    drain();  // those the server sent before it gave the keyboard to another window
    return std::exchange(strayKeys_, {});
}

xcb_atom_t InputConnection::timestampAtom() {
    if (timestampAtom_ == XCB_ATOM_NONE && timestampAtomAsked_.sequence) {
        Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(conn_, timestampAtomAsked_, nullptr));
        timestampAtomAsked_ = {};
        if (reply) timestampAtom_ = reply->atom;
        drainSoon();
    }
    return timestampAtom_;
}

void InputConnection::drainSoon() { drainTurn_.request(); }

void InputConnection::drain() {
    if (xcb_connection_has_error(conn_)) {
        notifier_->setEnabled(false);  // the server is gone: nothing more will come
        return;
    }
    while (xcb_generic_event_t* raw = xcb_poll_for_event(conn_)) dispatch(raw);
}

void InputConnection::drainQueued() {
    // Only what xcb already holds: reading the socket is the notifier's.
    if (xcb_connection_has_error(conn_)) return;
    while (xcb_generic_event_t* raw = xcb_poll_for_queued_event(conn_)) dispatch(raw);
}

void InputConnection::dispatch(xcb_generic_event_t* raw) {
    Reply<xcb_generic_event_t> event(raw);
    for (std::size_t i = 0; i < listeners_.size(); ++i) listeners_[i](event.get());
}

}  // namespace orbel::platform::x11
