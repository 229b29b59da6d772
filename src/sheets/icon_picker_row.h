#pragma once

// The icon row of an editor sheet: a tile with the current icon (pressing it
// asks for the icon chooser), two lines naming the icon, "Choose…", and,
// unless the icon is the automatic one, a reset to it. The row keeps no
// state: it shows what it is given and reports what the user asks for.

#include <QWidget>
#include <functional>

#include "model/slot_icon.h"

class QAbstractButton;
class QLabel;
class QPushButton;
class QToolButton;

namespace orbel {

class SlotIconView;

class IconPickerRow : public QWidget {
    Q_OBJECT
public:
    explicit IconPickerRow(SlotIcon icon, QWidget* parent = nullptr);

    const SlotIcon& icon() const { return icon_; }
    void setIcon(SlotIcon icon);

    // The tile and "Choose…" call this.
    std::function<void()> onOpen;
    // Told of every change the row makes itself (the reset).
    std::function<void(const SlotIcon&)> onChange;

    QAbstractButton* tile() const;
    QPushButton* chooseButton() const { return choose_; }
    QToolButton* resetButton() const { return reset_; }
    QString titleText() const;
    QString subtitleText() const;

private:
    void refresh();
    SlotIcon icon_;
    QAbstractButton* tile_;
    SlotIconView* preview_;
    QLabel* title_;
    QLabel* subtitle_;
    QPushButton* choose_;
    QToolButton* reset_;
};

// Opens the icon chooser over `parent` for `current`; `apply` receives the
// icon the user applies (Cancel reports nothing). The sheets open the
// chooser only through this, so the chooser can be replaced in one place.
using IconPickerOpener =
    std::function<void(QWidget* parent, const SlotIcon& current, std::function<void(const SlotIcon&)> apply)>;
void openIconPicker(QWidget* parent, const SlotIcon& current, std::function<void(const SlotIcon&)> apply);
// Replaces the opener; an empty one restores the shared icon picker.
void setIconPickerOpener(IconPickerOpener opener);

}  // namespace orbel
