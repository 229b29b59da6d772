#include "platform/status_item.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QSystemTrayIcon>

namespace orbel::platform {
namespace {

class TrayStatusItem final : public StatusItem {
public:
    TrayStatusItem() {
        QObject::connect(&icon_, &QSystemTrayIcon::activated, &icon_, [this](QSystemTrayIcon::ActivationReason reason) {
            if ((reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) && onClick_) onClick_();
        });
        icon_.setContextMenu(&menu_);
    }
    ~TrayStatusItem() override { icon_.hide(); }

    void setIcon(const QIcon& icon, const std::string& tooltip) override {
        icon_.setIcon(icon);
        icon_.setToolTip(QString::fromStdString(tooltip));
        icon_.show();
    }

    void setMenu(std::vector<StatusMenuEntry> entries) override {
        menu_.clear();
        for (auto& entry : entries) {
            if (entry.title.empty()) {
                menu_.addSeparator();
                continue;
            }
            QAction* action = menu_.addAction(QString::fromStdString(entry.title));
            if (!entry.shortcut.empty()) action->setShortcut(QKeySequence(QString::fromStdString(entry.shortcut)));
            QObject::connect(action, &QAction::triggered, action, [run = std::move(entry.action)] {
                if (run) run();
            });
        }
    }

    void setOnPrimaryClick(std::function<void()> onClick) override { onClick_ = std::move(onClick); }

private:
    QMenu menu_;
    QSystemTrayIcon icon_;
    std::function<void()> onClick_;
};

class SystemTrayItems final : public StatusItems {
public:
    bool isTrayAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }
    std::unique_ptr<StatusItem> make() override { return std::make_unique<TrayStatusItem>(); }
};

}  // namespace

StatusItems& StatusItems::makeShared() { return processLifetimeInstance<SystemTrayItems>(); }

}  // namespace orbel::platform
