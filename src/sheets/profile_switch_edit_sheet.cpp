#include "sheets/profile_switch_edit_sheet.h"

#include <QLabel>
#include <QLineEdit>
#include <utility>

#include "sheets/sheet_parts.h"

namespace orbel {

ProfileSwitchEditSheet::ProfileSwitchEditSheet(const std::optional<SlotConfig>& existing,
                                               std::function<void(const SlotConfig&)> onSave, QWidget* parent)
    : SlotSheet(QStringLiteral("person.crop.rectangle.stack"), tr("Opens a dial of every saved profile."), 
                slotEditSize(SlotEditSize::compact), std::move(onSave), parent),
      model_(existing) {
    hasChanges = [this] { return model_.hasChanges(); };
    setTitle(QString::fromStdString(model_.sheetTitle()));
    name_ = makeNameField(tr("Profiles"), model_.title, this);
    setFirstField(name_);
    addFormItem(new SlotEditFormRow(tr("Display name"), name_));
    caption_ = new QLabel;
    caption_->setFont(sheetFont(SheetText::caption));
    caption_->setWordWrap(true);
    setTextColor(caption_, secondaryColor(caption_->palette()));
    addFormItem(caption_);
    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) { model_.title = text.toStdString(); });
    this->onSave = [this] { save(); };
    setCanSave(model_.canSave());
}

ProfileSwitchEditSheet::~ProfileSwitchEditSheet() { deleteForm(); }

QString ProfileSwitchEditSheet::captionText() const { return caption_->text(); }

void ProfileSwitchEditSheet::showEvent(QShowEvent* event) {
    SlotSheet::showEvent(event);
    model_.profileCount = ProfileSwitchEditModel::savedProfileCount();
    caption_->setText(QString::fromStdString(ProfileSwitchEditModel::caption(model_.profileCount)));
}

void ProfileSwitchEditSheet::save() { finish(model_.build()); }

}  // namespace orbel
