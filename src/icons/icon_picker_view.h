#pragma once

// The sheet in which the user chooses the icon of a slot or a profile: a
// pack icon from a searchable grid, a monogram with a tint, or an image file
// dropped or picked. It edits a draft; "Apply" announces it through
// `iconChosen`, "Cancel" (or Escape) leaves the caller's icon alone. Both
// announce `closed`. Open it with `open()`: it is window-modal over its
// parent. GUI thread only.

#include <QDialog>
#include <memory>

#include "icons/icon_picker_model.h"

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QTableView;

namespace orbel {

namespace ui {
class SegmentedControl;
}
class AccentSwatchPicker;
class IconCatalog;
class IconGridModel;
class SearchField;
class SlotIconView;

class IconPickerView : public QDialog {
    Q_OBJECT
public:
    explicit IconPickerView(const SlotIcon& icon, QWidget* parent = nullptr);
    // For tests and benchmarks: a model of the caller's making.
    IconPickerView(std::unique_ptr<IconPickerModel> model, IconCatalog& catalog, QWidget* parent = nullptr);
    ~IconPickerView() override;

    IconPickerModel& model() { return *model_; }
    SearchField* searchField() const { return search_; }
    ui::SegmentedControl* modeControl() const { return modes_; }
    ui::SegmentedControl* packControl() const { return packs_; }
    QAbstractButton* allToggle() const { return all_; }
    QTableView* grid() const { return grid_; }
    QWidget* dropZone() const { return dropZone_; }
    QLineEdit* monogramField() const { return monogram_; }
    AccentSwatchPicker* tintPicker() const { return tint_; }
    QPushButton* applyButton() const { return apply_; }
    QLabel* descriptionLine() const { return description_; }

    // "Apply": announces the draft, then closes.
    void apply();
    // "Cancel", Escape and the window's close button.
    void reject() override;

    static constexpr int kColumns = 8;

Q_SIGNALS:
    void iconChosen(const orbel::SlotIcon& icon);
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeIconEditor();
    QWidget* makeTextEditor();
    QWidget* makeFileEditor();
    QWidget* makeFooter();
    void refreshState();
    void refreshDraft();
    void refreshSymbols();
    void refreshImageCheck();
    void chooseImageFile();

    std::unique_ptr<IconPickerModel> model_;
    IconCatalog& catalog_;
    IconGridModel* gridModel_ = nullptr;
    ui::SegmentedControl* modes_ = nullptr;
    QStackedWidget* editors_ = nullptr;
    ui::SegmentedControl* packs_ = nullptr;
    QAbstractButton* all_ = nullptr;
    SearchField* search_ = nullptr;
    QTableView* grid_ = nullptr;
    QWidget* emptyState_ = nullptr;
    QLabel* emptyTitle_ = nullptr;
    QLabel* emptyDetail_ = nullptr;
    QLineEdit* monogram_ = nullptr;
    AccentSwatchPicker* tint_ = nullptr;
    QWidget* dropZone_ = nullptr;
    SlotIconView* preview_ = nullptr;
    QLabel* description_ = nullptr;
    QPushButton* apply_ = nullptr;
};

}  // namespace orbel
