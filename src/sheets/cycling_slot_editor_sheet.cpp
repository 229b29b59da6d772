#include "sheets/cycling_slot_editor_sheet.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

#include "editor/picker_views.h"
#include "sheets/icon_picker_row.h"
#include "ui/controls.h"
#include "ui/sheet_opener.h"

namespace orbel {
namespace {

// The children's box: a faint rounded fill with a hairline inside its edge.
class ChildrenBox : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor fill = palette().color(QPalette::WindowText);
        fill.setAlphaF(0.06f);
        QColor stroke = palette().color(QPalette::WindowText);
        stroke.setAlphaF(0.18f);
        const QRectF inside = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(QPen(stroke, 1));
        p.setBrush(fill);
        p.drawRoundedRect(inside, 8, 8);
    }
};

QToolButton* makeRowButton(const char* symbol, const QString& tip, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setIcon(QIcon(symbolPixmap(symbol, 14, secondaryColor(parent->palette()), parent->devicePixelRatioF())));
    button->setIconSize(QSize(14, 14));
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setCursor(Qt::PointingHandCursor);
    ui::markFocus(button, 6);  // the style's own mark on a raised-on-hover button is faint
    return button;
}

QPushButton* makeAddButton(const QString& text, const char* symbol, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    button->setIcon(QIcon(symbolPixmap(symbol, 12, parent->palette().color(QPalette::ButtonText),
                                       parent->devicePixelRatioF())));
    button->setFont(sheetFont(SheetText::callout));
    return button;
}

}  // namespace

CyclingSlotEditorSheet::CyclingSlotEditorSheet(const std::optional<SlotConfig>& existing,
                                               std::function<void(const SlotConfig&)> onSave, QWidget* parent)
    : SlotSheet(QStringLiteral("arrow.triangle.2.circlepath"), tr("Rotates through children on each click."),
                slotEditSize(SlotEditSize::standard), std::move(onSave), parent),
      model_(existing) {
    hasChanges = [this] { return model_.hasChanges(); };
    setTitle(QString::fromStdString(model_.sheetTitle()));
    name_ = makeNameField(tr("e.g. Apps"), model_.title, this);
    setFirstField(name_);
    addFormItem(new SlotEditFormRow(tr("Fallback Name"), name_,
                                    tr("Shown when no children are defined. Children's own titles win otherwise.")));
    SlotEditFormRow* iconRow =
        makeIconFormRow(model_.icon, [this](const SlotIcon& icon) { model_.icon = icon; }, this, &iconRow_);
    iconRow->setHelpText(tr("Optional. When set, overrides the active child's icon."));
    addFormItem(iconRow);

    auto* box = new ChildrenBox;
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->setContentsMargins(0, 0, 0, 0);
    boxLayout->setSpacing(0);
    // The empty text sits inside the box's edge. Its room is a widget, not a
    // layout's margins: a layout keeps its margins when all it holds is
    // hidden, which left a gap above the first child.
    emptyRoom_ = new QWidget(box);
    auto* emptyRoom = new QVBoxLayout(emptyRoom_);
    emptyRoom->setContentsMargins(12, 18, 12, 18);
    empty_ = new QLabel(QString::fromStdString(CyclingSlotEditorModel::emptyText()), emptyRoom_);
    empty_->setFont(sheetFont(SheetText::callout));
    setTextColor(empty_, secondaryColor(palette()));
    emptyRoom->addWidget(empty_);
    boxLayout->addWidget(emptyRoom_);
    rows_ = new QVBoxLayout;
    rows_->setSpacing(0);
    boxLayout->addLayout(rows_);
    boxLayout->addWidget(makeSheetDivider(box));
    auto* addBar = new QHBoxLayout;
    addBar->setContentsMargins(12, 8, 12, 8);
    addBar->setSpacing(8);
    addApp_ = makeAddButton(tr("Add App"), "app.badge.plus", box);
    addAction_ = makeAddButton(tr("Add Action"), "bolt.badge.plus", box);
    addBar->addWidget(addApp_);
    addBar->addWidget(addAction_);
    addBar->addStretch(1);
    boxLayout->addLayout(addBar);
    childrenRow_ = new SlotEditFormRow(tr("Children"), box,
                                       tr("Each click fires the next child in order, then advances to the one after."));
    addFormItem(childrenRow_);

    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_.title = text.toStdString();
        refresh();
    });
    connect(addApp_, &QPushButton::clicked, this, [this] { openAppPicker(); });
    connect(addAction_, &QPushButton::clicked, this, [this] { openActionPicker(); });
    this->onSave = [this] { finish(model_.build()); };
    rebuildChildren();
}

