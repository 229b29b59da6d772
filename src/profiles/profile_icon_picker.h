#pragma once

// The round control showing a profile's icon; a click opens the shared icon
// picker as a sheet, whose closing writes the icon back once.

#include <QAbstractButton>
#include <QPointer>

#include "profiles/profile_icon_picker_model.h"

namespace orbel {

class IconPickerView;
class SlotIconView;

class ProfileIconPicker : public QAbstractButton {
    Q_OBJECT
public:
    ProfileIconPicker(ProfileIconPickerModel model, double size, bool isActive, QWidget* parent = nullptr);

    ProfileIconPickerModel& model() { return model_; }
    IconPickerView* picker() const;
    QSize sizeHint() const override { return {size_, size_}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void openPicker();

    ProfileIconPickerModel model_;
    int size_;
    bool active_;
    SlotIconView* icon_;
    QPointer<IconPickerView> picker_;
};

}  // namespace orbel
