#pragma once

// The dial's plug-in points for an alternative dial (music mode): the
// provider of its slots and centre, the system volume it drives, and the
// kind of slot that shows a volume level.

#include <QObject>

#include "dial/center_content.h"
#include "slots/menu_slot.h"

namespace orbel {

// An alternative dial. The dial calls activate() when it enters the mode,
// reads slots() and currentCenterContent() then and after every changed()
// signal (which it takes queued, on the GUI thread), and calls deactivate()
// when it leaves the mode. activate() is never called twice without a
// deactivate() between. GUI thread.
class DialModeProvider : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~DialModeProvider() override = default;

    virtual std::vector<MenuSlotPtr> slots() const = 0;
    virtual CenterContent currentCenterContent() const = 0;
    virtual void activate() = 0;
    virtual void deactivate() = 0;

Q_SIGNALS:
    // The slots or the centre content changed and must be read again.
    void changed();
};

// The system output volume, 0...1, and mute. Setters publish at once and
// write to the device without blocking the caller.
class SystemVolumeController : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~SystemVolumeController() override = default;

    virtual double level() const = 0;
    virtual bool isMuted() const = 0;
    virtual void setLevel(double level) = 0;  // held to 0...1
    virtual void setMute(bool muted) = 0;
    virtual void startObserving() = 0;
    virtual void stopObserving() = 0;

Q_SIGNALS:
    void levelChanged(double level);
    void muteChanged(bool muted);
};

// A slot whose wedge draws a volume level (the music dial's volume wedge).
// Its type is volumeScrub; executing it does nothing, the dial's drag and
// click drive it.
class VolumeLevelSlot : public MenuSlot {
public:
    virtual double currentLevel() const = 0;
    virtual bool isMuted() const = 0;
};

}  // namespace orbel
