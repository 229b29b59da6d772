#include "ui/wheel_guard.h"

#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QScrollBar>
#include <QWheelEvent>

namespace orbel::ui {
namespace {

// The control an event for `object` is meant for (a spin box for its line
// edit), or none. A scroll bar is the page's own and keeps the wheel.
QWidget* wheelControl(QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || qobject_cast<QScrollBar*>(widget)) return nullptr;
    if (qobject_cast<QAbstractSlider*>(widget) || qobject_cast<QAbstractSpinBox*>(widget) ||
        qobject_cast<QComboBox*>(widget))
        return widget;
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(widget->parentWidget())) return spin;
    return nullptr;
}

// The scrolling page whose content holds `control`, or none.
QAbstractScrollArea* scrollingPage(QWidget* control) {
    for (QWidget* up = control->parentWidget(); up; up = up->parentWidget()) {
        auto* area = qobject_cast<QAbstractScrollArea*>(up);
        if (area && area->viewport()->isAncestorOf(control)) return area;
        if (up->isWindow()) break;
    }
    return nullptr;
}

class WheelFocusRule : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel && event->type() != QEvent::Polish) return false;
        QWidget* control = wheelControl(watched);
        if (!control) return false;
        QAbstractScrollArea* page = scrollingPage(control);
        if (!page) return false;
        if (event->type() == QEvent::Polish) {
            // The wheel never gives focus (Qt gives it before any filter runs).
            if ((control->focusPolicy() & Qt::WheelFocus) == Qt::WheelFocus) control->setFocusPolicy(Qt::StrongFocus);
            return false;
        }
        if (control->hasFocus()) return false;
        const auto* wheel = static_cast<QWheelEvent*>(event);
        QWidget* viewport = page->viewport();
        QWheelEvent forwarded(viewport->mapFromGlobal(wheel->globalPosition()), wheel->globalPosition(),
                              wheel->pixelDelta(), wheel->angleDelta(), wheel->buttons(), wheel->modifiers(),
                              wheel->phase(), wheel->inverted(), wheel->source());
        QCoreApplication::sendEvent(viewport, &forwarded);
        return true;
    }
};

}  // namespace

void keepWheelForFocusedControls() {
    static QObject* rule = nullptr;
    if (rule || !qApp) return;
    rule = new WheelFocusRule(qApp);
    qApp->installEventFilter(rule);
}

}  // namespace orbel::ui
