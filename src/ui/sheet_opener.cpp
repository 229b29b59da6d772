#include "ui/sheet_opener.h"

#include "ui/controls.h"
#include "ui/popup_placement.h"

namespace orbel::ui {

QDialog* openSheet(QDialog* sheet, std::function<void()> onClosed) {
    if (!sheet) return nullptr;
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    if (onClosed) QObject::connect(sheet, &QDialog::finished, sheet, [onClosed = std::move(onClosed)](int) { onClosed(); });
    keepOnScreen(sheet);
    // The style draws a focused default button as an unfocused one.
    markDefaultButtons(sheet);
    sheet->open();
    return sheet;
}

}  // namespace orbel::ui
