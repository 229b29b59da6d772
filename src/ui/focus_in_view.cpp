#include "ui/focus_in_view.h"

#include <QApplication>
#include <QScrollArea>

#include "ui/controls.h"

namespace orbel::ui {

void keepFocusInView(QScrollArea* area, int margin) {
    static const char* const kKept = "orbelFocusInView";
    if (!area || area->property(kKept).toBool()) return;
    area->setProperty(kKept, true);
    QWidget* self = area;
    QObject::connect(qApp, &QApplication::focusChanged, area, [self, margin](QWidget*, QWidget* now) {
        // Not while the area goes: closing a window moves the focus.
        auto* scroll = qobject_cast<QScrollArea*>(self);
        QWidget* content = scroll ? scroll->widget() : nullptr;
        if (!now || !content || !content->isAncestorOf(now)) return;
        // A click's focus is under the pointer, and the focus the window
        // gets back is where the user left the page.
        if (!focusMovedByKeyboard(now)) return;
        scroll->ensureWidgetVisible(now, margin, margin);
    });
}

}  // namespace orbel::ui
