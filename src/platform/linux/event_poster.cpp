#include "platform/event_poster.h"

#include <xcb/xtest.h>
#include <xkbcommon/xkbcommon.h>

#include <QString>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <map>
#include <vector>

#include "platform/key_translation.h"
#include "platform/linux/x11_session.h"

namespace orbel::platform {
namespace {

// Keycodes we borrowed for keysyms the layout lacks stay mapped this long
// after their last use: a client reloads its keymap only when it handles
// the mapping notification, which may come after our key events were sent.
constexpr int kRestoreDelayMs = 1500;

// Modifier indexes of the core modifier map.
constexpr int kShiftIndex = 0, kControlIndex = 2, kMod1Index = 3, kMod4Index = 6;
constexpr int kClearedIndexes[] = {0, 2, 3, 5, 6, 7};  // not Lock or Num Lock: they toggle

struct Keymap {
    xcb_keycode_t min = 0, max = 0;
    int perCode = 0;
    std::vector<xcb_keysym_t> syms;

    xcb_keysym_t at(xcb_keycode_t code, int column) const {
        if (code < min || code > max || column >= perCode) return 0;
        return syms[static_cast<std::size_t>((code - min) * perCode + column)];
    }
    bool unused(xcb_keycode_t code) const {
        for (int c = 0; c < perCode; ++c)
            if (at(code, c) != 0) return false;
        return true;
    }
};

struct Modmap {
    int perModifier = 0;
    std::vector<xcb_keycode_t> codes;  // 8 * perModifier

    xcb_keycode_t first(int index) const {
        for (int i = 0; i < perModifier; ++i)
            if (auto c = codes[static_cast<std::size_t>(index * perModifier + i)]) return c;
        return 0;
    }
};

struct Stroke {
    xcb_keycode_t code = 0;
    bool shift = false;
    bool caseSensitive = false;  // Caps Lock would change what it types
};

bool hasCase(xcb_keysym_t ks) { return xkb_keysym_to_upper(ks) != xkb_keysym_to_lower(ks); }

class XTestEventPoster final : public EventPoster {
public:
    XTestEventPoster() {
        xtest_ = x_ && x_->hasExtension("XTEST");
        restoreTimer_.setSingleShot(true);
        restoreTimer_.setInterval(kRestoreDelayMs);
        QObject::connect(&restoreTimer_, &QTimer::timeout, [this] { restoreBorrowedKeys(); });
    }
    ~XTestEventPoster() override { restoreBorrowedKeys(); }

    bool postChord(std::uint16_t keyCode, std::uint32_t carbonModifiers) override {
        if (!xtest_) return false;
        const auto keysym = keysymForKeyCode(keyCode);
        if (!keysym) return false;
        Keymap keymap = fetchKeymap();
        const Modmap modmap = fetchModmap();
        const auto stroke = strokeFor(keymap, *keysym);
        if (!stroke) return false;

        const std::uint16_t wanted = xModifiersFromCarbon(carbonModifiers);
        std::vector<xcb_keycode_t> modifierKeys;
        const std::pair<std::uint16_t, int> order[] = {
            {xmod::kControl, kControlIndex}, {xmod::kMod1, kMod1Index}, {xmod::kShift, kShiftIndex},
            {xmod::kMod4, kMod4Index}};
        for (const auto& [mask, index] : order) {
            if (!(wanted & mask)) continue;
            const xcb_keycode_t code = modmap.first(index);
            if (!code) return false;  // no key carries that modifier
            modifierKeys.push_back(code);
        }

        const auto cleared = releaseHeldModifiers(modmap);
        for (auto code : modifierKeys) key(XCB_KEY_PRESS, code);
        key(XCB_KEY_PRESS, stroke->code);
        key(XCB_KEY_RELEASE, stroke->code);
        for (auto it = modifierKeys.rbegin(); it != modifierKeys.rend(); ++it) key(XCB_KEY_RELEASE, *it);
        for (auto code : cleared) key(XCB_KEY_PRESS, code);
        x_->sync();
        return true;
    }

