#pragma once

// The real sheet factory: every per-kind slot sheet and the group editor,
// made (not opened) for the page, the group editor and the edit dispatcher.
// The owners open what it makes window-modal with open().

#include <QDialog>
#include <functional>
#include <optional>

#include "editor/picker_models.h"
#include "model/slot_config.h"
#include "sheets/slot_edit_dispatcher.h"

namespace orbel {

// The factory of the settings window.
SlotSheetFactory makeSlotSheetFactory();

// The editor a new slot of an Add Slot kind opens.
SlotEditorKind editorKindFor(editor::AddSlotKind kind);

}  // namespace orbel
