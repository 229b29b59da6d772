#include "dial/app_lifecycle_manager.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace orbel::dial {

AppLifecycleManager::AppLifecycleManager(std::function<void()> hideDial, QObject* parent)
    : QObject(parent), hideDial_(std::move(hideDial)) {}

bool AppLifecycleManager::isSettingsWindow(const QString& title) {
    const QString lower = title.toLower();
    return lower.contains(QLatin1String("settings")) || lower.contains(QLatin1String("preferences"));
}

void AppLifecycleManager::configure() {
    if (configured_) return;
    configured_ = true;
    qApp->installEventFilter(this);
}

bool AppLifecycleManager::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::WindowActivate && type != QEvent::Close) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !widget->isWindow() || !isSettingsWindow(widget->windowTitle())) return false;
    if (type == QEvent::WindowActivate) {
        setOpen(true);
        if (hideDial_) hideDial_();
    } else {
        setOpen(false);
        // Back to the tray alone: the last window closing never quits.
        QGuiApplication::setQuitOnLastWindowClosed(false);
    }
    return false;
}

void AppLifecycleManager::setOpen(bool open) {
    if (settingsWindowOpen_ == open) return;
    settingsWindowOpen_ = open;
    Q_EMIT settingsWindowOpenChanged(open);
}

}  // namespace orbel::dial
