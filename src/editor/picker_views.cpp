#include "editor/picker_views.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>
#include <QGridLayout>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

#include "editor/editor_painting.h"
#include "editor/editor_widgets.h"
#include "icons/custom_images.h"
#include "ui/controls.h"
#include "ui/focus_in_view.h"
#include "ui/parameterized_action_editor.h"
#include "ui/popup_placement.h"
#include "ui/search_field.h"
#include "ui/sheet_frame.h"
#include "slots/system_app_provider.h"
#include "ui/wheel_guard.h"

namespace orbel::editor {

namespace {

enum PickerRole { SubtitleRole = Qt::UserRole + 1, IconNameRole, SymbolNameRole };

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QColor faded(const QWidget* w, double opacity) { return withAlpha(w->palette().color(QPalette::WindowText), opacity); }

// Secondary and tertiary texts.
void fade(QLabel* label, double opacity) {
    setTextColor(label, opacity > 0.4 ? secondaryColor(label->palette()) : tertiaryColor(label->palette()));
}

// "Choose an App" and its like: a badge, a title and a subtitle.
QWidget* sheetHeader(const char* symbol, const QColor& tint, const QString& title, const QString& subtitle,
                     QWidget* parent) {
    auto* header = new QWidget(parent);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(20, 14, 20, 14);
    row->setSpacing(12);
    auto* badge = new QLabel(header);
    const double dpr = parent->devicePixelRatioF();
    QPixmap pix(QSize(24, 24) * dpr);
    pix.setDevicePixelRatio(dpr);
    pix.fill(Qt::transparent);
    {
        QPainter p(&pix);
        paintSymbolBadge(p, QRectF(0, 0, 24, 24), symbol, tint);
    }
    badge->setPixmap(pix);
    row->addWidget(badge);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    auto* t = new QLabel(title, header);
    QFont f = t->font();
    f.setPointSizeF(f.pointSizeF() * 1.25);
    f.setWeight(QFont::Medium);
    t->setFont(f);
    auto* s = new QLabel(subtitle, header);
    QFont small = s->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    s->setFont(small);
    fade(s, 0.6);
    texts->addWidget(t);
    texts->addWidget(s);
    row->addLayout(texts);
    row->addStretch();
    return header;
}

// Application and template rows: a 28-point picture, a name and a second
// line, a chevron while hovered.
class PickerRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {100, 44};  // rows take the list's width
    }
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QPalette& pal = option.palette;
        const QColor ink = pal.color(QPalette::WindowText);
        const QRectF r = QRectF(option.rect).adjusted(6, 1, -6, -1);
        const bool hovered = option.state & QStyle::State_MouseOver;
        const bool selected = option.state & QStyle::State_Selected;
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        if (hovered || selected) {
            QPainterPath bg;
            bg.addRoundedRect(r, 6, 6);
            p->fillPath(bg, withAlpha(pal.color(QPalette::Highlight), selected ? 0.22 : 0.10));
        }
        // The current row, while the list has the keyboard focus.
        if ((option.state & QStyle::State_HasFocus) && ui::showsFocusMark(option.widget))
            ui::paintFocusMark(*p, pal, r.adjusted(1, 1, -1, -1), 6);
        const QRectF icon(r.left() + 10, r.center().y() - 14, 28, 28);
        const QString symbol = index.data(SymbolNameRole).toString();
        if (!symbol.isEmpty()) {  // a template: its symbol on a tile
            QPainterPath tile;
            tile.addRoundedRect(icon, 6, 6);
            p->fillPath(tile, withAlpha(pal.color(QPalette::Highlight), 0.10));
            paintSymbolIn(*p, icon.adjusted(7, 7, -7, -7), symbol.toStdString(), pal.color(QPalette::Highlight));
        } else {
            const QImage image = appIconImage(index.data(IconNameRole).toString().toStdString(), 28,
                                              p->device()->devicePixelRatioF());
            if (image.isNull()) paintSymbolIn(*p, icon, "app.badge.questionmark", withAlpha(ink, 0.5));
            else p->drawImage(icon, image);
        }
        const QRectF chevron(r.right() - 10 - 10, r.center().y() - 5, 10, 10);
        if (hovered || selected) paintSymbolIn(*p, chevron, "chevron.right", withAlpha(ink, 0.35));
        const double left = icon.right() + 12, width = chevron.left() - 4 - left;
        QFont small = option.font;
        small.setPointSizeF(small.pointSizeF() * 0.85);
        const QFontMetrics fm(option.font), sfm(small);
        p->setPen(ink);
        p->drawText(QRectF(left, r.top() + 5, width, fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                    fm.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, int(width)));
        p->setFont(small);
        p->setPen(withAlpha(ink, 0.6));
        const Qt::TextElideMode mode = symbol.isEmpty() ? Qt::ElideMiddle : Qt::ElideRight;
        p->drawText(QRectF(left, r.top() + 6 + fm.height(), width, sfm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                    sfm.elidedText(index.data(SubtitleRole).toString(), mode, int(width)));
        p->restore();
    }
};

}  // namespace