    bool typeText(const std::string& text) override {
        if (!xtest_) return false;
        if (text.empty()) return true;
        std::vector<xcb_keysym_t> keysyms;
        for (char32_t cp : QString::fromStdString(text).toUcs4()) {
            if (cp == '\r') continue;
            if (cp == '\n') keysyms.push_back(0xff0d);
            else if (cp == '\t') keysyms.push_back(0xff09);
            else if (cp == '\b') keysyms.push_back(0xff08);
            else {
                xcb_keysym_t ks = xkb_utf32_to_keysym(cp);
                keysyms.push_back(ks ? ks : 0x01000000u | cp);
            }
        }
        Keymap keymap = fetchKeymap();
        const Modmap modmap = fetchModmap();
        const xcb_keycode_t shiftCode = modmap.first(kShiftIndex);
        const bool capsLock = lockActive();

        std::vector<Stroke> strokes;
        bool complete = true;
        for (auto ks : keysyms) {
            auto stroke = strokeFor(keymap, ks);
            if (stroke && stroke->shift && !shiftCode) stroke.reset();
            if (!stroke) stroke = borrowKey(keymap, ks);
            if (!stroke) {
                complete = false;  // no spare keycode left
                continue;
            }
            if (capsLock && stroke->caseSensitive) stroke->shift = !stroke->shift;
            strokes.push_back(*stroke);
        }
        if (!borrowedThisCall_.empty()) {
            // Let the server announce the new mapping before the keys.
            x_->sync();
            borrowedThisCall_.clear();
        }

        const auto cleared = releaseHeldModifiers(modmap);
        for (const auto& s : strokes) {
            if (s.shift && shiftCode) key(XCB_KEY_PRESS, shiftCode);
            key(XCB_KEY_PRESS, s.code);
            key(XCB_KEY_RELEASE, s.code);
            if (s.shift && shiftCode) key(XCB_KEY_RELEASE, shiftCode);
        }
        for (auto code : cleared) key(XCB_KEY_PRESS, code);
        x_->sync();
        return complete;
    }

    bool click(int button, std::optional<std::pair<int, int>> position) override {
        if (!xtest_ || button < 0) return false;
        const int xButton = xButtonForMouseButton(button);
        if (xButton > 255) return false;
        if (position) {
            xcb_test_fake_input(x_->connection(), XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, x_->root(),
                                static_cast<std::int16_t>(position->first), static_cast<std::int16_t>(position->second),
                                0);
        }
        xcb_test_fake_input(x_->connection(), XCB_BUTTON_PRESS, static_cast<std::uint8_t>(xButton), XCB_CURRENT_TIME,
                            XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(x_->connection(), XCB_BUTTON_RELEASE, static_cast<std::uint8_t>(xButton), XCB_CURRENT_TIME,
                            XCB_NONE, 0, 0, 0);
        x_->sync();
        return true;
    }


private:
    void key(std::uint8_t type, xcb_keycode_t code) {
        xcb_test_fake_input(x_->connection(), type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }

    Keymap fetchKeymap() {
        Keymap map;
        const xcb_setup_t* setup = xcb_get_setup(x_->connection());
        map.min = setup->min_keycode;
        map.max = setup->max_keycode;
        auto cookie = xcb_get_keyboard_mapping(x_->connection(), map.min, static_cast<std::uint8_t>(map.max - map.min + 1));
        x11::Reply<xcb_get_keyboard_mapping_reply_t> reply(
            xcb_get_keyboard_mapping_reply(x_->connection(), cookie, nullptr));
        if (!reply) return map;
        map.perCode = reply->keysyms_per_keycode;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply.get());
        map.syms.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(reply.get()));
        return map;
    }

    Modmap fetchModmap() {
        Modmap map;
        x11::Reply<xcb_get_modifier_mapping_reply_t> reply(
            xcb_get_modifier_mapping_reply(x_->connection(), xcb_get_modifier_mapping(x_->connection()), nullptr));
        if (!reply) return map;
        map.perModifier = reply->keycodes_per_modifier;
        const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply.get());
        map.codes.assign(codes, codes + xcb_get_modifier_mapping_keycodes_length(reply.get()));
        return map;
    }

