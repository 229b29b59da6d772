#pragma once

// Form parts several slot editor sheets share.

#include <QString>
#include <functional>
#include <string>

#include "model/slot_icon.h"

class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace orbel {

class IconPickerRow;
class SlotEditFormRow;

// The single-line name field.
QLineEdit* makeNameField(const QString& placeholder, const std::string& text, QWidget* parent);
// The "Icon" row: an icon picker row whose chooser and reset write through
// `set`.
SlotEditFormRow* makeIconFormRow(const SlotIcon& icon, std::function<void(const SlotIcon&)> set, QWidget* sheet,
                                 IconPickerRow** row);
// The multi-line monospaced editor of script sources and snippets.
QPlainTextEdit* makeSourceEditor(const std::string& text, QWidget* parent);

}  // namespace orbel
