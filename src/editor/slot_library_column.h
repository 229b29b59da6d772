#pragma once

// The slot library column beside the dial editor: installed applications
// and system actions, a search shared by both lists, a filter per list, and
// rows that add their item on a click of their plus or a double click, or
// drag it onto the editor ring. The application list loads off the GUI
// thread each time the column comes on screen while it is still empty.
//
// Public surface for hosts: construct with the lists to offer, `isAdded`
// (does the host's dial hold a slot matching the candidate) and `onAdd`
// (a new slot to add); call refresh() after the host's dial changed so the
// rows' "added" marks follow; setDial() names the dial editor beside it,
// which takes the items chosen from the keyboard. GUI thread only.
//
// Keyboard: the list is one Tab stop with a current row (marked while the
// list has the focus); Up and Down move it over the rows that add
// something, Return or Space adds the current row's item to the dial as a
// drop would, or opens a valued action's popover.

#include <QPointer>
#include <QWidget>
#include <map>

#include "editor/slot_library_model.h"

class QLineEdit;
class QListView;
class QStackedWidget;
class QToolButton;
class QLabel;

namespace orbel::editor {

class LibraryListModel;
class SegmentedButtons;
class ParameterPopover;
class RadialDialEditor;

class SlotLibraryColumn : public QWidget {
    Q_OBJECT
public:
    SlotLibraryColumn(std::vector<LibrarySegment> allowedSegments, std::function<bool(const SlotConfig&)> isAdded,
                      std::function<void(const SlotConfig&)> onAdd, QWidget* parent = nullptr);
    ~SlotLibraryColumn() override;

    SlotLibraryModel& model() { return model_; }
    // Rebuilds the rows from the model (filters, search, the host's dial).
    void refresh();
    void setSegment(LibrarySegment segment);
    void setAppFilter(AppFilter filter);
    void setActionFilter(std::optional<ActionCategory> category);
    void setDial(RadialDialEditor* dial);

    QLineEdit* searchField() const { return search_; }
    QListView* list() const { return list_; }
    // The row showing `text`, for tests and hosts that point at a row.
    int rowOf(const QString& text) const;
    QRect rowRect(int row) const;  // in the list's viewport
    // The value popover of a valued row, opened for row `row`.
    ParameterPopover* openParameterPopover(int row);
    ParameterPopover* parameterPopover() const;

protected:
    void showEvent(QShowEvent* event) override;
    // The symbols take the palette's ink: redrawn when the scheme changes.
    void changeEvent(QEvent* event) override;

private:
    void loadApps();
    void refreshRunningApps();
    void activate(int row, bool onPlus);
    void addFromKeyboard(int row);
    std::optional<SlotDragPayload> payloadOf(int row) const;
    void updateChrome();

    SlotLibraryModel model_;
    std::map<SystemAction::Kind, double> levels_;  // last level per valued action
    LibraryListModel* rows_ = nullptr;
    SegmentedButtons* segments_ = nullptr;
    QLineEdit* search_ = nullptr;
    QStackedWidget* filters_ = nullptr;
    SegmentedButtons* appFilters_ = nullptr;
    QToolButton* categoryButton_ = nullptr;
    QStackedWidget* listStack_ = nullptr;
    QListView* list_ = nullptr;
    QPointer<RadialDialEditor> dial_;
    bool loading_ = false;
};

}  // namespace orbel::editor
