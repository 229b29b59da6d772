#pragma once

// The narrow seam between the dial's logic and the windows that carry it.
// The controller decides; a surface shows panels, reports the pointer, the
// screens and the input that reaches the panels, grabs the keyboard and sets
// the cursor. The real surface is a set of frameless, non-activating Qt
// panels; tests use an in-memory one.
//
// Coordinates: global positions are in the desktop's coordinates (top-left
// origin, y down). Everything runs on the GUI thread.

#include <QPointF>
#include <QRect>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orbel {

// One screen of the desktop: its place in the surface's screen list and its
// full frame (not just the work area: panels cover bars and docks too).
struct DialScreen {
    int index = 0;
    QRect frame;
    bool operator==(const DialScreen&) const = default;
};

// Where a left press landed.
enum class DialClickTarget {
    overlay,       // the panel that shows the dial
    ownWindow,     // a catcher panel on another screen, or another window of ours
    foreignWindow  // another application's window (cannot be consumed)
};

// A key press as the dial sees it: the stored key code numbering, the
// modifier mask of chords (command, shift, option, control; nothing else),
// and the character the key gives without modifiers ("," for the comma key
// on any layout that has one).
struct DialKeyEvent {
    std::uint16_t keyCode = 0;
    std::uint32_t modifiers = 0;
    std::string unmodifiedText;
};

// What the surface reports to the dial. Handlers that return bool return
// true when they consumed the event, false to let it go on.
class DialSurfaceListener {
public:
    virtual ~DialSurfaceListener() = default;

    // The pointer moved (anywhere, also while a button is held), to `global`
    // when the event said where; without it the dial reads the pointer's
    // current position itself.
    virtual void pointerMoved(std::optional<QPointF> global) = 0;
    // Left button pressed at `globalPos`.
    virtual bool leftPressed(DialClickTarget target, QPointF globalPos) = 0;
    // The pointer moved with the left button held, and the left button
    // released (both only matter during a volume drag).
    virtual void leftDragged() = 0;
    virtual void leftReleased() = 0;
    // Another mouse button pressed in one of our windows; `button` uses the
    // stored numbering (1 right, 2 middle, 3 back, 4 forward, 5...).
    virtual bool otherButtonPressed(int button) = 0;
    virtual bool keyPressed(const DialKeyEvent& event) = 0;
    // The user's context changed under the dial (focus went elsewhere, the
    // workspace or the screen set changed): the dial closes, after the
    // current event has been handled.
    virtual void dismissRequested() = 0;
};

class DialSurface {
public:
    virtual ~DialSurface() = default;

    // The dial's listener; set once by the controller, before anything is shown.
    virtual void setListener(DialSurfaceListener* listener) = 0;

    // The screens in the system's order, and the main one (nothing when the
    // desktop has none).
    virtual std::vector<DialScreen> screens() const = 0;
    virtual std::optional<DialScreen> mainScreen() const = 0;
    // The pointer's current position, global.
    virtual QPointF pointerPosition() const = 0;
    // Where the pointer is for the dial about to open: as a surface knows it
    // from what opened the dial, else asked for now.
    virtual QPointF openingPointerPosition() { return pointerPosition(); }

    // Shows the overlay panel covering `overlay` (it hosts the dial, drawn at
    // its centre) and an empty catcher panel on each of `catchers`, without
    // taking focus from the application in front, and starts reporting input.
    virtual void present(const DialScreen& overlay, const std::vector<DialScreen>& catchers) = 0;
    // Takes and gives back the keyboard, so that keys reach the dial while
    // the application in front keeps its focus. Called after present and
    // before dismiss.
    virtual void grabKeyboard() = 0;
    virtual void releaseKeyboard() = 0;
    // Hides and drops every panel and stops reporting input.
    virtual void dismiss() = 0;

    // The arrow cursor while the dial is up: pushed once by show, popped once by hide.
    virtual void pushArrowCursor() = 0;
    virtual void popCursor() = 0;
};

}  // namespace orbel
