#pragma once

// Keyboard walks: a key pressed where the focus is, and whether the control
// that has the focus shows in its window.

#include <QAbstractScrollArea>
#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace orbel::testing {

// Presses `key` on the focused widget; the widget the focus went to.
inline QWidget* press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* from = QApplication::focusWidget();
    if (!from) return nullptr;
    QTest::keyClick(from, key, modifiers);
    return QApplication::focusWidget();
}

// Whether `control` shows: inside the viewport of every scroll area around
// it (or filling it, when larger) and inside its window.
inline ::testing::AssertionResult inView(QWidget* control) {
    const auto where = [control](QWidget* in) { return QRect(control->mapTo(in, QPoint()), control->size()); };
    const auto fails = [control](QWidget* in, const QRect& at) {
        return ::testing::AssertionFailure()
               << control->metaObject()->className() << " \"" << control->objectName().toStdString() << "\" at y "
               << at.y() << " (height " << at.height() << ") in a " << in->height() << "-high "
               << in->metaObject()->className();
    };
    for (QWidget* up = control->parentWidget(); up && !up->isWindow(); up = up->parentWidget()) {
        auto* area = qobject_cast<QAbstractScrollArea*>(up);
        if (!area || !area->viewport()->isAncestorOf(control)) continue;
        const QRect view = area->viewport()->rect(), at = where(area->viewport());
        const bool shown = at.height() > view.height() ? at.intersected(view).height() == view.height()
                                                       : view.contains(at);
        if (!shown) return fails(area->viewport(), at);
    }
    QWidget* window = control->window();
    const QRect at = where(window);
    if (at.height() <= window->height() && !window->rect().contains(at)) return fails(window, at);
    return ::testing::AssertionSuccess();
}

}  // namespace orbel::testing
