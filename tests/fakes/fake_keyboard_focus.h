#pragma once

// Where the test says the keyboard focus is.

#include "platform/keyboard_focus.h"

namespace orbel::fakes {

class FakeKeyboardFocus : public platform::KeyboardFocus {
public:
    bool inOurWindows() const override { return ours; }

    // Another program's window becomes the active one.
    void leave() {
        ours = false;
        Q_EMIT changed();
        Q_EMIT left();
    }
    void enter() {
        ours = true;
        Q_EMIT changed();
    }

    bool ours = true;
};

}  // namespace orbel::fakes