// ---- AppPickerView -------------------------------------------------------

AppPickerView::AppPickerView(std::vector<AppMenuPreset> templates, std::function<void(const AppInfo&)> onAppSelected,
                             std::function<void(const AppMenuPreset&)> onPresetSelected, QWidget* parent)
    : QDialog(parent), model_(std::move(templates)), onAppSelected_(std::move(onAppSelected)),
      onPresetSelected_(std::move(onPresetSelected)) {
    setWindowModality(Qt::WindowModal);
    setFixedSize(ui::fitFreeArea(QSize(520, 620), parent));  // its list scrolls
    setWindowTitle(tr("Choose an App"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // With templates it adds an application's own dial; without, an app to a slot.
    const QString purpose =
        onPresetSelected_ ? tr("Pick an app to give its own dial.") : tr("Pick an app for this slot to open.");
    layout->addWidget(
        sheetHeader("app.badge.checkmark", palette().color(QPalette::Highlight), tr("Choose an App"), purpose, this));
    layout->addWidget(makeSheetDivider(this));

    auto* controls = new QVBoxLayout;
    controls->setContentsMargins(20, 12, 20, 12);
    controls->setSpacing(10);
    std::vector<std::string> titles;
    for (AppCategory c : model_.visibleCategories()) titles.push_back(appCategoryTitle(c));
    categories_ = new SegmentedButtons(titles, this);
    connect(categories_, &SegmentedButtons::selected, this,
            [this](int i) { setCategory(model_.visibleCategories()[static_cast<std::size_t>(i)]); });
    controls->addWidget(categories_);
    SearchField* searchBox = makeSearchField(tr("Search applications\u2026"), this);
    search_ = searchBox->lineEdit();
    connect(search_, &QLineEdit::textChanged, this, [this](const QString& t) {
        model_.searchText = t.toStdString();
        refresh();
    });
    connect(search_, &QLineEdit::returnPressed, this, [] {});  // Return in the field does nothing
    search_->installEventFilter(this);  // Down goes on into the results
    controls->addWidget(searchBox);
    layout->addLayout(controls);
    layout->addWidget(makeSheetDivider(this));

    area_ = new QStackedWidget(this);
    auto* loading = new QWidget(area_);
    auto* loadingLayout = new QVBoxLayout(loading);
    loadingLayout->setSpacing(10);
    loadingLayout->addStretch();
    auto* progress = new QProgressBar(loading);
    progress->setRange(0, 0);
    progress->setTextVisible(false);
    progress->setMaximumWidth(160);
    loadingLayout->addWidget(progress, 0, Qt::AlignHCenter);
    auto* loadingText = new QLabel(tr("Loading applications\u2026"), loading);
    fade(loadingText, 0.6);
    loadingLayout->addWidget(loadingText, 0, Qt::AlignHCenter);
    loadingLayout->addStretch();
    list_ = new QListWidget(area_);
    list_->setItemDelegate(new PickerRowDelegate(list_));
    list_->setMouseTracking(true);
    list_->viewport()->setAttribute(Qt::WA_Hover);
    // Applications' icons are read off the interface thread: drawn again once in.
    connect(&CustomImages::shared(), &CustomImages::loaded, list_->viewport(), qOverload<>(&QWidget::update));
    list_->setFrameShape(QFrame::NoFrame);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A click selects a row, Add or a double-click chooses it.
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(list_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { choose(list_->row(item)); });
    list_->installEventFilter(this);  // the keyboard comes in on the current row
    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { choose(list_->row(item)); });
    auto* emptyPage = new QWidget(area_);
    auto* emptyLayout = new QVBoxLayout(emptyPage);
    emptyLayout->setSpacing(8);
    emptyLayout->addStretch();
    emptyLayout->addWidget(makeSymbolLabel("magnifyingglass", 28, faded(this, 0.35), emptyPage), 0, Qt::AlignHCenter);
    empty_ = new QLabel(emptyPage);
    empty_->setTextFormat(Qt::PlainText);  // may repeat the search
    fade(empty_, 0.6);
    emptyLayout->addWidget(empty_, 0, Qt::AlignHCenter);
    clearSearch_ = new QPushButton(tr("Clear search"), emptyPage);
    clearSearch_->setFlat(true);
    connect(clearSearch_, &QPushButton::clicked, search_, &QLineEdit::clear);
    emptyLayout->addWidget(clearSearch_, 0, Qt::AlignHCenter);
    emptyLayout->addStretch();
    area_->addWidget(loading);
    area_->addWidget(list_);
    area_->addWidget(emptyPage);
    layout->addWidget(area_, 1);
    layout->addWidget(makeSheetDivider(this));

    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(20, 12, 20, 12);
    footer->setSpacing(10);
    footer->addWidget(makeSymbolLabel("hand.draw", 12, faded(this, 0.35), this));
    auto* tip = new QLabel(tr("Tip: drag apps from the file manager directly onto a slot."), this);
    fade(tip, 0.6);
    tip->setWordWrap(true);  // beside Cancel and Add it takes two lines rather than being cut
    footer->addWidget(tip, 1);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);  // Escape rejects too
    footer->addWidget(cancel);
    add_ = new QPushButton(tr("Add"), this);
    add_->setAutoDefault(false);
    add_->setDefault(true);
    connect(add_, &QPushButton::clicked, this, [this] { choose(list_->currentRow()); });
    connect(list_, &QListWidget::itemSelectionChanged, this,
            [this] { add_->setEnabled(!list_->selectedItems().isEmpty()); });
    footer->addWidget(add_);
    layout->addLayout(footer);
    refresh();
}

