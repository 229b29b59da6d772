#pragma once

// The connection on which the program listens to input: global key grabs
// and XInput2 raw key and button events on the root window. It is a client
// of its own, so its grabs and event selections touch no other service's,
// and it asks for detectable auto-repeat (a held key sends presses without
// releases in between). Its events are read on the GUI thread as soon as
// they arrive, also those xcb took in while waiting for a reply (before the
// thread next waits for input). GUI thread only.

#include <xcb/xcb.h>

#include <QObject>

#include "platform/linux/once_per_turn.h"
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class QSocketNotifier;

namespace orbel::platform::x11 {

class InputConnection : public QObject {
public:
    // Nothing when there is no X server; made on first use.
    static InputConnection* shared();

    xcb_connection_t* connection() const { return conn_; }
    xcb_window_t root() const { return root_; }
    // XInput 2.2 is there: raw events reach us whatever client grabbed the device.
    bool hasRawEvents() const { return xinputOpcode_ != 0; }

    // Raw events are selected only while someone needs them (of keys, only releases).
    void wantRawKeys(bool want);
    void wantRawButtons(bool want);
    void wantRawMotion(bool want);
    // Property changes of the root window (the current desktop, ...).
    void wantRootProperties(bool want);

    // Every event read, core and XInput2 alike. Listeners live as long as the process.
    using Listener = std::function<void(const xcb_generic_event_t* event)>;
    void addListener(Listener listener) { listeners_.push_back(std::move(listener)); }

    // Whether the event says the keyboard's map changed (a core
    // MappingNotify of the keys or modifiers, or XKB's new-keyboard and map
    // notifications, which are what a client using XKB gets instead).
    bool isKeyboardMapChange(const xcb_generic_event_t* event) const;

    // XInput2 event type of a generic event from this connection; 0 for other events.
    std::uint16_t xinputEventType(const xcb_generic_event_t* event) const;

    // Key events that came to this connection only because a hot key's
    // press held the keyboard (typed before the press was read and the
    // keyboard handed back): they were meant for the window that takes the
    // keyboard next. Kept with their server times (how old they are is
    // judged in server time by whoever takes them, a busy program reads
    // them late), taken once (with whatever the socket still holds), and
    // dropped at the next hot-key press.
    void keepStrayKey(const xcb_key_press_event_t& event);
    std::vector<xcb_key_press_event_t> takeStrayKeys();
    void dropStrayKeys() { strayKeys_.clear(); }
    static constexpr std::size_t kMostStrayKeys = 256;

    // An atom of our own for asking the server what time it is (a
    // property change on one of our windows comes back stamped).
    xcb_atom_t timestampAtom();

    // Reads events xcb queued while waiting for replies (the socket has no more
    // to say about them). Call after requests made outside an event.
    void drainSoon();

private:
    InputConnection(xcb_connection_t* conn, xcb_window_t root);
    void selectRaw();
    void drain();
    // The events xcb has queued already, without reading the socket.
    void drainQueued();
    void dispatch(xcb_generic_event_t* event);

    xcb_connection_t* conn_;
    xcb_window_t root_;
    std::uint8_t xinputOpcode_ = 0;
    std::uint8_t xkbFirstEvent_ = 0;  // 0 without XKB
    bool rawKeys_ = false;
    bool rawButtons_ = false;
    bool rawMotion_ = false;
    OncePerTurn drainTurn_{this, [this] { drain(); }};
    QSocketNotifier* notifier_ = nullptr;
    std::vector<Listener> listeners_;
    std::vector<xcb_key_press_event_t> strayKeys_;
    xcb_intern_atom_cookie_t timestampAtomAsked_{};
    xcb_atom_t timestampAtom_ = XCB_ATOM_NONE;
};

}  // namespace orbel::platform::x11
