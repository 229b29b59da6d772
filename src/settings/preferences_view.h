#pragma once

// The settings window's root: the tab bar over the selected tab's page, and
// the window-modal alerts of its model. Pages are made the first time their
// tab is chosen and kept while the window lives. The window closed or
// hidden ends every recording. The view lays out and forwards; what happens
// lives in `PreferencesModel`. GUI thread.

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

#include "input/hid_button_hook.h"
#include "settings/preferences_model.h"


class QStackedWidget;

namespace orbel {

namespace ui {
class SettingsTabBar;
}

class PreferencesView : public QWidget {
    Q_OBJECT
public:
    // `hidButtonDown`: the HID++ listener's down callback field, for the
    // binding recorders; none without a listener.
    PreferencesView(ConfigManager& config, HotkeyManager& hotkeys, LoginItemManager& loginItem,
                    ImportCoordinator& import, HidButtonCallback* hidButtonDown = nullptr, QWidget* parent = nullptr);
    ~PreferencesView() override;

    PreferencesModel& model() { return *model_; }
    QWidget* page(SettingsTab tab) const { return pages_[static_cast<std::size_t>(tab)]; }
    ui::SettingsTabBar* tabBar() const { return tabBar_; }
    QMessageBox* alertBox() const { return alertBox_; }

    // The window's size where the screen has room for it.
    static constexpr int kWidth = 920;
    static constexpr int kHeight = 640;

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showSelectedTab();
    QWidget* makePage(SettingsTab tab);
    void presentAlert();

    std::unique_ptr<PreferencesModel> model_;
    HidButtonCallback* hidButtonDown_;
    ui::SettingsTabBar* tabBar_;
    QStackedWidget* stack_;
    std::array<QWidget*, kAllSettingsTabs.size()> pages_{};
    QPointer<QMessageBox> alertBox_;
};

}  // namespace orbel