    bool lockActive() {
        x11::Reply<xcb_query_pointer_reply_t> reply(
            xcb_query_pointer_reply(x_->connection(), xcb_query_pointer(x_->connection(), x_->root()), nullptr));
        return reply && (reply->mask & XCB_MOD_MASK_LOCK);
    }

    // The key (and whether Shift is needed) that types the keysym in the
    // first group; a key showing it unshifted wins.
    static std::optional<Stroke> strokeFor(const Keymap& map, xcb_keysym_t ks) {
        if (ks == 0) return std::nullopt;
        std::optional<Stroke> shifted;
        for (int code = map.min; code <= map.max; ++code) {
            const auto kc = static_cast<xcb_keycode_t>(code);
            const xcb_keysym_t first = map.at(kc, 0);
            xcb_keysym_t second = map.at(kc, 1);
            // A lone lower-case letter implies its capital on the shifted level.
            if (second == 0 && first != 0 && hasCase(first) && xkb_keysym_to_lower(first) == first)
                second = xkb_keysym_to_upper(first);
            if (first == ks) return Stroke{kc, false, hasCase(ks)};
            if (second == ks && !shifted) shifted = Stroke{kc, true, hasCase(ks)};
        }
        return shifted;
    }

    // Maps the keysym onto an unused keycode for a while.
    std::optional<Stroke> borrowKey(Keymap& map, xcb_keysym_t ks) {
        if (ks == 0 || map.perCode == 0) return std::nullopt;
        for (int code = map.max; code >= map.min; --code) {
            const auto kc = static_cast<xcb_keycode_t>(code);
            if (!map.unused(kc)) continue;
            // The same keysym on both levels: Shift makes no difference.
            const xcb_keysym_t syms[2] = {ks, ks};
            xcb_change_keyboard_mapping(x_->connection(), 1, kc, 2, syms);
            borrowed_.try_emplace(kc, 2, 0);
            borrowedThisCall_.push_back(kc);
            map.syms[static_cast<std::size_t>((kc - map.min) * map.perCode)] = ks;
            if (map.perCode > 1) map.syms[static_cast<std::size_t>((kc - map.min) * map.perCode + 1)] = ks;
            restoreTimer_.start();
            return Stroke{kc, false, false};
        }
        return std::nullopt;
    }

    void restoreBorrowedKeys() {
        if (!x_) return;
        for (auto& [code, original] : borrowed_) {
            xcb_change_keyboard_mapping(x_->connection(), 1, code, static_cast<std::uint8_t>(original.size()),
                                        original.data());
        }
        borrowed_.clear();
        xcb_flush(x_->connection());
    }

    // Releases modifier keys that are down now, so they do not join the
    // posted keys; the caller presses them again afterwards.
    std::vector<xcb_keycode_t> releaseHeldModifiers(const Modmap& modmap) {
        std::vector<xcb_keycode_t> released;
        x11::Reply<xcb_query_keymap_reply_t> state(
            xcb_query_keymap_reply(x_->connection(), xcb_query_keymap(x_->connection()), nullptr));
        if (!state) return released;
        for (int index : kClearedIndexes) {
            for (int i = 0; i < modmap.perModifier; ++i) {
                const xcb_keycode_t code = modmap.codes[static_cast<std::size_t>(index * modmap.perModifier + i)];
                if (!code || !(state->keys[code / 8] & (1 << (code % 8)))) continue;
                if (std::find(released.begin(), released.end(), code) != released.end()) continue;
                key(XCB_KEY_RELEASE, code);
                released.push_back(code);
            }
        }
        return released;
    }

    x11::Session* x_ = x11::Session::shared();
    bool xtest_ = false;
    QTimer restoreTimer_;
    std::map<xcb_keycode_t, std::vector<xcb_keysym_t>> borrowed_;  // code -> its own keysyms
    std::vector<xcb_keycode_t> borrowedThisCall_;
};

}  // namespace

EventPoster& EventPoster::makeShared() { return processLifetimeInstance<XTestEventPoster>(); }

}  // namespace orbel::platform
