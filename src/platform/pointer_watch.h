#pragma once

// Watches the pointer everywhere while an overlay of ours is up, without
// taking anything from anyone: its motion over any window (ours or another
// application's), and switches of the virtual desktop (listen-only; needs
// input-monitoring access, see Permissions; buttons are InputMonitor's).
// Also keeps invisible click catchers: windows that show nothing and take
// the clicks landing on them, so that they reach no other application.
// Coordinates are the display server's device pixels.

#include <QObject>
#include <QPoint>
#include <QRect>
#include <optional>
#include <vector>

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

    // Puts click catchers over `areas`, above every other window, replacing
    // the previous ones (kept and reused); an empty list takes them off the
    // screen. Does not wait for the server: a window of ours shown at the
    // same moment may end up below them, and its clicks then arrive as
    // catcher presses. False when there can be none.
    virtual bool setClickCatchers(const std::vector<QRect>& areas) = 0;

    // Where the pointer is now, in device pixels, asked of the display
    // server (whether watching or not); nothing where it cannot be asked.
    // Unlike Qt's cursor position it is not rounded to a whole point, so on
    // a screen with a device pixel ratio it still tells the screen's last
    // column and row from the next screen's first.
    virtual std::optional<QPoint> position() const { return std::nullopt; }

Q_SIGNALS:
    // At most once per turn of the event loop; with the last position when an
    // event brought one (motion over a catcher), else (raw motion, which
    // carries none) without.
    void pointerMoved(std::optional<QPoint> position);
    void desktopChanged();
    // On a catcher: a press (with the catcher's index in the list given, the
    // button in the stored numbering: 0 left, 1 right, 2 middle, 3...), and
    // the motion with the left button held and the release that follow it.
    void catcherPressed(int catcher, int button, QPoint position);
    void catcherDragged(QPoint position);
    void catcherReleased(int button);

private:
    friend Shared<PointerWatch>;
    static PointerWatch& makeShared();
};

}  // namespace orbel::platform
