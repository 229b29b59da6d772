#include "ui/focus_in_view.h"

#include <QApplication>
#include <QScrollArea>

namespace orbel::ui {

void keepFocusInView(QScrollArea* area) {
    static const char* const kKept = "orbelFocusInView";
    if (!area || area->property(kKept).toBool()) return;
    area->setProperty(kKept, true);
    QObject::connect(qApp, &QApplication::focusChanged, area, [area](QWidget*, QWidget* now) {
        QWidget* content = area->widget();
        if (!now || !content || !content->isAncestorOf(now)) return;
        if (QGuiApplication::mouseButtons() != Qt::NoButton) return;  // a click's focus
        area->ensureWidgetVisible(now);
    });
}

}  // namespace orbel::ui
