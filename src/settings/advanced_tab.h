#pragma once

// The Advanced tab: the keys the open dial answers (close, go back), where
// the configuration file is (show it, reload it), updates, and the reset of
// all settings. Forwards to `PreferencesModel`.

#include "ui/settings_blocks.h"

namespace orbel {

class MenuKeyRecorder;
class PreferencesModel;
namespace ui {
class ElidedLabel;
}

class AdvancedTab : public ui::SettingsPage {
public:
    explicit AdvancedTab(PreferencesModel& model, QWidget* parent = nullptr);

private:
    void makeUpdatesRow(ui::SettingsSection* section);
    void refresh();

    PreferencesModel& model_;
    MenuKeyRecorder* closeKey_;
    MenuKeyRecorder* goBackKey_;
    ui::ElidedLabel* path_;
};

}  // namespace orbel
