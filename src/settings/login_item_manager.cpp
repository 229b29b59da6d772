#include "settings/login_item_manager.h"

namespace orbel {

LoginItemManager::LoginItemManager(platform::LoginItem& backend, QObject* parent)
    : QObject(parent), backend_(backend), enabled_(backend.isEnabled()) {}

LoginItemManager& LoginItemManager::shared() {
    static auto* manager = new LoginItemManager;
    return *manager;
}

void LoginItemManager::setEnabled(bool enabled) {
    // The old error goes before the new attempt, so a view shows that a
    // retry happened even when it fails the same way.
    if (lastError_) {
        lastError_.reset();
        Q_EMIT changed();
    }
    lastError_ = enabled ? backend_.enable() : backend_.disable();
    enabled_ = backend_.isEnabled();
    Q_EMIT changed();
}

void LoginItemManager::refresh() {
    const bool now = backend_.isEnabled();
    if (now == enabled_) return;
    enabled_ = now;
    Q_EMIT changed();
}

}  // namespace orbel
