#pragma once

// The General tab: activation (tap or hold, and its binding), the music
// dial's hot key, tray and login switches, then dial size and appearance.
// Every control forwards to `PreferencesModel`; `refresh` shows its state.

#include <QWidget>
#include <array>

#include "input/hid_button_hook.h"
#include "model/appearance_settings.h"
#include "ui/settings_blocks.h"

class QLabel;
class QPushButton;
class QSlider;
class QStackedWidget;

namespace orbel {

class HoldBindingRecorder;
class HotkeyRecorderView;
class PreferencesModel;
namespace ui {
class SegmentedControl;
class ToggleSwitch;
}  // namespace ui

// The model outlives the tab (the window deletes its pages first).
class GeneralTab : public ui::SettingsPage {
public:
    explicit GeneralTab(PreferencesModel& model, HidButtonCallback* hidButtonDown = nullptr, QWidget* parent = nullptr);
    ~GeneralTab() override;

    HoldBindingRecorder& tapRecorder() { return *tapRecorder_; }
    HoldBindingRecorder& holdRecorder() { return *holdRecorder_; }
    HotkeyRecorderView* musicRecorder() const { return musicRecorder_; }
    ui::SettingsRow* row(appearance_settings::Row row) const { return appearanceRows_[static_cast<std::size_t>(row)]; }

private:
    QWidget* makeActivationSection();
    QWidget* makeTrayAndLoginSection();
    QWidget* makeDialSizeSection();
    QWidget* makeAppearanceSection();
    QWidget* sliderRow(const char* name, const AppearanceRange& range, double AppearanceConfig::*field, bool percent);
    QWidget* colorField(bool backdrop);
    void follow(HoldBindingRecorder& recorder, void (PreferencesModel::*set)(bool));
    // Starts or ends `recorder`'s recording as the model says; a recording
    // started here scrolls `view`, which shows it, into sight first.
    void syncRecorder(HoldBindingRecorder& recorder, QWidget* view, bool modelRecording,
                      void (PreferencesModel::*set)(bool));
    void refresh();

    PreferencesModel& model_;
    std::unique_ptr<HoldBindingRecorder> tapRecorder_;
    std::unique_ptr<HoldBindingRecorder> holdRecorder_;
    HotkeyRecorderView* musicRecorder_ = nullptr;

    ui::SegmentedControl* activation_ = nullptr;
    ui::SettingsRow* bindingRow_ = nullptr;
    QStackedWidget* bindingStack_ = nullptr;
    QWidget* tapView_ = nullptr;
    QWidget* holdView_ = nullptr;
    QPushButton* resetHotkey_ = nullptr;
    QStackedWidget* musicStack_ = nullptr;
    QPushButton* clearMusic_ = nullptr;
    ui::ToggleSwitch* showInTray_ = nullptr;
    ui::ToggleSwitch* openAtLogin_ = nullptr;
    ui::SettingsRow* loginRow_ = nullptr;
    QSlider* dialSize_ = nullptr;
    QLabel* dialSizeValue_ = nullptr;
    std::array<ui::SettingsRow*, 8> appearanceRows_{};
    std::array<ui::SegmentedControl*, 3> pickers_{};
    std::vector<std::function<void()>> refreshers_;
};

}  // namespace orbel