CyclingSlotEditorSheet::~CyclingSlotEditorSheet() { deleteForm(); }

QStringList CyclingSlotEditorSheet::childTexts() const {
    QStringList out;
    for (int i = 0; i < static_cast<int>(childRows_.size()); ++i)
        out << QString::fromStdString(CyclingSlotEditorModel::positionLabel(i)) + " " +
                   childRows_[static_cast<std::size_t>(i)].text->text();
    return out;
}

QString CyclingSlotEditorSheet::emptyText() const { return emptyRoom_->isHidden() ? QString() : empty_->text(); }

QWidget* CyclingSlotEditorSheet::childRow(int index) const {
    return index >= 0 && index < static_cast<int>(childRows_.size()) ? childRows_[static_cast<std::size_t>(index)].row
                                                                     : nullptr;
}

QToolButton* CyclingSlotEditorSheet::removeButton(int index) const {
    return childRow(index) ? childRows_[static_cast<std::size_t>(index)].remove : nullptr;
}

void CyclingSlotEditorSheet::rebuildChildren() {
    // Rows go later: the click that rebuilds the list may be one of theirs.
    ui::clearRows(rows_);
    childRows_.clear();
    const int count = static_cast<int>(model_.children.size());
    QFont digits = sheetFont(SheetText::callout);
    for (int i = 0; i < count; ++i) {
        auto* row = new QWidget;
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(12, 6, 12, 6);
        auto* position = new QLabel(QString::fromStdString(CyclingSlotEditorModel::positionLabel(i)), row);
        position->setFont(digits);
        setTextColor(position, secondaryColor(palette()));
        layout->addWidget(position);
        auto* text = new ui::ElidedLabel(QString::fromStdString(model_.childLabel(i)), row);
        text->setFont(sheetFont(SheetText::callout));
        layout->addWidget(text, 1);
        auto* remove = makeRowButton("xmark.circle.fill", tr("Remove"), row);
        layout->addWidget(remove);
        connect(remove, &QToolButton::clicked, this, [this, i] {
            if (model_.removeChild(i)) rebuildChildren();
        });
        rows_->addWidget(row);
        if (i < count - 1) rows_->addWidget(makeSheetDivider(nullptr));
        childRows_.push_back({row, text, remove});
    }
    emptyRoom_->setVisible(count == 0);
    std::vector<QWidget*> rows;
    for (const auto& child : childRows_) rows.push_back(child.row);
    ui::tabBefore(rows, addApp_);
    refresh();
}

void CyclingSlotEditorSheet::refresh() {
    showSaveProblem(this, model_.saveProblem());
    showRowProblem(childrenRow_, model_.refusal());
}

void CyclingSlotEditorSheet::openAppPicker() {
    if (picker_) return;
    QPointer<CyclingSlotEditorSheet> self(this);
    auto* picker = new editor::AppPickerView(
        {},
        [self](const AppInfo& app) {
            if (!self) return;
            self->model_.appendApp(app.bundleId, app.name);
            self->rebuildChildren();
        },
        {}, this);
    picker_ = picker;
    ui::openSheet(picker);
}

void CyclingSlotEditorSheet::openActionPicker() {
    if (picker_) return;
    QPointer<CyclingSlotEditorSheet> self(this);
    // Every time from the screen lock, under that action's own title.
    auto* picker = new editor::ActionPickerView(
        SystemAction(SystemAction::Kind::lockScreen), {},
        [self](const SystemAction& action, const std::string& title) {
            if (!self) return;
            self->model_.appendAction(action, title);
            self->rebuildChildren();
        },
        this);
    picker_ = picker;
    ui::openSheet(picker);
}

}  // namespace orbel
