#include "sheets/group_editor_view.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "editor/dial_editor_view.h"
#include "editor/picker_views.h"
#include "editor/slot_library_column.h"
#include "icons/slot_icon_view.h"
#include "sheets/icon_picker_row.h"
#include "sheets/slot_sheet_factory.h"
#include "ui/controls.h"
#include "ui/focus_in_view.h"
#include "ui/popup_placement.h"
#include "ui/settings_blocks.h"
#include "ui/sheet_frame.h"
#include "ui/sheet_opener.h"
#include "ui/teardown.h"

namespace orbel {
namespace {

constexpr int kDialColumnWidth = 380;
constexpr int kDialEditorHeight = 460;

QString qs(const std::string& text) { return QString::fromStdString(text); }

// The group's icon in the title row: the purple folder badge while the icon
// is automatic, else the icon itself; a click opens the icon chooser. The
// keyboard focus rings it (the badge fills it whole).
class GroupIconButton : public QAbstractButton {
public:
    explicit GroupIconButton(QWidget* parent) : QAbstractButton(parent) {
        setFixedSize(28, 28);
        setCursor(Qt::PointingHandCursor);
        auto* stack = new QStackedLayout(this);
        stack->setContentsMargins(0, 0, 0, 0);
        badge_ = new ui::SymbolBadge("folder.fill", ui::groupAccent(), 28, this);
        custom_ = new SlotIconView(SlotIcon::automatic(), 24, this);
        for (QWidget* w : {static_cast<QWidget*>(badge_), static_cast<QWidget*>(custom_)}) {
            w->setAttribute(Qt::WA_TransparentForMouseEvents);
            stack->addWidget(w);
        }
        stack_ = stack;
    }
    void setSlotIcon(const SlotIcon& icon) {
        const bool automatic = icon == SlotIcon::automatic();
        if (!automatic) custom_->setIcon(icon);
        stack_->setCurrentWidget(automatic ? static_cast<QWidget*>(badge_) : static_cast<QWidget*>(custom_));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!isDown()) return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(editorTint(palette()));
        p.drawRoundedRect(rect(), 7, 7);
    }

private:
    static QColor editorTint(const QPalette& palette) {
        QColor c = palette.color(QPalette::WindowText);
        c.setAlphaF(0.08);
        return c;
    }
    ui::SymbolBadge* badge_;
    SlotIconView* custom_;
    QStackedLayout* stack_;
};

// The help banner under the title row: the text colour at 10 % behind it.
class HelpBanner : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QColor c = palette().color(QPalette::WindowText);
        c.setAlphaF(0.1);
        p.fillRect(rect(), c);
    }
};

}  // namespace

