#pragma once

// Small widgets the library column and the pickers share: the search
// field, a row of exclusive segment buttons, and the popover in which a valued library action gets its level before it
// is added.

#include <QFrame>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "model/system_action.h"

class QAbstractButton;
class QButtonGroup;

namespace orbel {
class ParameterizedActionEditor;
class SearchField;
}

namespace orbel::editor {

// The settings window's search field, full width, with a clear button
// while it holds text.
SearchField* makeSearchField(const QString& placeholder, QWidget* parent);

// Segment buttons: exactly one checked; `selected` on every user change.
class SegmentedButtons : public QWidget {
    Q_OBJECT
public:
    explicit SegmentedButtons(const std::vector<std::string>& titles, QWidget* parent = nullptr);
    int current() const;
    void setCurrent(int index);
    QAbstractButton* button(int index) const;
Q_SIGNALS:
    void selected(int index);

private:
    QButtonGroup* group_;
};

// The popover of a valued library row: the level editor, "Cancel" (Escape)
// and "Add" (Return). Add hands the action with the chosen level to `onAdd`.
class ParameterPopover : public QFrame {
    Q_OBJECT
public:
    ParameterPopover(const SystemAction& prototype, double value, std::function<void(const SystemAction&, double)> onAdd,
                     QWidget* parent = nullptr);
    ParameterizedActionEditor* editor() const { return editor_; }
    void add();

private:
    SystemAction prototype_;
    ParameterizedActionEditor* editor_;
    std::function<void(const SystemAction&, double)> onAdd_;
};

}  // namespace orbel::editor
