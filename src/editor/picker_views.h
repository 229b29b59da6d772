#pragma once

// The app picker and action picker sheets and the add-slot popover. The
// sheets are window-modal dialogs made fresh for each request and opened
// with open(); each reports its choice through a callback and closes. The
// popover reports a picked kind and leaves closing to its presenter.
//
// Public surface for presenters:
//   AppPickerView(templates, onAppSelected, onPresetSelected or {}, parent)
//   ActionPickerView(selected, onSelectionChanged, onActionSelected, parent)
//   AddSlotPopover(onPick, parent)
// GUI thread only.

#include <QDialog>
#include <QFrame>
#include <functional>
#include <vector>

#include "editor/picker_models.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;
class QStackedWidget;

namespace orbel {
class ParameterizedActionEditor;
}

namespace orbel::editor {

class SegmentedButtons;

class AppPickerView : public QDialog {
    Q_OBJECT
public:
    AppPickerView(std::vector<AppMenuPreset> templates, std::function<void(const AppInfo&)> onAppSelected,
                  std::function<void(const AppMenuPreset&)> onPresetSelected, QWidget* parent = nullptr);

    const AppPickerModel& model() const { return model_; }
    void setCategory(AppCategory category);
    QLineEdit* searchField() const { return search_; }
    QListWidget* list() const { return list_; }
    // What the list area shows: 0 loading, 1 list, 2 empty state.
    int listPage() const;
    QString emptyText() const;
    // A click selects a row; Add (the default button) or a double-click
    // chooses it. Chooses the row as those do.
    void choose(int row);
    QPushButton* addButton() const { return add_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();

    AppPickerModel model_;
    std::function<void(const AppInfo&)> onAppSelected_;
    std::function<void(const AppMenuPreset&)> onPresetSelected_;
    std::vector<AppInfo> shownApps_;
    std::vector<AppMenuPreset> shownTemplates_;
    SegmentedButtons* categories_ = nullptr;
    QLineEdit* search_ = nullptr;
    QStackedWidget* area_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* empty_ = nullptr;
    QPushButton* clearSearch_ = nullptr;
    QPushButton* add_ = nullptr;
    bool loadStarted_ = false;
    bool chosen_ = false;
};

class ActionCard;

class ActionPickerView : public QDialog {
    Q_OBJECT
public:
    ActionPickerView(SystemAction selected, std::function<void(const SystemAction&)> onSelectionChanged,
                     std::function<void(const SystemAction&, const std::string&)> onActionSelected,
                     QWidget* parent = nullptr);

    const ActionPickerModel& model() const { return model_; }
    // The card of an action kind (valued actions at any level).
    ActionCard* card(SystemAction::Kind kind) const;
    ParameterizedActionEditor* levelEditor() const { return level_; }
    QCheckBox* customTitleToggle() const { return useCustom_; }
    QLineEdit* titleField() const { return title_; }
    QPushButton* addButton() const { return add_; }
    QScrollArea* cardArea() const { return scroll_; }

protected:
    // Comes on screen with the chosen action's card in view and the
    // keyboard focus on the cards.
    void showEvent(QShowEvent* event) override;

private:
    void sync();
    // A level editor for the selected valued action's kind (its caption
    // names it), made again when the kind changes.
    void showLevelEditor();
    // The cards are one Tab stop, as a group of radio buttons: the chosen
    // card. The focus on the cards is on the chosen one: a click or an
    // arrow moves the focus to a card and chooses it.
    void choose(ActionCard* card);
    void setTabStop(ActionCard* card);
    void moveFocus(ActionCard* from, int key);

    ActionPickerModel model_;
    std::function<void(const SystemAction&, const std::string&)> onActionSelected_;
    std::vector<ActionCard*> cards_;
    std::vector<std::vector<ActionCard*>> cardRows_;  // as the grids show them, top to bottom
    QScrollArea* scroll_ = nullptr;
    QWidget* levelBlock_ = nullptr;
    ParameterizedActionEditor* level_ = nullptr;
    SystemAction::Kind levelKind_ = SystemAction::Kind::setVolume;
    QCheckBox* useCustom_ = nullptr;
    QLineEdit* title_ = nullptr;
    QPushButton* add_ = nullptr;
};

// One action of the action picker: its symbol and title on a card. A click,
// or Space while it has the focus, chooses it; the arrow keys are handed to
// the picker, which moves the choice and the focus. Return and Enter go on
// to the sheet.
class ActionCard : public QWidget {
    Q_OBJECT
public:
    ActionCard(SystemAction action, std::function<void()> onSelect, QWidget* parent = nullptr);
    const SystemAction& action() const { return action_; }
    void setAction(const SystemAction& action);
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    QSize sizeHint() const override { return {180, 80}; }

Q_SIGNALS:
    void arrowPressed(int key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    SystemAction action_;
    std::function<void()> onSelect_;
    bool selected_ = false;
};

class AddSlotPopover : public QFrame {
    Q_OBJECT
public:
    explicit AddSlotPopover(std::function<void(AddSlotKind)> onPick, QWidget* parent = nullptr);
    // Shown centred below `button` (above it when the screen has no room
    // below), its first row marked; deleted when it closes. Up and Down move
    // the mark, Return or Space picks the marked row, Escape closes.
    static AddSlotPopover* showBelow(QWidget* button, std::function<void(AddSlotKind)> onPick, QWidget* parent);
    // The row of a kind, for presenters and tests.
    QWidget* row(AddSlotKind kind) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<void(AddSlotKind)> onPick_;
    std::vector<std::pair<AddSlotKind, QWidget*>> rows_;
};

}  // namespace orbel::editor
