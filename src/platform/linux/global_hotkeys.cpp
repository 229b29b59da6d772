#include "platform/global_hotkeys.h"

#include <xcb/xcb_keysyms.h>
#include <xcb/xinput.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <algorithm>
#include <vector>

#include "platform/key_translation.h"
#include "platform/linux/x11_input.h"
#include "platform/linux/x11_reply.h"

namespace orbel::platform {
namespace {

constexpr xcb_keysym_t kNumLock = 0xff7f;
constexpr xcb_keysym_t kScrollLock = 0xff14;
constexpr std::uint16_t kChordBits = xmod::kShift | xmod::kControl | xmod::kMod1 | xmod::kMod4;

// Passive grabs of the root window, one for every combination of the lock
// modifiers (Caps Lock, Num Lock, Scroll Lock) so that a lit lock key does not
// hide the chord. Each grab is a checked request: the server refuses a grab
// another client holds, which is how a conflict shows.
//
// A press that activates a grab hands the keyboard straight back, so the
// window the press opens can grab it; the release is then learnt from the
// raw key events, which reach us whoever holds the keyboard.
//
// While one of the program's own windows holds the keyboard (the open dial),
// passive grabs never activate: the chords then arrive as the window's key
// events, and a filter in front of every window takes them as hot keys.
// Another client's keyboard grab (a screen locker) keeps them from us.
class X11GlobalHotkeys final : public GlobalHotkeys, private QObject {
public:
    X11GlobalHotkeys() : x_(x11::InputConnection::shared()) {
        if (!x_) return;
        symbols_ = xcb_key_symbols_alloc(x_->connection());
        x_->addListener([this](const xcb_generic_event_t* e) { handle(e); });
        if (auto* app = QCoreApplication::instance()) app->installEventFilter(this);
    }

    void setHandler(Handler handler) override { handler_ = std::move(handler); }

    std::optional<PressPointer> takePressPointer() override { return std::exchange(pressPointer_, std::nullopt); }

    bool registerHotkey(Id id, std::uint16_t keyCode, std::uint32_t carbonModifiers) override {
        unregisterHotkey(id);
        if (!x_) return false;
        const xcb_keycode_t code = resolve(keyCode);
        if (!code) return false;
        const std::uint16_t mods = xModifiersFromCarbon(carbonModifiers);
        // Our own other registration of the chord counts as taken: grabbing it
        // again would succeed on the server and dropping one would drop both.
        for (const auto& r : registrations_)
            if (r.code == code && r.mods == mods) return false;

        Registration r{id, keyCode, code, mods, {}};
        const bool ok = grab(r);
        if (ok) registrations_.push_back(r);
        x_->drainSoon();
        return ok;
    }

    void unregisterHotkey(Id id) override {
        auto it = std::find_if(registrations_.begin(), registrations_.end(), [&](auto& r) { return r.id == id; });
        if (it == registrations_.end()) return;
        ungrab(*it);
        registrations_.erase(it);
        watchReleases();
    }

private:
    struct Registration {
        Id id;
        std::uint16_t keyCode;  // the stored key code it was registered with
        xcb_keycode_t code;     // its key on the current keyboard map
        std::uint16_t mods;
        std::vector<std::uint16_t> locks;
        bool down = false;
    };

    // Grabs every lock variant of the chord; all or none.
    bool grab(Registration& r) {
        xcb_connection_t* c = x_->connection();
        const std::vector<std::uint16_t> variants = lockVariants();
        std::vector<xcb_void_cookie_t> cookies;
        for (auto lock : variants)
            cookies.push_back(xcb_grab_key_checked(c, 1, x_->root(), r.mods | lock, r.code, XCB_GRAB_MODE_ASYNC,
                                                   XCB_GRAB_MODE_ASYNC));
        bool ok = true;
        for (std::size_t i = 0; i < cookies.size(); ++i) {
            x11::Reply<xcb_generic_error_t> error(xcb_request_check(c, cookies[i]));
            if (error)
                ok = false;
            else
                r.locks.push_back(variants[i]);
        }
        if (!ok) ungrab(r);
        return ok;
    }

