#pragma once

// Renames a slot whose kind needs nothing else edited (app, action,
// transport, mode switch, profile target, volume scrub): one field for the
// label under the slot. Save (or Return in the field) hands the slot back
// with the trimmed title and everything else as it came, once, and closes.

#include <QImage>
#include <functional>
#include <optional>

#include "model/slot_config.h"
#include "sheets/slot_rename_model.h"
#include "sheets/sheet_parts.h"

class QLineEdit;

namespace orbel {

class SlotRenameSheet : public SlotSheet {
    Q_OBJECT
public:
    // `preview` is the slot's picture in the header (32 x 32); a null image
    // shows none.
    SlotRenameSheet(const SlotConfig& slot, std::function<void(const SlotConfig&)> onSave, const QImage& preview = {},
                    QWidget* parent = nullptr);
    ~SlotRenameSheet() override;

    const SlotRenameModel& model() const { return model_; }
    QLineEdit* titleField() const { return field_; }

private:
    void save();
    SlotRenameModel model_;
    QLineEdit* field_;
};

}  // namespace orbel
