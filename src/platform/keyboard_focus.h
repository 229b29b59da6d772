#pragma once

// Whether the keys the user types go to one of the program's own windows
// (a window, an alert or a sheet of ours) or to another program's, told the
// moment the keyboard focus moves; and whether the program is still the
// active one. GUI thread only; the signals arrive on the GUI thread.

#include <QObject>

#include "platform/shared_instance.h"

namespace orbel::platform {

class KeyboardFocus : public QObject, public Shared<KeyboardFocus> {
    Q_OBJECT

public:
    using QObject::QObject;
    ~KeyboardFocus() override = default;

    // A window of ours has the keyboard focus now.
    virtual bool inOurWindows() const = 0;

Q_SIGNALS:
    // `inOurWindows` changed, from the event that moved the focus, before
    // any key that follows it. Passing from one window of ours to another
    // it may go out and come back.
    void changed();
    // The focus stayed away from our windows: another program's window is
    // the active one, or none is (another desktop shown).
    void left();

private:
    friend Shared<KeyboardFocus>;
    static KeyboardFocus& makeShared();
};

}  // namespace orbel::platform