void AppPickerView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (loadStarted_) return;
    loadStarted_ = true;
    SystemAppProvider::shared().load(this, [this](AppLists lists) {
        model_.systemApps = std::move(lists.system);
        model_.thirdPartyApps = std::move(lists.thirdParty);
        model_.allApps = std::move(lists.all);
        model_.isLoading = false;
        refresh();
    });
    if (!model_.templates().empty()) {
        QPointer<AppPickerView> self(this);
        QThreadPool::globalInstance()->start([self, templates = model_.templates()] {
            auto missing = missingTemplateApps(templates);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, missing = std::move(missing)] {
                    if (!self) return;
                    self->model_.missingTemplates = missing;
                    self->refresh();
                },
                Qt::QueuedConnection);
        });
    }
    QTimer::singleShot(50, this, [this] { search_->setFocus(); });
}

bool AppPickerView::eventFilter(QObject* watched, QEvent* event) {
    // Reached by the keyboard, the list selects its current row (the first
    // until another is chosen), as Down from the search field does: the
    // next Down goes on from the row that shows.
    if (watched == list_ && event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason && list_->selectedItems().isEmpty() &&
        list_->currentRow() >= 0)
        list_->setCurrentRow(list_->currentRow(), QItemSelectionModel::ClearAndSelect);
    if (watched == search_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down && listPage() == 1 && list_->count() > 0) {
        list_->setFocus(Qt::TabFocusReason);
        list_->setCurrentRow(std::max(0, list_->currentRow()), QItemSelectionModel::ClearAndSelect);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AppPickerView::setCategory(AppCategory category) {
    model_.selectedCategory = category;
    const auto cats = model_.visibleCategories();
    categories_->setCurrent(static_cast<int>(std::find(cats.begin(), cats.end(), category) - cats.begin()));
    refresh();
}

int AppPickerView::listPage() const { return area_->currentIndex(); }

QString AppPickerView::emptyText() const { return empty_->text(); }

void AppPickerView::refresh() {
    list_->clear();
    shownApps_.clear();
    shownTemplates_.clear();
    if (model_.showsLoading()) {
        area_->setCurrentIndex(0);
        return;
    }
    if (model_.selectedCategory == AppCategory::templates) {
        shownTemplates_ = model_.filteredTemplates();
        for (const AppMenuPreset& p : shownTemplates_) {
            auto* item = new QListWidgetItem(QString::fromStdString(p.displayName), list_);
            const std::string mark = model_.templateMark(p);
            item->setData(SubtitleRole, mark.empty() ? QString::fromStdString(p.summary)
                                                     : tr("not installed") + QStringLiteral(" \u00B7 ") +
                                                           QString::fromStdString(p.summary));
            item->setData(SymbolNameRole, QString::fromStdString(p.symbolName));
            item->setToolTip(ui::plainToolTip(QString::fromStdString(p.bundleId)));
        }
    } else {
        shownApps_ = model_.filteredApps();
        for (const AppInfo& a : shownApps_) {
            auto* item = new QListWidgetItem(QString::fromStdString(a.name), list_);
            item->setData(SubtitleRole, QString::fromStdString(a.bundleId));
            item->setData(IconNameRole, QString::fromStdString(a.icon));
            item->setToolTip(ui::plainToolTip(QString::fromStdString(a.bundleId)));
        }
    }
    const bool empty = list_->count() == 0;
    empty_->setText(QString::fromStdString(model_.emptyStateMessage()));
    clearSearch_->setVisible(!model_.searchText.empty());
    area_->setCurrentIndex(empty ? 2 : 1);
    // The first row is where the keyboard starts.
    if (!empty) list_->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    add_->setEnabled(false);  // the list was made again: nothing is selected
}

void AppPickerView::choose(int row) {
    if (row < 0 || chosen_) return;  // a double-click may also activate the row
    if (model_.selectedCategory == AppCategory::templates) {
        if (row >= static_cast<int>(shownTemplates_.size())) return;
        const AppMenuPreset preset = shownTemplates_[static_cast<std::size_t>(row)];
        chosen_ = true;
        if (onPresetSelected_) onPresetSelected_(preset);
    } else {
        if (row >= static_cast<int>(shownApps_.size())) return;
        const AppInfo app = shownApps_[static_cast<std::size_t>(row)];
        chosen_ = true;
        if (onAppSelected_) onAppSelected_(app);
    }
    accept();
}

// ---- ActionCard ----------------------------------------------------------

ActionCard::ActionCard(SystemAction action, std::function<void()> onSelect, QWidget* parent)
    : QWidget(parent), action_(action), onSelect_(std::move(onSelect)) {
    setMinimumHeight(80);
    setMaximumHeight(80);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::ClickFocus);  // the picker makes the chosen card the Tab stop
    setAccessibleName(QString::fromStdString(action_.title()));
}

void ActionCard::setAction(const SystemAction& action) {
    if (action_ == action) return;
    action_ = action;
    setAccessibleName(QString::fromStdString(action_.title()));
    update();
}

void ActionCard::setSelected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    update();
}

