#pragma once

// The keystroke editor's step list: one numbered row per step with its
// delete button, the summary line, and the add bar ("Add Chord", "Add
// Wait", "Add Text", "More" with the clipboard and window steps, and
// "Record", which opens the macro recorder overlay and appends what it
// records). It edits the owner's StepList in place; rows report by the
// key of their step, and the rows are rebuilt whenever steps come or go,
// so every row always shows the step it edits.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

#include "sheets/macro_recorder_overlay.h"
#include "sheets/step_list_model.h"

class QAbstractButton;
class QLabel;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace orbel {

class StepListEditor : public QWidget {
    Q_OBJECT
public:
    // `steps` must outlive the editor.
    explicit StepListEditor(StepList& steps, QWidget* parent = nullptr);

    // Told after every change of the steps.
    std::function<void()> onStepsChanged;

    // ---- What tests and the sheet look at.
    int rowCount() const { return static_cast<int>(rows_.size()); }
    QWidget* rowWidget(int index) const { return rows_.at(static_cast<std::size_t>(index)).row; }
    QAbstractButton* deleteButton(int index) const { return rows_.at(static_cast<std::size_t>(index)).remove; }
    QString summaryText() const;
    bool isShowingEmptyState() const;
    QPushButton* addButton(const char* text) const;  // "Add Chord", "Add Wait", "Add Text", "Record"
    QToolButton* moreButton() const { return more_; }
    MacroRecorderOverlay* recorder() const { return recorder_; }
    bool showingRecorder() const { return !recorder_.isNull(); }
    void openRecorder();

private:
    struct Row {
        QWidget* entry;
        QWidget* row;
        QAbstractButton* remove;
    };
    void rebuild();
    void refreshSummary();
    void stepsChanged(StepList::Change change);
    QWidget* makeRow(std::size_t index);

    StepList& steps_;
    QWidget* box_;
    QVBoxLayout* boxLayout_;
    std::vector<Row> rows_;
    QWidget* emptyState_ = nullptr;
    QWidget* summary_;
    QLabel* summaryIcon_;
    QLabel* summaryText_;
    std::vector<QPushButton*> addButtons_;
    QToolButton* more_;
    QPointer<MacroRecorderOverlay> recorder_;
};

}  // namespace orbel
