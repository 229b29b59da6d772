#pragma once

// Teardown in any order. A view's members (its model, its recorders) go
// before Qt deletes its child widgets, and a child that goes while shown
// still signals (a recorder stops when it is hidden, a popover dismisses):
// those last signals must not reach the half-destroyed view. A view whose
// children report to it calls `detachChildren(this)` first in its
// destructor; after it, nothing a child emits reaches the view.

class QObject;

namespace orbel::ui {

// Cuts every connection from `view`'s descendants to `view` itself (slots
// and lambdas whose context is the view).
void detachChildren(QObject* view);

}  // namespace orbel::ui