void ActionCard::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor accent = palette().color(QPalette::Highlight);
    const QColor ink = palette().color(QPalette::WindowText);
    const double line = selected_ ? 1.5 : 0.5;
    const QRectF box = QRectF(rect()).adjusted(line / 2, line / 2, -line / 2, -line / 2);
    QPainterPath shape;
    shape.addRoundedRect(box, 8, 8);
    p.fillPath(shape, selected_ ? withAlpha(accent, 0.16) : withAlpha(ink, 0.08));
    p.strokePath(shape, QPen(selected_ ? withAlpha(accent, 0.5) : withAlpha(ink, 0.15), line));
    paintSymbolIn(p, QRectF(width() / 2.0 - 11, 12, 22, 22), action_.symbolName(), systemBlue());
    QFont f = font();
    f.setPointSizeF(f.pointSizeF() * 0.85);
    f.setWeight(selected_ ? QFont::DemiBold : QFont::Medium);
    p.setFont(f);
    p.setPen(ink);
    p.drawText(QRectF(6, 42, width() - 12, 34), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
               QString::fromStdString(action_.title()));
    if (ui::showsFocusMark(this)) ui::paintFocusMark(p, palette(), QRectF(rect()).adjusted(1, 1, -1, -1), 8);
}

void ActionCard::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onSelect_) onSelect_();
}

void ActionCard::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down: Q_EMIT arrowPressed(event->key()); return;
        case Qt::Key_Space:
            if (onSelect_) onSelect_();
            return;
        default: QWidget::keyPressEvent(event);  // Return and Enter go on to the sheet's Add
    }
}

// ---- ActionPickerView ----------------------------------------------------

