#pragma once

// The settings window's Profiles tab: header with the count badge and New,
// the backup row, the two message lines and one row per profile. Every rule
// and text comes from ProfilesTabModel; the sheets (duplicate, restore, the
// delete confirmation) are window-modal and opened with open().

#include <QDialog>
#include <QMessageBox>
#include <QPointer>

#include "profiles/backup_file_panels.h"
#include "profiles/profiles_tab_model.h"
#include "ui/settings_blocks.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace orbel {

class BackupRestoreSheet;

// Asks for the copy's name, the proposal selected so that typing replaces
// it. Duplicate hands the name to `onDuplicate`: with none (the copy was
// made) the sheet closes; a refusal's text shows in the sheet, which stays
// open with the typed name.
class DuplicateProfileSheet : public QDialog {
    Q_OBJECT
public:
    DuplicateProfileSheet(const std::string& source, const std::string& proposed, QWidget* parent = nullptr);
    std::function<std::optional<std::string>(const std::string&)> onDuplicate;
    QLineEdit* nameField() const { return field_; }
    QPushButton* duplicateButton() const { return duplicate_; }
    QLabel* errorLine() const { return error_; }
    void submit();

private:
    QLineEdit* field_;
    QLabel* error_;
    QPushButton* duplicate_;
};

class ProfilesTabView : public ui::SettingsPage {
    Q_OBJECT
public:
    ProfilesTabView(ConfigManager& manager, ImportCoordinator& imports,
                    BackupFilePanels& panels = BackupFilePanels::system(), QWidget* parent = nullptr);
    // The sheets it opened over the window go with it, unanswered.
    ~ProfilesTabView() override;

    ProfilesTabModel& model() { return model_; }
    void refresh();

    // The controls, for tests.
    QLabel* badge() const { return badge_; }
    QPushButton* newButton() const { return new_; }
    QPushButton* backUpButton() const { return backUp_; }
    QPushButton* restoreButton() const { return restore_; }
    QLabel* errorLine() const { return error_; }
    QLabel* statusLine() const { return status_; }
    QFrame* createPopover() const { return popover_; }
    QLineEdit* createField() const { return createField_; }
    QPushButton* createSaveButton() const { return createSave_; }
    // The row of a displayed profile, or none.
    QWidget* row(const std::string& name) const;
    QPushButton* switchButton(const std::string& name) const;
    QPushButton* menuButton(const std::string& name) const;
    DuplicateProfileSheet* duplicateSheet() const { return duplicateSheet_; }
    BackupRestoreSheet* restoreSheet() const;
    QMessageBox* deleteConfirmation() const { return deleteBox_; }

    void openCreatePopover();
    void openDuplicateSheet(const std::string& source);
    void confirmDelete(const std::string& name);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rebuildRows();
    void showMessages();
    void presentRestoreSheet();
    void submitCreate();

    ProfilesTabModel model_;
    ImportCoordinator& imports_;
    BackupFilePanels& panels_;
    QLabel* badge_;
    QPushButton* new_;
    QPushButton* backUp_;
    QPushButton* restore_;
    QLabel* error_;
    QLabel* status_;
    QLabel* unlisted_;  // profile files no name reaches
    QVBoxLayout* rows_ = nullptr;
    QFrame* popover_ = nullptr;
    QLineEdit* createField_ = nullptr;
    QPushButton* createSave_ = nullptr;
    QPointer<DuplicateProfileSheet> duplicateSheet_;
    QPointer<BackupRestoreSheet> restoreSheet_;
    QPointer<QMessageBox> deleteBox_;
};

}  // namespace orbel
