#pragma once

// The Apps tab (the applications with a dial of their own) and the per-app
// override sheet. Rules and texts come from PerAppMenusModel and
// PerAppOverrideModel; the sheets are window-modal and opened with open().

#include <QDialog>
#include <QPointer>
#include <functional>

#include "profiles/per_app_menus_model.h"
#include "profiles/per_app_override_model.h"
#include "ui/settings_blocks.h"
#include "ui/sheet_frame.h"

class QAbstractButton;
class QMessageBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;
class QVBoxLayout;

namespace orbel {

namespace editor {
class AppPickerView;
}

// Opens the editor of a slot group over `parent`; `onSave` gets the edited
// group. Without one given, the sheets' own group editor opens (no library,
// the application's name as its crumb, six slots at most).
using GroupEditorOpener = std::function<void(QWidget* parent, const MenuGroup& group, const std::string& appName,
                                             const std::string& helpText, std::function<void(MenuGroup)> onSave)>;

class PerAppOverrideSheet : public SheetDialog {
    Q_OBJECT
public:
    PerAppOverrideSheet(PerAppOverrideModel model, GroupEditorOpener openGroupEditor, QWidget* parent = nullptr);

    PerAppOverrideModel& model() { return model_; }
    // Save hands the group, Cancel nothing; the presenter closes the sheet.
    std::function<void(const std::optional<MenuGroup>&)> onDismiss;

    QPushButton* saveButton() const { return save_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* editSlotsButton() const { return editSlots_; }
    QAbstractButton* sectionSwitch(int section) const;  // 0 size, 1 appearance, 2 controls
    QSlider* sizeSlider() const { return size_; }
    void refresh();
    // The configuration was replaced while the sheet was open: it closed
    // (as by Cancel) without saving its drafts.
    bool closedByReplacement() const { return closedByReplacement_; }

protected:
    // The sheet has no default button: Return presses the push button that
    // has the focus, and only that.
    void keyPressEvent(QKeyEvent* event) override;

private:
    PerAppOverrideModel model_;
    GroupEditorOpener openGroupEditor_;
    ui::SettingsRow* slotsRow_ = nullptr;
    QPushButton* editSlots_ = nullptr;
    QSlider* size_ = nullptr;
    QAbstractButton* switches_[3] = {};
    QWidget* bodies_[3] = {};
    std::function<void()> refreshRows_;
    QPushButton* cancel_;
    QPushButton* save_;
    bool closedByReplacement_ = false;
};

class PerAppMenusEditorView : public QWidget {
    Q_OBJECT
public:
    PerAppMenusEditorView(ConfigManager& manager, PerAppMenusModel::NameLookup names,
                          GroupEditorOpener openGroupEditor = {}, QWidget* parent = nullptr);

    // Names and icons from the installed applications, read off the
    // interface thread; the rows fill in when they are known.
    static PerAppMenusEditorView* withInstalledNames(ConfigManager& manager, GroupEditorOpener openGroupEditor = {});
    // The sheets it opened over the window go with it, unanswered.
    ~PerAppMenusEditorView() override;
    // The desktop entry's Icon value (theme name or path) for an id, or "".
    using IconLookup = std::function<std::string(const std::string& bundleId)>;
    void setIconLookup(IconLookup icons);

    PerAppMenusModel& model() { return model_; }
    QPushButton* addButton() const { return add_; }
    QWidget* emptyState() const { return empty_; }
    // The short notice shown after a sheet closed unsaved (see PerAppOverrideSheet).
    QLabel* notice() const { return notice_; }
    QWidget* row(const std::string& bundleId) const;
    PerAppOverrideSheet* overrideSheet() const { return sheet_; }
    // The app picker opened by "Add App…", with the templates.
    editor::AppPickerView* chooser() const;
    // The confirmation a trash button opened, while it is shown.
    QMessageBox* removeConfirmation() const { return removeBox_; }
    void openChooser();
    void openSheet();
    void rebuild();

private:
    PerAppMenusModel model_;
    GroupEditorOpener openGroupEditor_;
    ConfigManager& manager_;
    QPushButton* add_;
    QWidget* empty_;
    QLabel* notice_;
    QWidget* list_;
    QVBoxLayout* rows_;
    QPointer<PerAppOverrideSheet> sheet_;
    QPointer<editor::AppPickerView> chooser_;
    IconLookup icons_;
    QPointer<QMessageBox> removeBox_;
};

}  // namespace orbel
