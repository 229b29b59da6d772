#pragma once

// Watches the user's input everywhere while an overlay of ours is up,
// without taking it from anyone: pointer motion and mouse buttons over any
// window (ours or another application's), and switches of the virtual
// desktop. Listen-only; needs input-monitoring access (Permissions).

#include <QObject>

#include "platform/shared_instance.h"

namespace orbel::platform {

class PointerWatch : public QObject, public Shared<PointerWatch> {
    Q_OBJECT

public:
    using QObject::QObject;
    ~PointerWatch() override = default;

    // Starts reporting; false (and no reports) when input cannot be watched.
    // GUI thread; the signals arrive on the GUI thread.
    virtual bool start() = 0;
    virtual void stop() = 0;

Q_SIGNALS:
    void pointerMoved();
    // Mouse buttons in the stored numbering (0 left, 1 right, 2 middle, 3...).
    void buttonPressed(int button);
    void buttonReleased(int button);
    void desktopChanged();

private:
    friend Shared<PointerWatch>;
    static PointerWatch& makeShared();
};

}  // namespace orbel::platform
