#include "profiles/profile_icon_picker.h"

#include <QPainter>

#include "icons/icon_picker_view.h"
#include "icons/slot_icon_view.h"
#include "ui/controls.h"
#include "ui/settings_blocks.h"
#include "ui/sheet_opener.h"

namespace orbel {

ProfileIconPicker::ProfileIconPicker(ProfileIconPickerModel model, double size, bool isActive, QWidget* parent)
    : QAbstractButton(parent), model_(std::move(model)), size_(static_cast<int>(size)), active_(isActive) {
    setFixedSize(size_, size_);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Change profile icon"));
    icon_ = new SlotIconView(model_.shownIcon(), size * 0.6, this);
    icon_->setAttribute(Qt::WA_TransparentForMouseEvents);
    const int side = static_cast<int>(size * 0.6);
    icon_->setGeometry((size_ - side) / 2, (size_ - side) / 2, side, side);
    connect(this, &QAbstractButton::clicked, this, &ProfileIconPicker::openPicker);
}

IconPickerView* ProfileIconPicker::picker() const { return picker_; }

void ProfileIconPicker::openPicker() {
    if (picker_) return;
    model_.openPicker();
    auto* picker = new IconPickerView(model_.draft, window());
    connect(picker, &IconPickerView::iconChosen, this, [this](const SlotIcon& icon) { model_.draft = icon; });
    // The write-back may rebuild the list this control sits in: it runs
    // after the picker's own signal has returned.
    connect(picker, &IconPickerView::closed, this, [this] {
        model_.closePicker();
        icon_->setIcon(model_.shownIcon());
    }, Qt::QueuedConnection);
    picker_ = picker;
    ui::openSheet(picker);
}

void ProfileIconPicker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor disc = ui::inkColor(palette(), ui::Ink::secondary);
    disc.setAlphaF(0.10);
    p.setPen(Qt::NoPen);
    p.setBrush(disc);
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    p.drawEllipse(r);
    if (active_) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ui::inkColor(palette(), ui::Ink::primary), 2));
        p.drawEllipse(r);
    }
    if (ui::showsFocusMark(this)) ui::paintFocusMark(p, palette(), r, r.height() / 2);
}

}  // namespace orbel
