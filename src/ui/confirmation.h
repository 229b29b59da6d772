#pragma once

// The confirmation of something that cannot be undone (deleting a profile,
// removing an application's dial): a window-modal alert over `parent` with
// the destructive button and Cancel, Cancel being the default and the
// escape button, so Return or Escape never destroys anything. Opened with
// open(); `onConfirm` runs only when the destructive button is clicked. The
// box is titled "Orbel", as every alert is, and deletes itself when it closes. `cancelLabel` names the Cancel button
// when it should say more ("Keep Editing"). GUI thread.

#include <QMessageBox>
#include <functional>

namespace orbel::ui {

QMessageBox* openConfirmation(QWidget* parent, const QString& objectName, const QString& title,
                              const QString& message, const QString& destructiveLabel,
                              std::function<void()> onConfirm, const QString& cancelLabel = QString());

// The rule every such confirmation follows, for alerts built elsewhere:
// `cancel` becomes the default and the escape button.
void makeCancelDefault(QMessageBox* box, QPushButton* cancel);

// Shows the box's text and informative text (set before) as they stand,
// never as markup: they may name a profile, an application or a file.
// Every confirmation does.
void showAsPlainText(QMessageBox* box);

}  // namespace orbel::ui