ActionPickerView::ActionPickerView(SystemAction selected, std::function<void(const SystemAction&)> onSelectionChanged,
                                   std::function<void(const SystemAction&, const std::string&)> onActionSelected,
                                   QWidget* parent)
    : QDialog(parent), model_(selected, std::move(onSelectionChanged)), onActionSelected_(std::move(onActionSelected)) {
    setWindowModality(Qt::WindowModal);
    setFixedSize(ui::fitFreeArea(QSize(720, 640), parent));  // its cards scroll
    setWindowTitle(tr("Add System Action"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(sheetHeader("bolt.circle.fill", systemBlue(), tr("Add System Action"),
                                  tr("Pick an action; the slot fires it on click."), this));
    layout->addWidget(makeSheetDivider(this));

    ui::keepWheelForFocusedControls();
    auto* scroll = new QScrollArea(this);
    scroll_ = scroll;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui::markFocus(scroll, 6);
    auto* content = new QWidget(scroll);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(18);
    for (ActionCategory c : allActionCategories()) {
        const auto actions = model_.actionsInCategory(c);
        if (actions.empty()) continue;
        auto* section = new QVBoxLayout;
        section->setSpacing(8);
        auto* heading = new QLabel(qs(rawValue(c)).toUpper(), content);
        QFont f = heading->font();
        f.setPointSizeF(f.pointSizeF() * 0.8);
        f.setWeight(QFont::DemiBold);
        heading->setFont(f);
        fade(heading, 0.35);
        section->addWidget(heading);
        auto* grid = new QGridLayout;
        grid->setSpacing(12);
        for (std::size_t i = 0; i < actions.size(); ++i) {
            const std::size_t at = cards_.size();
            auto* card = new ActionCard(actions[i], [this, at] { choose(cards_[at]); }, content);
            card->setObjectName(qs(actions[i].identifier()));
            connect(card, &ActionCard::arrowPressed, this, [this, card](int key) { moveFocus(card, key); });
            cards_.push_back(card);
            if (i % 3 == 0) cardRows_.emplace_back();
            cardRows_.back().push_back(card);
            grid->addWidget(card, int(i / 3), int(i % 3));
        }
        for (int col = 0; col < 3; ++col) grid->setColumnStretch(col, 1);
        section->addLayout(grid);
        column->addLayout(section);
    }
    levelBlock_ = new QWidget(content);
    auto* levelLayout = new QVBoxLayout(levelBlock_);
    levelLayout->setContentsMargins(0, 0, 0, 0);
    levelLayout->addWidget(makeSheetDivider(levelBlock_));
    showLevelEditor();
    column->addWidget(levelBlock_);
    column->addWidget(makeSheetDivider(content));
    auto* titleBlock = new QVBoxLayout;
    titleBlock->setSpacing(8);
    auto* slotTitle = new QLabel(tr("Slot Title"), content);
    QFont bold = slotTitle->font();
    bold.setWeight(QFont::DemiBold);
    slotTitle->setFont(bold);
    titleBlock->addWidget(slotTitle);
    useCustom_ = new QCheckBox(tr("Use custom title"), content);
    connect(useCustom_, &QCheckBox::toggled, this, [this](bool on) {
        model_.setUseCustomTitle(on);
        sync();
    });
    titleBlock->addWidget(useCustom_);
    title_ = new QLineEdit(content);
    title_->setPlaceholderText(tr("Enter title"));
    connect(title_, &QLineEdit::textEdited, this, [this](const QString& t) {
        model_.setCustomTitle(t.toStdString());
        sync();
    });
    titleBlock->addWidget(title_);
    column->addLayout(titleBlock);
    column->addStretch();
    scroll->setWidget(content);
    ui::keepFocusInView(scroll, 20);
    layout->addWidget(scroll, 1);
    layout->addWidget(makeSheetDivider(this));

    auto* cancel = new QPushButton(tr("Cancel"), this);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    add_ = new QPushButton(tr("Add"), this);
    connect(add_, &QPushButton::clicked, this, [this] {
        if (!model_.canAdd()) return;
        if (onActionSelected_) onActionSelected_(model_.selectedAction(), model_.customTitle());
        accept();
    });
    layout->addWidget(makeSheetFooter(cancel, add_, this));
    sync();
    const auto chosen = std::find_if(cards_.begin(), cards_.end(), [](ActionCard* c) { return c->isSelected(); });
    setTabStop(chosen != cards_.end() ? *chosen : cards_.front());
}

ActionCard* ActionPickerView::card(SystemAction::Kind kind) const {
    for (ActionCard* c : cards_)
        if (c->action().kind == kind) return c;
    return nullptr;
}

void ActionPickerView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    model_.appear();
    sync();
    // The cards are laid out by now; the chosen one may lie below the fold.
    for (ActionCard* c : cards_) {
        if (!c->isSelected()) continue;
        scroll_->ensureWidgetVisible(c, 0, 20);
        setTabStop(c);
        break;
    }
    // The keyboard starts on the cards, so that the arrows move among them
    // at once (the card area before them is a Tab stop of its own).
    for (ActionCard* c : cards_) {
        if (!(c->focusPolicy() & Qt::TabFocus)) continue;
        c->setFocus(Qt::TabFocusReason);
        break;
    }
}

void ActionPickerView::setTabStop(ActionCard* card) {
    for (ActionCard* c : cards_) c->setFocusPolicy(c == card ? Qt::StrongFocus : Qt::ClickFocus);
}

void ActionPickerView::choose(ActionCard* card) {
    model_.choose(card->action());
    setTabStop(card);
    sync();
}

void ActionPickerView::moveFocus(ActionCard* from, int key) {
    for (std::size_t r = 0; r < cardRows_.size(); ++r) {
        const auto& row = cardRows_[r];
        const auto at = std::find(row.begin(), row.end(), from);
        if (at == row.end()) continue;
        // Left and right stay in the row; up and down go to the row above or
        // below, to the card in the same column or the last one of a shorter row.
        long targetRow = long(r), column = long(at - row.begin());
        if (key == Qt::Key_Left) --column;
        else if (key == Qt::Key_Right) ++column;
        else targetRow += key == Qt::Key_Up ? -1 : 1;
        if (targetRow < 0 || targetRow >= long(cardRows_.size())) return;
        const auto& target = cardRows_[std::size_t(targetRow)];
        if (targetRow != long(r)) column = std::min(column, long(target.size()) - 1);
        if (column < 0 || column >= long(target.size())) return;
        ActionCard* next = target[std::size_t(column)];
        next->setFocus(Qt::OtherFocusReason);
        choose(next);
        scroll_->ensureWidgetVisible(next, 0, 20);
        return;
    }
}

void ActionPickerView::sync() {
    for (ActionCard* c : cards_) {
        if (c->action().hasValue()) c->setAction(SystemAction(c->action().kind, model_.parameter()));
        c->setSelected(model_.isSelected(c->action()));
    }
    levelBlock_->setVisible(model_.showsLevelEditor());
    if (model_.selectedAction().hasValue() && model_.selectedAction().kind != levelKind_) showLevelEditor();
    if (level_->level() != model_.parameter()) level_->setLevel(model_.parameter());
    {
        const QSignalBlocker block(useCustom_);
        useCustom_->setChecked(model_.useCustomTitle());
    }
    title_->setEnabled(model_.useCustomTitle());
    if (title_->text().toStdString() != model_.customTitle()) title_->setText(QString::fromStdString(model_.customTitle()));
    add_->setEnabled(model_.canAdd());
}

void ActionPickerView::showLevelEditor() {
    if (level_) level_->deleteLater();
    levelKind_ = model_.selectedAction().hasValue() ? model_.selectedAction().kind : SystemAction::Kind::setVolume;
    level_ = new ParameterizedActionEditor(SystemAction(levelKind_, model_.parameter()), model_.parameter(), levelBlock_);
    levelBlock_->layout()->addWidget(level_);
    level_->onChange = [this](double v) {
        model_.setParameter(v);
        sync();
    };
}

// ---- AddSlotPopover ------------------------------------------------------

namespace {

class OptionRow : public QWidget {
public:
    OptionRow(const AddSlotOption& option, std::function<void()> onClick, QWidget* parent)
        : QWidget(parent), option_(option), onClick_(std::move(onClick)) {
        setAccessibleName(QString::fromStdString(option.title));
        setFixedHeight(8 + 28 + 8);
        setCursor(Qt::PointingHandCursor);
        setAttribute(Qt::WA_Hover);
        // The row under the pointer is the one the keys act on: one mark for both.
        setFocusPolicy(Qt::TabFocus);
    }
    void pick() {
        if (onClick_) onClick_();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor ink = palette().color(QPalette::WindowText);
        if (hasFocus()) p.fillRect(rect(), withAlpha(palette().color(QPalette::Highlight), 0.16));
        const QRectF badge(12, 8, 28, 28);
        QPainterPath square;
        square.addRoundedRect(badge, 6, 6);
        p.fillPath(square, withAlpha(ink, 0.12));
        paintSymbolIn(p, badge.adjusted(7.5, 7.5, -7.5, -7.5), option_.symbol, ink);
        QFont title = font();
        title.setWeight(QFont::Medium);
        QFont caption = font();
        caption.setPointSizeF(caption.pointSizeF() * 0.85);
        const QFontMetrics tm(title), cm(caption);
        const double top = (height() - tm.height() - 1 - cm.height()) / 2.0;
        p.setFont(title);
        p.setPen(ink);
        p.drawText(QRectF(50, top, width() - 62, tm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(option_.title));
        p.setFont(caption);
        p.setPen(withAlpha(ink, 0.6));
        p.drawText(QRectF(50, top + tm.height() + 1, width() - 62, cm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(option_.subtitle));
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) pick();
    }
    bool event(QEvent* e) override {
        if (e->type() == QEvent::HoverEnter) setFocus(Qt::MouseFocusReason);
        if (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) update();
        return QWidget::event(e);
    }

private:
    AddSlotOption option_;
    std::function<void()> onClick_;
};

}  // namespace

AddSlotPopover* AddSlotPopover::showBelow(QWidget* button, std::function<void(AddSlotKind)> onPick,
                                          QWidget* parent) {
    auto* popover = new AddSlotPopover(std::move(onPick), parent);
    popover->setAttribute(Qt::WA_DeleteOnClose);
    popover->adjustSize();
    const QRect anchor = ui::globalRect(button);
    ui::showPopup(popover, ui::centredBelow(anchor, popover->size()), anchor);
    popover->rows_.front().second->setFocus(Qt::PopupFocusReason);
    return popover;
}

void AddSlotPopover::keyPressEvent(QKeyEvent* event) {
    const auto focused = std::find_if(rows_.begin(), rows_.end(), [](const auto& r) { return r.second->hasFocus(); });
    const int at = focused == rows_.end() ? -1 : static_cast<int>(focused - rows_.begin());
    const int count = static_cast<int>(rows_.size());
    switch (event->key()) {
        case Qt::Key_Down:
        case Qt::Key_Up: {
            // Round, as in a menu.
            const int step = event->key() == Qt::Key_Down ? 1 : -1;
            const int next = at < 0 ? (step > 0 ? 0 : count - 1) : (at + step + count) % count;
            rows_[static_cast<std::size_t>(next)].second->setFocus(Qt::OtherFocusReason);
            return;
        }
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (at >= 0) static_cast<OptionRow*>(focused->second)->pick();
            return;
        default: QFrame::keyPressEvent(event);  // Escape closes
    }
}

AddSlotPopover::AddSlotPopover(std::function<void(AddSlotKind)> onPick, QWidget* parent)
    : QFrame(parent, Qt::Popup), onPick_(std::move(onPick)) {
    setFrameShape(QFrame::StyledPanel);
    setFixedWidth(280);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->setSpacing(0);
    auto* heading = new QLabel(tr("New Slot"), this);
    QFont f = heading->font();
    f.setWeight(QFont::DemiBold);
    heading->setFont(f);
    heading->setContentsMargins(12, 10, 12, 6);
    fade(heading, 0.6);
    layout->addWidget(heading);
    const auto& options = addSlotOptions();
    for (std::size_t i = 0; i < options.size(); ++i) {
        const AddSlotKind kind = options[i].id;
        auto* row = new OptionRow(options[i], [this, kind] {
            if (onPick_) onPick_(kind);
        }, this);
        rows_.emplace_back(kind, row);
        layout->addWidget(row);
        if (options[i].id == options.back().id) continue;  // no divider after the last row
        auto* line = makeSheetDivider(this);
        line->setObjectName(QStringLiteral("divider"));
        auto* inset = new QHBoxLayout;
        inset->setContentsMargins(44, 0, 0, 0);
        inset->addWidget(line);
        layout->addLayout(inset);
    }
}

QWidget* AddSlotPopover::row(AddSlotKind kind) const {
    for (const auto& [k, w] : rows_)
        if (k == kind) return w;
    return nullptr;
}

}  // namespace orbel::editor
