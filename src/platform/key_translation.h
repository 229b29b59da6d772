#pragma once

// The one place where the stored key numbers (macOS virtual key codes and
// Carbon modifier masks) meet X11 and Qt: key codes to X keysyms and back,
// Carbon masks to X modifier masks and back, Qt keys and modifiers to key
// codes and Carbon masks, media keys to XF86 keysyms, and mouse buttons.

#include <cstdint>
#include <optional>

#include "platform/event_poster.h"

namespace orbel::platform {

// X modifier mask bits (the core protocol's KeyButMask).
namespace xmod {
inline constexpr std::uint16_t kShift = 0x0001;
inline constexpr std::uint16_t kLock = 0x0002;
inline constexpr std::uint16_t kControl = 0x0004;
inline constexpr std::uint16_t kMod1 = 0x0008;  // Alt
inline constexpr std::uint16_t kMod2 = 0x0010;  // Num Lock
inline constexpr std::uint16_t kMod4 = 0x0040;  // Super
}  // namespace xmod

// command = Super (Mod4), option = Alt (Mod1), control = Control,
// shift = Shift. Other bits are dropped both ways (Caps Lock, Num Lock...).
std::uint16_t xModifiersFromCarbon(std::uint32_t carbonModifiers);
std::uint32_t carbonFromXModifiers(std::uint16_t xModifiers);

// The keysym the key produces without modifiers on a US layout; none for
// codes without a key (and for the Fn key, which X never sees).
std::optional<std::uint32_t> keysymForKeyCode(std::uint16_t keyCode);
// The key code whose key produces the keysym, with or without Shift: "a",
// "A" and the "1"/"!" pair map to the same key; keypad keysyms map to the
// keypad's codes.
std::optional<std::uint16_t> keyCodeForKeysym(std::uint32_t keysym);

// F13 to F20: the stock X keymap gives their keys other keysyms
// (XF86Tools, XF86Launch5 to 9, none, XF86AudioMicMute), which
// keyCodeForKeysym also maps back. For one of these key codes, that keysym
// (none for F19 and other keys), and the key's X keycode under evdev; and
// back from such an X keycode.
std::optional<std::uint32_t> stockKeysymForKeyCode(std::uint16_t keyCode);
std::optional<std::uint8_t> evdevKeycodeForKeyCode(std::uint16_t keyCode);
std::optional<std::uint16_t> keyCodeForEvdevKeycode(std::uint32_t xKeycode);

// Qt's key (a Qt::Key value) to a key code; `keypad` is whether the event
// carried Qt::KeypadModifier.
std::optional<std::uint16_t> keyCodeForQtKey(int qtKey, bool keypad = false);
// Qt::KeyboardModifiers (as an int) to a Carbon mask: Meta is command
// (Super on X11), Alt is option.
std::uint32_t carbonFromQtModifiers(int qtModifiers);


// Mouse buttons: 0 left, 1 right, 2 middle, 3 back, 4 forward, 5... are X
// buttons 1, 3, 2, 8, 9, 10...; X buttons 4 to 7 scroll and are no button.
int xButtonForMouseButton(int button);  // button >= 0
std::optional<int> mouseButtonForXButton(int xButton);

}  // namespace orbel::platform
