#pragma once

// The native window of a panel that paints its own soft shadow (the dial):
// a compositor that draws shadows for windows would frame it in a square
// shadow of its own. The panel's window says it wants none, from before
// any compositor first looks at it.

class QWidget;

namespace orbel::platform {

// Makes `panel`'s native window when it has none yet (nothing otherwise),
// marked as a window no compositor draws a shadow for. Call before each
// showing, so that a window made again is marked too. GUI thread.
void createPanelWindow(QWidget& panel);

}  // namespace orbel::platform
