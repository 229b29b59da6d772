#pragma once

// The one way a sheet, a picker, a file dialog or a confirmation opens over
// the window it belongs to. GUI thread.

#include <QDialog>
#include <functional>

namespace orbel::ui {

// Opens `sheet` window-modal over its parent with open(), to be deleted when
// it closes and kept to the free area of its screen (keepOnScreen): a sheet
// taller than a small screen is made shorter, its content scrolls and its
// buttons stay on the screen. `onClosed` runs when it closes, saved or not.
// Nothing for a null sheet; returns `sheet`.
QDialog* openSheet(QDialog* sheet, std::function<void()> onClosed = {});

}  // namespace orbel::ui