GroupEditorView::GroupEditorView(const GroupEditorRequest& request, std::function<void(const MenuGroup&)> onSave,
                                 SlotSheetFactory factory, QWidget* parent)
    : SheetDialog(parent),
      model_(request.group, request.breadcrumb, request.withLibrary, request.cap, request.helpText),
      onSave_(std::move(onSave)),
      factory_(std::move(factory)) {
    setObjectName(QStringLiteral("groupEditor"));
    setWindowTitle(tr("Edit Group"));
    // Less tall on a small screen: the ring and the library scroll between
    // the header and the footer, which stay on it.
    setFixedSize(ui::fitFreeArea(QSize(model_.sheetWidth(), GroupEditorModel::kHeight), parent));
    hasChanges = [this] { return model_.hasChanges(); };
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    // Header: icon, name, breadcrumb; the help banner under it.
    auto* titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(20, 14, 20, 14);
    titleRow->setSpacing(12);
    auto* iconButton = new GroupIconButton(this);
    iconButton->setToolTip(tr("Choose group icon"));
    ui::markFocus(iconButton, 9, ui::kButtonMarkOutset);
    iconButton_ = iconButton;
    titleRow->addWidget(iconButton_);
    name_ = new QLineEdit(qs(model_.title), this);
    name_->setObjectName(QStringLiteral("groupName"));
    name_->setPlaceholderText(tr("Group name"));
    name_->setFrame(false);
    name_->setFont(sheetFont(SheetText::title3, QFont::Medium));
    name_->setMaximumWidth(280);
    QPalette plain = name_->palette();
    plain.setColor(QPalette::Base, Qt::transparent);
    name_->setPalette(plain);
    titleRow->addWidget(name_, 1);
    titleRow->addStretch(0);
    breadcrumb_ = new ui::ElidedLabel(QString(), this);
    breadcrumb_->setObjectName(QStringLiteral("breadcrumb"));
    breadcrumb_->setElideMode(Qt::ElideLeft);
    breadcrumb_->setFont(ui::textFont(ui::TextStyle::caption, QFont::Medium));
    breadcrumb_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ui::setInk(breadcrumb_, ui::Ink::secondary);
    titleRow->addWidget(breadcrumb_, 1);
    root->addLayout(titleRow);
    if (model_.helpText()) {
        auto* banner = new HelpBanner(this);
        auto* row = new QHBoxLayout(banner);
        row->setContentsMargins(16, 8, 16, 8);
        row->setSpacing(8);
        row->addWidget(makeSymbolLabel("info.circle", 13, secondaryColor(palette()), banner));
        help_ = ui::styledLabel(qs(*model_.helpText()), ui::TextStyle::caption, ui::Ink::secondary, banner);
        help_->setObjectName(QStringLiteral("helpBanner"));
        help_->setWordWrap(true);
        row->addWidget(help_, 1);
        root->addWidget(banner);
    }
    root->addWidget(makeSheetDivider(this));

    // Body: the dial column, then the library.
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    auto* bodyWidget = new QWidget(scroll);
    auto* body = new QHBoxLayout(bodyWidget);
    body->setContentsMargins(20, 20, 20, 20);
    body->setSpacing(20);
    auto* dialColumn = new QWidget(this);
    dialColumn->setFixedWidth(kDialColumnWidth);
    auto* column = new QVBoxLayout(dialColumn);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    QPointer<GroupEditorView> self(this);
    editor::DialEditorCallbacks callbacks;
    const auto change = [self](auto edit) {
        return [self, edit](auto... args) {
            if (self && edit(self->model_, args...)) self->refresh();
        };
    };
    callbacks.onInsert = change([](GroupEditorModel& m, const SlotConfig& s, int i) { return m.insert(s, i); });
    callbacks.onSwap = change([](GroupEditorModel& m, int a, int b) { return m.swap(a, b); });
    callbacks.onRemove = change([](GroupEditorModel& m, int i) { return m.remove(i); });
    callbacks.onReplace = change([](GroupEditorModel& m, int i, const SlotConfig& s) { return m.replace(i, s); });
    callbacks.onEdit = [self](int index) {
        if (self) self->editSlot(index);
    };
    callbacks.onShare = [](int) {};
    dial_ = new editor::RadialDialEditor(model_.slots, model_.cap(), callbacks, dialColumn);
    dial_->setFixedSize(static_cast<int>(editor::kRingWidgetSide), kDialEditorHeight);
    column->addWidget(dial_, 0, Qt::AlignHCenter);
    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(8, 0, 8, 0);
    footer->setSpacing(8);
    count_ = ui::styledLabel(QString(), ui::TextStyle::callout, ui::Ink::secondary, dialColumn);
    count_->setObjectName(QStringLiteral("slotCount"));
    footer->addWidget(count_);
    footer->addStretch(1);
    addSlot_ = ui::symbolButton(tr("Add Slot"), "plus.circle.fill", dialColumn);
    addSlot_->setObjectName(QStringLiteral("addSlot"));
    styleSheetButton(addSlot_, false);  // as Add Group: two additions of one weight
    addSlot_->setAutoDefault(false);
    footer->addWidget(addSlot_);
    addGroup_ = ui::symbolButton(tr("Add Group"), "folder.badge.plus", dialColumn);
    addGroup_->setObjectName(QStringLiteral("addGroup"));
    styleSheetButton(addGroup_, false);
    addGroup_->setAutoDefault(false);
    footer->addWidget(addGroup_);
    column->addLayout(footer);
    column->addStretch(1);
    body->addWidget(dialColumn, 0, Qt::AlignTop);
    if (model_.withLibrary()) {
        library_ = new editor::SlotLibraryColumn(
            {editor::LibrarySegment::apps, editor::LibrarySegment::actions},
            [self](const SlotConfig& slot) { return self && self->model_.isAdded(slot); },
            [self](const SlotConfig& slot) {
                if (self && self->model_.addFromLibrary(slot)) self->refresh();
            },
            this);
        library_->setDial(dial_);
        body->addWidget(library_, 1);
    }
    scroll->setWidget(bodyWidget);
    ui::keepFocusInView(scroll);
    root->addWidget(scroll, 1);
    root->addWidget(makeSheetDivider(this));

    // Action bar: why Save Group is off, Cancel, Save Group.
    cancel_ = new QPushButton(tr("Cancel"), this);
    save_ = new QPushButton(tr("Save Group"), this);
    save_->setObjectName(QStringLiteral("saveGroup"));
    auto* actions = makeSheetFooter(cancel_, save_, this);
    problem_ = ui::styledLabel(QString(), ui::TextStyle::caption, ui::Ink::secondary, actions);
    problem_->setObjectName(QStringLiteral("saveProblem"));
    setTextColor(problem_, QColor(0xE5, 0x39, 0x35));
    static_cast<QHBoxLayout*>(actions->layout())->insertWidget(0, problem_, 1);
    root->addWidget(actions);

    connect(iconButton, &QAbstractButton::clicked, this, [this, self] {
        openIconPicker(this, model_.icon, [self](const SlotIcon& icon) {
            if (!self) return;
            self->model_.icon = icon;
            self->refreshIcon();
        });
    });
    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_.title = text.toStdString();
        refresh();
    });
    connect(addSlot_, &QPushButton::clicked, this, &GroupEditorView::openAddSlotPopover);
    connect(addGroup_, &QPushButton::clicked, this, &GroupEditorView::addNestedGroup);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(save_, &QPushButton::clicked, this, &GroupEditorView::saveGroup);
    refreshIcon();
    refresh();
}

