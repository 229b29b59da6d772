#pragma once

// A scroll area keeps the control with the keyboard focus in sight. Qt
// scrolls to a control that Tab reaches from inside the area only; this
// follows the focus however it comes: Tab from outside the area (a tab bar,
// a sheet's buttons, a wrap from the last control to the first), Shift+Tab,
// or a control given the focus by the program after a key. A control a
// click focused is under the pointer and stays where it is, and the focus
// a window gets back as it becomes active again moves no page: the user may
// have scrolled it since. GUI thread.

class QScrollArea;

namespace orbel::ui {

// From now on, for as long as `area` lives, with `margin` around the control
// where there is room. Calling it twice changes nothing.
void keepFocusInView(QScrollArea* area, int margin = 50);

}  // namespace orbel::ui
