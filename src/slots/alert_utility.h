#pragma once

// The program's stand-alone alerts (those not attached to a window) and the
// conversion of key-event modifiers to the Carbon mask stored in every
// KeyCombination. Alerts never block: each returns at once and reports its
// outcome through a completion on the GUI thread.

#include <QFlags>
#include <Qt>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/key_combination.h"

namespace orbel {

// An informational alert shown at most once per run for its key.
struct ShowOnceAlert {
    std::string key;
    std::string title;
    std::string message;

    // The brightness action found no built-in display.
    static ShowOnceAlert brightnessNoBuiltIn();
    // The brightness action could not set the backlight.
    static ShowOnceAlert brightnessUnavailable();
};

class AlertUtility {
public:
    AlertUtility() = delete;

    // Shows an informational alert with one "OK" button unless an alert with
    // the same key was shown before in this run. The key is marked before the
    // alert appears, so a second request while the first is still on screen
    // shows nothing. GUI thread only.
    static void showOnce(const std::string& key, const std::string& title, const std::string& message);
    static void showOnce(const ShowOnceAlert& alert) { showOnce(alert.key, alert.title, alert.message); }

    // The same, always queued to the GUI thread (also when called there);
    // returns at once. Safe from any thread.
    static void showOnceOnMain(const std::string& key, const std::string& title, const std::string& message);
    static void showOnceOnMain(const ShowOnceAlert& alert) { showOnceOnMain(alert.key, alert.title, alert.message); }

    // A critical alert with one "OK" button; `onDismiss` runs when the user
    // has closed it. GUI thread only.
    static void showError(const std::string& title, const std::string& message, std::function<void()> onDismiss = {});
    // The same without the error's icon, for what is a state and no fault
    // ("No profiles saved").
    static void showNotice(const std::string& title, const std::string& message);

    // The alert for a hot key that could not be registered: "Choose Different
    // Hotkey" (the default) or "Cancel". `onChoice` receives true only for
    // "Choose Different Hotkey". The tip under it names up to two of
    // `freeChords` (chords known to be free); `armedOnCancel`, the chord
    // Cancel arms when it is not Option+Space, is said after the text.
    // GUI thread only.
    static void showHotkeyConflict(const KeyCombination& combination, std::function<void(bool chosen)> onChoice,
                                   const std::vector<KeyCombination>& freeChords = {},
                                   const std::optional<KeyCombination>& armedOnCancel = std::nullopt);

    static std::string hotkeyConflictTitle();
    // The informative text of the conflict alert for a combination.
    static std::string hotkeyConflictText(const KeyCombination& combination,
                                          const std::optional<KeyCombination>& armedOnCancel = std::nullopt);
    // What a conflict alert adds when Cancel arms another chord than
    // Option+Space (the window manager holds it): "If you cancel, … opens
    // the dial instead."
    static std::string cancelText(const KeyCombination& armedOnCancel);
    // The notice for such a chord armed with no alert up: `taken` and
    // Option+Space are in use, `armed` opens the dial.
    static std::string alternativeText(const KeyCombination& taken, const KeyCombination& armed);
};

// Modifier flag masks of the key events the stored combinations were
// recorded from (only the low 32 bits matter).
namespace eventflag {
inline constexpr std::uint64_t kCapsLock = 0x10000;
inline constexpr std::uint64_t kShift = 0x20000;
inline constexpr std::uint64_t kControl = 0x40000;
inline constexpr std::uint64_t kOption = 0x80000;
inline constexpr std::uint64_t kCommand = 0x100000;
inline constexpr std::uint64_t kNumericPad = 0x200000;
inline constexpr std::uint64_t kHelp = 0x400000;
inline constexpr std::uint64_t kFunction = 0x800000;
}  // namespace eventflag

// Event modifier flags to the Carbon mask: shift 0x200, control 0x1000,
// option 0x800, command 0x100; every other flag (Caps Lock, keypad, help,
// function) is dropped. Pure.
std::uint32_t carbonModifiers(std::uint64_t eventFlags);

// The same for a Qt key event's modifiers: Meta (Super) is command, Alt is
// option; the keypad and group-switch modifiers are dropped. Pure. (A
// separate name: a plain Qt::KeyboardModifier would otherwise convert to
// the integer overload.)
std::uint32_t carbonModifiersFromQt(Qt::KeyboardModifiers modifiers);

}  // namespace orbel