GroupEditorView::~GroupEditorView() {
    // What it opened (the popover, nested sheets, the icon picker) holds it
    // weakly; the dial editor and the library go while the model is here.
    ui::detachChildren(this);
    delete popover_;
    delete dial_;
    delete library_;
}

QString GroupEditorView::breadcrumbText() const { return breadcrumb_->fullText(); }

QString GroupEditorView::saveProblemText() const { return problem_->text(); }

void GroupEditorView::showEvent(QShowEvent* event) {
    SheetDialog::showEvent(event);
    name_->setFocus(Qt::OtherFocusReason);
}

void GroupEditorView::refresh() {
    if (dial_->slots() != model_.slots) dial_->setSlots(model_.slots);
    if (library_) library_->refresh();
    breadcrumb_->setFullText(qs(model_.joinedBreadcrumb()));
    count_->setText(qs(model_.countText()));
    const QString addTip = qs(model_.addSlotTooltip());
    addSlot_->setEnabled(model_.canAdd());
    addSlot_->setToolTip(addTip);
    addGroup_->setEnabled(model_.canAdd());
    addGroup_->setToolTip(model_.canAdd() ? QString() : addTip);
    const auto problem = model_.saveProblem();
    save_->setEnabled(!problem);
    problem_->setText(problem ? qs(*problem) : QString());
    problem_->setToolTip(ui::plainToolTip(problem_->text()));
}

void GroupEditorView::refreshIcon() { static_cast<GroupIconButton*>(iconButton_)->setSlotIcon(model_.icon); }

void GroupEditorView::openAddSlotPopover() {
    if (!model_.canAdd()) return;
    if (popover_) popover_->close();
    QPointer<GroupEditorView> self(this);
    popover_ = editor::AddSlotPopover::showBelow(
        addSlot_,
        [self](editor::AddSlotKind kind) {
            if (self) self->pick(kind);
        },
        this);
}

void GroupEditorView::pick(editor::AddSlotKind kind) {
    if (popover_) popover_->close();
    if (!factory_.slotSheet) return;
    QPointer<GroupEditorView> self(this);
    ui::openSheet(factory_.slotSheet(editorKindFor(kind), std::nullopt,
                                 [self](const SlotConfig& slot) {
                                     if (self && self->model_.append(slot)) self->refresh();
                                 },
                                 this));
}

void GroupEditorView::addNestedGroup() {
    if (!model_.canAdd() || !factory_.groupEditor) return;
    GroupEditorRequest request{GroupEditorModel::newGroup(), model_.nestedBreadcrumb(), model_.withLibrary(),
                               model_.cap(), std::nullopt};
    QPointer<GroupEditorView> self(this);
    ui::openSheet(factory_.groupEditor(request,
                                   [self](const MenuGroup& group) {
                                       if (self && self->model_.appendNestedGroup(group)) self->refresh();
                                   },
                                   this));
}

void GroupEditorView::editSlot(int index) {
    const auto target = model_.editTarget(index);
    if (!target) return;
    QPointer<GroupEditorView> self(this);
    SlotEditDispatcher::open(
        *target, model_.cap(), factory_,
        [self, target = *target](const SlotConfig& slot) {
            if (self && self->model_.commitEdit(target, slot)) self->refresh();
        },
        {}, this);
}

void GroupEditorView::saveGroup() {
    const auto group = model_.build();
    if (!group) return;
    if (auto report = std::exchange(onSave_, nullptr)) report(*group);
    accept();
}

}  // namespace orbel
