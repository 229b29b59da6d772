#pragma once

// Small widgets the library column and the pickers share: a row of
// exclusive segment buttons, the level editor of the two valued actions,
// and the popover in which a valued library action gets its level before it
// is added.

#include <QFrame>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "model/system_action.h"

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QSlider;

namespace orbel {
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

// The caption of a valued action and a slider over 0...1 in steps of 0.01
// with the level as a percentage.
class ParameterizedActionEditor : public QWidget {
    Q_OBJECT
public:
    ParameterizedActionEditor(const SystemAction& prototype, double value, QWidget* parent = nullptr);
    double value() const;
    void setValue(double value);
    void setPrototype(const SystemAction& prototype);
    QSlider* slider() const { return slider_; }
Q_SIGNALS:
    void valueChanged(double value);

private:
    QLabel* caption_;
    QLabel* percent_;
    QSlider* slider_;
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
