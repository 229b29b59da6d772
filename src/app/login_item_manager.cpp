#include "app/login_item_manager.h"

namespace orbel {

LoginItemManager::LoginItemManager(platform::LoginItem& backend, QObject* parent)
    : QObject(parent), backend_(backend), enabled_(backend.isEnabled()) {}

LoginItemManager& LoginItemManager::shared() {
    static auto* manager = new LoginItemManager;
    return *manager;
}

void LoginItemManager::setEnabled(bool enabled) {
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
