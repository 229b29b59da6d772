#include "sheets/profile_switch_edit_sheet.h"

#include <QLabel>
#include <QLineEdit>
#include <utility>

#include "sheets/sheet_parts.h"

namespace orbel {

ProfileSwitchEditSheet::ProfileSwitchEditSheet(const std::optional<SlotConfig>& existing,
                                               std::function<void(const SlotConfig&)> onSave, QWidget* parent)
    : SlotEditChromeSheet(QStringLiteral("person.crop.rectangle.stack"), QString(),
                          tr("Opens a dial of every saved profile."), SlotEditSize::compact, parent),
      model_(existing),
      onSaveSlot_(std::move(onSave)) {
    setTitle(QString::fromStdString(model_.sheetTitle()));
    name_ = makeNameField(tr("Profiles"), model_.title, this);
    addFormItem(new SlotEditFormRow(tr("Display name"), name_));
    caption_ = new QLabel;
    caption_->setFont(sheetFont(SheetText::caption));
    caption_->setWordWrap(true);
    QPalette secondary = caption_->palette();
    secondary.setColor(QPalette::WindowText, secondaryColor(secondary));
    caption_->setPalette(secondary);
    addFormItem(caption_);
    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) { model_.title = text.toStdString(); });
    this->onSave = [this] { save(); };
    setCanSave(model_.canSave());
}

ProfileSwitchEditSheet::~ProfileSwitchEditSheet() { deleteForm(); }

QString ProfileSwitchEditSheet::captionText() const { return caption_->text(); }

void ProfileSwitchEditSheet::showEvent(QShowEvent* event) {
    SlotEditChromeSheet::showEvent(event);
    model_.profileCount = ProfileSwitchEditModel::savedProfileCount();
    caption_->setText(QString::fromStdString(ProfileSwitchEditModel::caption(model_.profileCount)));
    name_->setFocus(Qt::OtherFocusReason);
}

void ProfileSwitchEditSheet::save() {
    if (auto report = std::exchange(onSaveSlot_, nullptr)) report(model_.build());
    accept();
}

}  // namespace orbel
