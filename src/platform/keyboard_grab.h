#pragma once

// Taking the keyboard for one of our windows, so that every key comes to it
// whatever window had the focus.

#include <functional>

class QWindow;

namespace orbel::platform {

// Asks for the keyboard for `window` (shown) without waiting for the window
// system's answer: keys pressed from now on come to it if the grab takes.
// `done` hears whether it did on a later turn of the event loop (GUI
// thread), never inside this call. Another client holding the keyboard
// makes it fail; the caller may ask again. Once granted, the keys our own
// hot key's grab took in just before (typed as the window showed, up to a
// second of server time before the grab) come to the window as well, in
// the order they were typed among the keys that come to it directly;
// releases of keys pressed before (the chord's modifiers) do not.
void grabKeyboardFor(QWindow& window, std::function<void(bool granted)> done);

// Gives the keyboard back (nothing when it was not ours).
void releaseKeyboardOf(QWindow& window);

}  // namespace orbel::platform
