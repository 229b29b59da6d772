#pragma once

// The sheet between reading a backup and applying it: what the backup holds,
// merge or replace, and the typed word that guards a replace. It applies
// nothing itself: Restore hands the strategy to `onConfirm`, and the
// presenter closes it.

#include <QDialog>
#include <functional>
#include <utility>
#include <vector>

#include "profiles/backup_restore_model.h"

class QAbstractButton;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QWidget;

namespace orbel {

class BackupRestoreSheet : public QDialog {
    Q_OBJECT
public:
    BackupRestoreSheet(BackupRestoreSheetItem item, QWidget* parent = nullptr);

    BackupRestoreModel& model() { return model_; }
    std::function<void(RestoreStrategy)> onConfirm;

    QPushButton* restoreButton() const { return restore_; }
    QPushButton* cancelButton() const { return cancel_; }
    QLineEdit* confirmField() const { return confirm_; }
    QAbstractButton* card(RestoreStrategy strategy) const;
    void selectStrategy(RestoreStrategy strategy);
    // The stored names and the store's name check, for the sheet's warnings.
    void setStore(std::vector<std::string> storedNames, BackupRestoreModel::NameCheck check);
    QLabel* refusalsLine() const { return refusals_; }
    QLabel* mergeWarningLine() const { return mergeWarning_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void refresh();
    void fitHeight();

    BackupRestoreModel model_;
    QAbstractButton* mergeCard_;
    QAbstractButton* replaceCard_;
    QWidget* confirmBlock_;
    QLabel* refusals_;
    QScrollArea* scroll_;
    std::vector<std::pair<BackupRestoreModel::ProfileRow, QLabel*>> rowMarks_;
    QLabel* mergeWarning_;
    QLineEdit* confirm_;
    QPushButton* cancel_;
    QPushButton* restore_ = nullptr;  // made last
};

}  // namespace orbel