    void ungrab(Registration& r) {
        for (auto lock : r.locks) xcb_ungrab_key(x_->connection(), r.code, x_->root(), r.mods | lock);
        r.locks.clear();
        xcb_flush(x_->connection());
    }

    // After a change of the keyboard map (another layout, xmodmap): each
    // chord moves to the key that now produces it. A chord whose new key
    // another client holds stays registered without a grab until the next change.
    void keyboardMapChanged() {
        xcb_key_symbols_free(symbols_);
        symbols_ = xcb_key_symbols_alloc(x_->connection());
        const std::size_t variants = lockVariants().size();
        for (auto& r : registrations_) {
            const xcb_keycode_t code = resolve(r.keyCode);
            if (code == r.code && r.locks.size() == variants) continue;
            ungrab(r);
            r.code = code;
            r.down = false;
            if (code) grab(r);
        }
    }

    xcb_keycode_t keycodeFor(xcb_keysym_t keysym) {
        x11::Reply<xcb_keycode_t> codes(xcb_key_symbols_get_keycode(symbols_, keysym));
        return codes ? codes.get()[0] : 0;
    }

    // The key of a stored key code on the current map: the key producing its
    // keysym; for F13 to F20 also the key the stock map gives another name,
    // or the key of evdev's keycode while no keysym is bound to it.
    xcb_keycode_t resolve(std::uint16_t keyCode) {
        const auto keysym = keysymForKeyCode(keyCode);
        if (!keysym) return 0;
        if (const xcb_keycode_t code = keycodeFor(*keysym)) return code;
        if (const auto stock = stockKeysymForKeyCode(keyCode)) {
            if (const xcb_keycode_t code = keycodeFor(*stock)) return code;
        }
        if (const auto evdev = evdevKeycodeForKeyCode(keyCode)) {
            bool unbound = true;
            for (int column = 0; column < 4; ++column)
                if (xcb_key_symbols_get_keysym(symbols_, *evdev, column) != 0) unbound = false;
            const xcb_setup_t* setup = xcb_get_setup(x_->connection());
            if (unbound && *evdev >= setup->min_keycode && *evdev <= setup->max_keycode) return *evdev;
        }
        return 0;
    }

