#include "ui/confirmation.h"

#include <QLabel>
#include <QPushButton>

#include "ui/sheet_opener.h"

namespace orbel::ui {

void makeCancelDefault(QMessageBox* box, QPushButton* cancel) {
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
}

void showAsPlainText(QMessageBox* box) {
    box->setTextFormat(Qt::PlainText);
    // QMessageBox leaves the informative text's format to a guess.
    if (auto* informative = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextFormat(Qt::PlainText);
}

QMessageBox* openConfirmation(QWidget* parent, const QString& objectName, const QString& title,
                              const QString& message, const QString& destructiveLabel,
                              std::function<void()> onConfirm, const QString& cancelLabel) {
    auto* box = new QMessageBox(parent);
    box->setObjectName(objectName);
    // Titled as every alert is: the title bar would otherwise name the
    // executable.
    box->setWindowTitle(QStringLiteral("Orbel"));
    box->setIcon(QMessageBox::Warning);
    box->setText(title);
    box->setInformativeText(message);
    showAsPlainText(box);
    auto* destroy = box->addButton(destructiveLabel, QMessageBox::DestructiveRole);
    auto* cancel = cancelLabel.isEmpty() ? box->addButton(QMessageBox::Cancel)
                                         : box->addButton(cancelLabel, QMessageBox::RejectRole);
    makeCancelDefault(box, cancel);
    QObject::connect(box, &QMessageBox::buttonClicked, box,
                     [destroy, onConfirm = std::move(onConfirm)](QAbstractButton* clicked) {
                         if (clicked == destroy && onConfirm) onConfirm();
                     });
    openSheet(box);
    return box;
}

}  // namespace orbel::ui
