#include "sheets/slot_editor_view.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/dial_editor_view.h"
#include "editor/picker_views.h"
#include "editor/slot_library_column.h"
#include "sheets/group_editor_model.h"
#include "sheets/slot_sheet_factory.h"
#include "ui/settings_blocks.h"
#include "ui/sheet_frame.h"
#include "ui/sheet_opener.h"
#include "ui/teardown.h"

namespace orbel {
namespace {

constexpr int kDialColumnWidth = 400;
constexpr int kDialEditorWidth = 380;
constexpr int kDialEditorHeight = 460;

QString qs(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

SlotEditorView::SlotEditorView(ConfigManager& manager, SlotSheetFactory factory, QWidget* parent)
    : QWidget(parent), model_(manager), factory_(std::move(factory)) {
    setObjectName(QStringLiteral("slotEditorPage"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(20);

    auto* dialColumn = new QWidget(this);
    dialColumn->setFixedWidth(kDialColumnWidth);
    auto* column = new QVBoxLayout(dialColumn);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    // Each callback hands one change to the model; the page redraws when
    // the manager publishes it, or at once to show why it was refused.
    const auto change = [this](bool changed) {
        if (!changed) refresh();
    };
    editor::DialEditorCallbacks callbacks;
    callbacks.onInsert = [this, change](const SlotConfig& slot, int index) { change(model_.insert(slot, index)); };
    callbacks.onSwap = [this, change](int a, int b) { change(model_.swap(a, b)); };
    callbacks.onRemove = [this, change](int index) { change(model_.remove(index)); };
    callbacks.onReplace = [this, change](int index, const SlotConfig& slot) { change(model_.replace(index, slot)); };
    callbacks.onEdit = [this](int index) { editSlot(index); };
    callbacks.onShare = [](int) {};
    dial_ = new editor::RadialDialEditor(model_.slots(), SlotEditorModel::kCap, callbacks, dialColumn);
    dial_->setFixedSize(kDialEditorWidth, kDialEditorHeight);
    column->addWidget(dial_, 0, Qt::AlignHCenter);
    auto* countRow = new QHBoxLayout;
    countRow->setContentsMargins(8, 0, 8, 0);
    countRow->setSpacing(8);
    count_ = ui::styledLabel(QString(), ui::TextStyle::callout, ui::Ink::secondary, dialColumn);
    count_->setObjectName(QStringLiteral("slotCount"));
    countRow->addWidget(count_);
    countRow->addStretch(1);
    addSlot_ = ui::symbolButton(tr("Add Slot"), "plus.circle.fill", dialColumn);
    addSlot_->setObjectName(QStringLiteral("addSlot"));
    styleSheetButton(addSlot_, false);  // as Add Group: two additions of one weight
    countRow->addWidget(addSlot_);
    addGroup_ = ui::symbolButton(tr("Add Group"), "folder.badge.plus", dialColumn);
    addGroup_->setObjectName(QStringLiteral("addGroup"));
    styleSheetButton(addGroup_, false);
    countRow->addWidget(addGroup_);
    column->addLayout(countRow);
    error_ = ui::styledLabel(QString(), ui::TextStyle::caption, ui::Ink::secondary, dialColumn);
    error_->setObjectName(QStringLiteral("pageError"));
    error_->setWordWrap(true);
    setTextColor(error_, QColor(0xE5, 0x39, 0x35));
    column->addWidget(error_);
    notice_ = ui::styledLabel(QString(), ui::TextStyle::caption, ui::Ink::secondary, dialColumn);
    notice_->setObjectName(QStringLiteral("replacedNotice"));
    notice_->setWordWrap(true);
    column->addWidget(notice_);
    column->addStretch(1);
    layout->addWidget(dialColumn, 0, Qt::AlignTop);

    library_ = new editor::SlotLibraryColumn(
        {editor::LibrarySegment::apps, editor::LibrarySegment::actions},
        [this](const SlotConfig& slot) { return model_.isAdded(slot); },
        [this](const SlotConfig& slot) {
            if (!model_.addFromLibrary(slot)) refresh();
        },
        this);
    library_->setDial(dial_);
    layout->addWidget(library_, 1);

    connect(addSlot_, &QPushButton::clicked, this, &SlotEditorView::openAddSlotPopover);
    connect(addGroup_, &QPushButton::clicked, this, &SlotEditorView::addGroup);
    connect(&manager, &ConfigManager::configChanged, this, &SlotEditorView::refresh);
    connect(&manager, &ConfigManager::configReplaced, this, &SlotEditorView::configReplaced);
    refresh();
}

SlotEditorView::~SlotEditorView() {
    disconnect(&model_.manager(), nullptr, this, nullptr);
    ui::detachChildren(this);
    delete popover_;
    // The dial editor and the library ask the model, which goes first.
    delete dial_;
    delete library_;
    // The sheets it opened over the window go with it, unanswered (their
    // callbacks hold the page weakly).
    for (const QPointer<QDialog>& sheet : sheets_) delete sheet.data();
}

QList<QDialog*> SlotEditorView::openSheets() const {
    QList<QDialog*> open;
    for (const QPointer<QDialog>& sheet : sheets_)
        if (sheet && sheet->isVisible()) open.append(sheet);
    return open;
}

void SlotEditorView::track(QDialog* sheet) {
    sheets_.removeAll(nullptr);
    if (sheet) sheets_.append(sheet);
}

void SlotEditorView::configReplaced() {
    const QList<QDialog*> open = openSheets();
    if (open.isEmpty()) return;
    for (QDialog* sheet : open) {
        // What the sheet opened over itself (a nested sheet, the recorder,
        // a picker) closes first, unanswered too.
        const QList<QDialog*> nested = sheet->findChildren<QDialog*>();
        for (auto it = nested.rbegin(); it != nested.rend(); ++it)
            if ((*it)->isVisible()) (*it)->reject();
        sheet->reject();
    }
    model_.sheetClosedByReplacement();
    refresh();
}

void SlotEditorView::refresh() {
    if (dial_->slots() != model_.slots()) dial_->setSlots(model_.slots());
    library_->refresh();
    count_->setText(qs(model_.countText()));
    addSlot_->setEnabled(model_.canAdd());
    addSlot_->setToolTip(qs(model_.addSlotTooltip()));
    addGroup_->setEnabled(model_.canAdd());
    addGroup_->setToolTip(qs(model_.addGroupTooltip()));
    error_->setText(model_.lastError() ? qs(*model_.lastError()) : QString());
    error_->setVisible(model_.lastError().has_value());
    notice_->setText(model_.notice() ? qs(*model_.notice()) : QString());
    notice_->setVisible(model_.notice().has_value());
}

void SlotEditorView::openAddSlotPopover() {
    if (!model_.canAdd()) return;
    if (popover_) popover_->close();
    QPointer<SlotEditorView> self(this);
    popover_ = editor::AddSlotPopover::showBelow(
        addSlot_,
        [self](editor::AddSlotKind kind) {
            if (self) self->pick(kind);
        },
        this);
}

void SlotEditorView::pick(editor::AddSlotKind kind) {
    if (popover_) popover_->close();
    if (!factory_.slotSheet) return;
    QPointer<SlotEditorView> self(this);
    const std::uint64_t openedAt = model_.generation();
    track(ui::openSheet(factory_.slotSheet(editorKindFor(kind), std::nullopt,
                                       [self, openedAt](const SlotConfig& slot) {
                                           if (self && !self->model_.append(slot, openedAt)) self->refresh();
                                       },
                                       window())));
}

void SlotEditorView::addGroup() {
    if (!model_.canAdd() || !factory_.groupEditor) return;
    GroupEditorRequest request{GroupEditorModel::newGroup(), {tr("Default Menu").toStdString()}, true,
                               SlotEditorModel::kCap, std::nullopt};
    QPointer<SlotEditorView> self(this);
    const std::uint64_t openedAt = model_.generation();
    track(ui::openSheet(factory_.groupEditor(request,
                                         [self, openedAt](const MenuGroup& group) {
                                             if (self && !self->model_.appendGroup(group, openedAt)) self->refresh();
                                         },
                                         window())));
}

void SlotEditorView::editSlot(int index) {
    if (!model_.beginEdit(index)) return;
    QPointer<SlotEditorView> self(this);
    track(SlotEditDispatcher::open(
        *model_.editing(), SlotEditorModel::kCap, factory_,
        [self](const SlotConfig& slot) {
            if (self && !self->model_.commitEdit(slot)) self->refresh();
        },
        [self] {
            if (self) self->model_.cancelEdit();
        },
        window()));
}

}  // namespace orbel
