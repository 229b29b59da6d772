#pragma once

// Controls behave as on a Linux desktop: a slider, spin box or combo box in
// a scrolling page takes the wheel only when it has focus; otherwise the
// wheel scrolls the page, so scrolling past a control never changes (and
// saves) a setting. Such controls take focus by click or Tab, not by the
// wheel.
//
// One rule for the whole program: an application event filter, installed
// by the first scrolling page that is made (settings pages, sheet forms,
// pickers). GUI thread.

namespace orbel::ui {

// Installs the rule once; later calls do nothing.
void keepWheelForFocusedControls();

}  // namespace orbel::ui
