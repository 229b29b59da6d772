#include "ui/teardown.h"

#include <QObject>

namespace orbel::ui {

void detachChildren(QObject* view) {
    for (QObject* child : view->findChildren<QObject*>()) QObject::disconnect(child, nullptr, view, nullptr);
}

}  // namespace orbel::ui