    // Caps Lock is always the Lock modifier; Num Lock and Scroll Lock are
    // whichever modifiers the keyboard's map gives them.
    std::vector<std::uint16_t> lockVariants() {
        std::uint16_t num = 0, scroll = 0;
        xcb_connection_t* c = x_->connection();
        x11::Reply<xcb_get_modifier_mapping_reply_t> map(
            xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
        const xcb_keycode_t numCode = keycodeFor(kNumLock), scrollCode = keycodeFor(kScrollLock);
        if (map) {
            const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(map.get());
            const int per = map->keycodes_per_modifier;
            for (int m = 3; m < 8; ++m)  // Mod1 to Mod5
                for (int i = 0; i < per; ++i) {
                    const xcb_keycode_t k = codes[m * per + i];
                    if (k && k == numCode) num = std::uint16_t(1u << m);
                    if (k && k == scrollCode) scroll = std::uint16_t(1u << m);
                }
        }
        if (!num) num = xmod::kMod2;
        std::vector<std::uint16_t> locks;
        const std::uint16_t bits[] = {xmod::kLock, num, scroll};
        for (unsigned subset = 0; subset < 8; ++subset) {
            std::uint16_t lock = 0;
            for (unsigned b = 0; b < 3; ++b)
                if (subset & (1u << b)) lock |= bits[b];
            if (std::find(locks.begin(), locks.end(), lock) == locks.end()) locks.push_back(lock);
        }
        return locks;
    }

    void handle(const xcb_generic_event_t* e) {
        switch (e->response_type & 0x7f) {
        // Core key events come only under a hot key's grab: those not of a
        // chord were typed before the grab was handed back.
        case XCB_KEY_PRESS: {
            const auto* k = reinterpret_cast<const xcb_key_press_event_t*>(e);
            if (!pressed(k->detail, k->state & kChordBits, QPoint(k->root_x, k->root_y))) x_->keepStrayKey(*k);
            return;
        }
        case XCB_KEY_RELEASE: {
            const auto* k = reinterpret_cast<const xcb_key_release_event_t*>(e);
            if (!isChordKey(k->detail)) x_->keepStrayKey(*k);
            released(k->detail);
            return;
        }
        default:
            break;
        }
        if (x_->isKeyboardMapChange(e)) {
            keyboardMapChanged();
            return;
        }
        if (x_->xinputEventType(e) == XCB_INPUT_RAW_KEY_RELEASE)
            released(std::uint8_t(reinterpret_cast<const xcb_input_raw_key_release_event_t*>(e)->detail));
    }

    // Key events of our own windows (X keycode and state in the native fields).
    bool eventFilter(QObject*, QEvent* event) override {
        const auto type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto code = static_cast<xcb_keycode_t>(key->nativeScanCode());
        if (type == QEvent::KeyRelease) {
            // Whether a core release is the key's or auto-repeat's is a guess
            // (made from the event that follows it). Raw releases are never
            // auto-repeat's: with them, only they end a held chord, so a
            // held hold key never fires and reopens the dial over and over.
            if (!key->isAutoRepeat() && !x_->hasRawEvents()) released(code);
            return false;
        }
        auto* reg = find(code, static_cast<std::uint16_t>(key->nativeModifiers() & kChordBits));
        if (!reg) return false;
        if (type == QEvent::KeyPress && !reg->down && !key->isAutoRepeat()) {
            reg->down = true;
            watchReleases();
            pressPointer_.reset();  // a key event of ours says nothing of the pointer
            deliver(reg->id, Event::pressed);
        }
        event->accept();
        return true;
    }

    Registration* find(xcb_keycode_t code, std::uint16_t mods) {
        if (!code) return nullptr;
        auto it = std::find_if(registrations_.begin(), registrations_.end(),
                               [&](auto& r) { return r.code == code && r.mods == mods; });
        return it == registrations_.end() ? nullptr : &*it;
    }

    bool isChordKey(xcb_keycode_t code) const {
        return std::any_of(registrations_.begin(), registrations_.end(), [&](auto& r) { return r.code == code; });
    }

    // `pointer`: where the pointer was (root coordinates). False when the
    // press is no chord of ours.
    bool pressed(xcb_keycode_t code, std::uint16_t mods, QPoint pointer) {
        Registration* it = find(code, mods);
        if (!it) return false;
        pressPointer_ = PressPointer{pointer, std::chrono::steady_clock::now()};
        const bool first = !it->down;
        if (first) x_->dropStrayKeys();  // what came before this press is not this press's
        it->down = true;
        // Raw releases are selected before the grab goes: a release the
        // server handles before the ungrab still comes to the grab.
        watchReleases();
        if (x_->hasRawEvents()) {
            xcb_ungrab_keyboard(x_->connection(), XCB_CURRENT_TIME);
            xcb_flush(x_->connection());
        }
        if (first) deliver(it->id, Event::pressed);  // else a repeat of the held key
        return true;
    }

    // Raw key releases only while a chord is held: typing elsewhere
    // otherwise wakes the program for nothing.
    void watchReleases() {
        x_->wantRawKeys(std::any_of(registrations_.begin(), registrations_.end(), [](auto& r) { return r.down; }));
    }

    void released(xcb_keycode_t code) {
        std::vector<Id> ids;
        for (auto& r : registrations_)
            if (r.code == code && r.down) {
                r.down = false;
                ids.push_back(r.id);
            }
        if (!ids.empty()) watchReleases();
        for (const Id& id : ids) deliver(id, Event::released);
    }

    void deliver(Id id, Event event) {
        if (auto handler = handler_) handler(id, event);
    }

    x11::InputConnection* x_;
    xcb_key_symbols_t* symbols_ = nullptr;
    std::vector<Registration> registrations_;
    Handler handler_;
    std::optional<PressPointer> pressPointer_;
};

}  // namespace

GlobalHotkeys& GlobalHotkeys::makeShared() { return processLifetimeInstance<X11GlobalHotkeys>(); }

}  // namespace orbel::platform
