#pragma once

// Creates or edits a profile switcher slot: only its display name (blank
// gives "Profiles"), with a caption counting the saved profiles, read each
// time the sheet is shown. Save is always allowed; it hands a new slot
// (fresh id, automatic icon, global scope) to `onSave` once and closes.

#include <functional>
#include <optional>

#include "model/slot_config.h"
#include "sheets/profile_switch_edit_model.h"
#include "sheets/sheet_parts.h"

class QLineEdit;

namespace orbel {

class ProfileSwitchEditSheet : public SlotSheet {
    Q_OBJECT
public:
    ProfileSwitchEditSheet(const std::optional<SlotConfig>& existing, std::function<void(const SlotConfig&)> onSave,
                           QWidget* parent = nullptr);
    ~ProfileSwitchEditSheet() override;

    const ProfileSwitchEditModel& model() const { return model_; }
    QLineEdit* nameField() const { return name_; }
    QString captionText() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void save();
    ProfileSwitchEditModel model_;
    QLineEdit* name_;
    QLabel* caption_;
};

}  // namespace orbel
