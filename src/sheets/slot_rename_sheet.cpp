#include "sheets/slot_rename_sheet.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <utility>

namespace orbel {

SlotRenameSheet::SlotRenameSheet(const SlotConfig& slot, std::function<void(const SlotConfig&)> onSave,
                                 const QImage& preview, QWidget* parent)
    : SlotSheet(QString(), QString::fromStdString(SlotRenameModel::targetSubtitle(slot)), QSize(420, 240),
                std::move(onSave), parent),
      model_(slot) {
    hasChanges = [this] { return model_.hasChanges(); };
    QPixmap picture;
    if (!preview.isNull()) {
        picture = QPixmap::fromImage(preview.scaled(QSize(32, 32) * devicePixelRatioF(), Qt::KeepAspectRatio,
                                                    Qt::SmoothTransformation));
        picture.setDevicePixelRatio(devicePixelRatioF());
    }
    setTitle(tr("Edit Slot"));
    setHeaderPicture(picture);
    elideSubtitle(420 - 40 - (picture.isNull() ? 0 : 32 + 12));
    setFormSpacing(6);
    setFormScrolls(false);
    auto* label = new QLabel(tr("Display name"));
    label->setFont(sheetFont(SheetText::subheadline, QFont::DemiBold));
    addFormItem(label);
    field_ = new QLineEdit(QString::fromStdString(model_.title));
    setFirstField(field_);
    field_->setPlaceholderText(tr("Slot label"));
    addFormItem(field_);
    auto* help = new QLabel(tr("Shown under the slot when the dial is open. The icon comes from the system."));
    help->setFont(sheetFont(SheetText::caption));
    help->setWordWrap(true);
    setTextColor(help, secondaryColor(help->palette()));
    addFormItem(help);
    // Return in the field reaches Save through the dialog's default button.
    connect(field_, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_.title = text.toStdString();
        setCanSave(model_.canSave());
    });
    this->onSave = [this] { save(); };
    setCanSave(model_.canSave());
}

SlotRenameSheet::~SlotRenameSheet() { deleteForm(); }


void SlotRenameSheet::save() { finish(model_.build()); }

}  // namespace orbel
