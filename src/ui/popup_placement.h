#pragma once

// Where pop-ups and windows go on the screen. Popovers (`Qt::Popup`
// frames) and menus open beside the control or point that opened them and
// stay wholly on the screen holding it: below a button when there is room,
// above it when there is not. The settings window and the sheets fit the
// screen's free area with their title bars on it, and none of our windows
// ever grows past that area, whatever the window manager asks of it. The
// geometry is pure functions; the rest applies them to widgets. GUI thread
// (the pure functions any thread).

#include <QMargins>
#include <QRect>

class QMenu;
class QWidget;

namespace orbel::ui {

// `wanted` kept inside `available` (global coordinates). Along an axis on
// which it crosses an edge it goes to its mirror place across `anchor`
// (below the anchor becomes above it, left of it becomes right of it) when
// more of it shows there; then it is moved, and where larger than
// `available` cut, so that it lies wholly inside.
QRect keepPopupOnScreen(const QRect& wanted, const QRect& anchor, const QRect& available);

// The client rectangle of a window that would be `wanted` large, framed by
// `frame` (title bar and borders): as large as fits `available` with its
// frame, centred there, the frame's top left never outside it.
QRect placeWindow(QSize wanted, const QMargins& frame, const QRect& available);

// Room for a window manager's title bar and borders while it has not said
// how large they are (before a window is first mapped).
inline constexpr QMargins kFrameAllowance{4, 32, 4, 4};

// The largest client size a window framed by `frame` may take on
// `available`: the area less the frame, never less than a pixel.
QSize largestClientSize(const QMargins& frame, const QRect& available);

// `window`'s title bar and borders as the window manager drew them, or
// kFrameAllowance while it has drawn none.
QMargins frameOf(const QWidget* window);

// Keeps the top-level `window` within the free area of the screen it is on:
// its maximum size (and its minimum, where larger) becomes what fits there
// with its frame, now, each time it shows and whenever it moves to another
// screen; what the window asks for itself within that stays its own. A
// window larger than the area shrinks to it. Once per window is enough.
void keepOnScreen(QWidget* window);

// `wanted` made no larger than fits, framed, on the free area of the
// screen that holds `near`: the size of a sheet opened over it.
QSize fitFreeArea(QSize wanted, const QWidget* near);

// A pop-up of `size` centred below `anchor`, `gap` points under it.
QRect centredBelow(const QRect& anchor, QSize size, int gap = 4);

// `widget`'s rectangle in global coordinates.
QRect globalRect(const QWidget* widget);

// The free area (no panels) of the screen that holds `anchor`'s centre,
// or of the primary screen when none does.
QRect availableAreaAt(const QRect& anchor);

// Moves `popup` to `wanted` kept on screen beside `anchor` (global) and shows it.
void showPopup(QWidget* popup, const QRect& wanted, const QRect& anchor);

// Opens a context menu at `at` (global), kept on screen.
void popUpMenu(QMenu* menu, QPoint at);

// A menu that `button` opens (`setMenu`) keeps to the screen beside it
// each time it shows.
void keepMenuBesideButton(QMenu* menu, QWidget* button);

}  // namespace orbel::ui
