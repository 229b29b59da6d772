#include "editor/slot_library_column.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainterPath>
#include <QProgressBar>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "editor/dial_editor_view.h"
#include "icons/custom_images.h"
#include "editor/editor_painting.h"
#include "editor/editor_widgets.h"
#include "ui/controls.h"
#include "ui/parameterized_action_editor.h"
#include "ui/popup_placement.h"
#include "ui/search_field.h"
#include "ui/teardown.h"
#include "platform/workspace.h"
#include "slots/slot_factory.h"
#include "slots/system_app_provider.h"

namespace orbel::editor {

namespace {

enum Role { KindRole = Qt::UserRole + 1, AddedRole, IconRole, SymbolRole };

constexpr int kPlusWidth = 28;  // the trailing mark's click area

QColor tertiary(const QPalette& p) { return withAlpha(p.color(QPalette::WindowText), 0.35); }
QColor secondaryInk(const QPalette& p) { return withAlpha(p.color(QPalette::WindowText), 0.6); }

}  // namespace

// One row as the list shows it.
struct LibraryRowData {
    LibraryEntry::Kind kind;
    QString text;
    std::optional<AppInfo> app;
    SystemAction action;
    bool added = false;
};
using Row = LibraryRowData;

class LibraryListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void setRows(std::vector<Row> rows) {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
    }
    const Row* row(int r) const {
        return r >= 0 && r < static_cast<int>(rows_.size()) ? &rows_[static_cast<std::size_t>(r)] : nullptr;
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    // Rows that add something; headers and the empty texts do not.
    bool addsSomething(int r) const {
        const Row* at = row(r);
        return at && (at->kind == LibraryEntry::Kind::app || at->kind == LibraryEntry::Kind::action ||
                      at->kind == LibraryEntry::Kind::parameterised);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const Row* r = row(index.row());
        if (!r) return {};
        switch (role) {
            case Qt::DisplayRole: return r->text;
            case KindRole: return static_cast<int>(r->kind);
            case AddedRole: return r->added;
            case IconRole: return r->app ? QString::fromStdString(r->app->icon) : QString();
            case SymbolRole: return QString::fromUtf8(r->action.symbolName().data(), qsizetype(r->action.symbolName().size()));
            case Qt::ToolTipRole:
                if (r->kind == LibraryEntry::Kind::parameterised) return tr("Set an exact value, then add");
                if (r->kind == LibraryEntry::Kind::app)
                    return ui::plainToolTip(
                        QString::fromStdString(libraryRowToolTip(r->added, r->app->bundleId, r->text.toStdString())));
                if (r->kind == LibraryEntry::Kind::action)
                    return QString::fromStdString(libraryRowToolTip(r->added, std::nullopt, r->text.toStdString()));
                return {};
            default: return {};
        }
    }

private:
    std::vector<Row> rows_;
};

namespace {

// Paints the rows: application and action rows, valued-action rows,
// category headers and the empty texts.
class RowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        (void)option;
        const auto kind = static_cast<LibraryEntry::Kind>(index.data(KindRole).toInt());
        const int w = 100;  // rows take the list's width
        switch (kind) {
            case LibraryEntry::Kind::header: return {w, 28};
            case LibraryEntry::Kind::message:
            case LibraryEntry::Kind::loading: return {w, 24 + 20 + 24};
            default: return {w, 34};
        }
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const auto kind = static_cast<LibraryEntry::Kind>(index.data(KindRole).toInt());
        const QPalette& pal = option.palette;
        const QColor ink = pal.color(QPalette::WindowText);
        const QRectF r = option.rect;
        const QString text = index.data(Qt::DisplayRole).toString();
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        if (kind == LibraryEntry::Kind::message || kind == LibraryEntry::Kind::loading) {
            p->setPen(tertiary(pal));
            p->drawText(r, Qt::AlignCenter, text);
            p->restore();
            return;
        }
        if (kind == LibraryEntry::Kind::header) {
            QFont f = option.font;
            f.setPointSizeF(f.pointSizeF() * 0.85);
            f.setWeight(QFont::DemiBold);
            p->setFont(f);
            p->setPen(tertiary(pal));
            p->drawText(r.adjusted(8, 8, -8, 0), Qt::AlignLeft | Qt::AlignVCenter, text.toUpper());
            p->restore();
            return;
        }
        // The current row while the list has the keyboard focus shows as a
        // hovered one does, with the focus mark around it.
        const bool focused = (option.state & QStyle::State_HasFocus) && ui::showsFocusMark(option.widget);
        const bool hovered = (option.state & QStyle::State_MouseOver) || focused;
        const bool added = index.data(AddedRole).toBool();
        if (hovered && !added) {
            QPainterPath bg;
            bg.addRoundedRect(r, 5, 5);
            p->fillPath(bg, withAlpha(pal.color(QPalette::Highlight), 0.10));
        }
        if (focused) ui::paintFocusMark(*p, pal, r.adjusted(1, 1, -1, -1), 5);
        const QRectF icon(r.left() + 8, r.center().y() - 11, 22, 22);
        if (kind == LibraryEntry::Kind::app) {
            // As a wedge of the dial would show the application.
            const SlotImage app{SlotIcon::automatic(), fallbackSymbol(SlotType::app({})), {},
                                index.data(IconRole).toString().toStdString()};
            const QImage image = dial::slotPicture(app, 22, secondaryInk(pal), p->device()->devicePixelRatioF());
            p->setOpacity(added ? 0.55 : 1.0);
            p->drawImage(icon, image);
            p->setOpacity(1);
        } else {
            p->setOpacity(added ? 0.55 : 1.0);
            paintSymbolBadge(*p, icon, index.data(SymbolRole).toString().toStdString(), systemBlue());
            p->setOpacity(1);
        }
        const QRectF mark(r.right() - 8 - 16, r.center().y() - 8, 16, 16);
        double textRight = mark.left() - 4;
        if (kind == LibraryEntry::Kind::parameterised) {
            const QRectF slider(mark.left() - 10 - 12, r.center().y() - 6, 12, 12);
            p->setOpacity(hovered ? 1.0 : 0.5);
            paintSymbolIn(*p, slider, "slider.horizontal.3", tertiary(pal));
            p->setOpacity(1);
            textRight = slider.left() - 4;
        }
        if (added) paintSymbolIn(*p, mark, "checkmark.circle.fill", tertiary(pal));
        else if (hovered) paintSymbolIn(*p, mark, "plus.circle.fill", pal.color(QPalette::Highlight));
        p->setPen(added ? secondaryInk(pal) : ink);
        const QRectF textBox(icon.right() + 10, r.top(), textRight - icon.right() - 10, r.height());
        p->drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter,
                    QFontMetrics(option.font).elidedText(text, Qt::ElideRight, int(textBox.width())));
        p->restore();
    }
};

// The list: hover, a click on the trailing mark, double clicks, drags of
// application and action rows carrying their payload, and the keyboard.
class LibraryListView : public QListView {
public:
    LibraryListView(LibraryListModel* rows, std::function<void(int, bool)> activate, std::function<void(int)> addKey,
                    std::function<std::optional<SlotDragPayload>(int)> payloadOf, QWidget* parent)
        : QListView(parent),
          rows_(rows),
          activate_(std::move(activate)),
          addKey_(std::move(addKey)),
          payloadOf_(std::move(payloadOf)) {
        setModel(rows);
        setItemDelegate(new RowDelegate(this));
        setMouseTracking(true);
        viewport()->setAttribute(Qt::WA_Hover);
        // Applications' icons are read off the interface thread: drawn again once in.
        connect(&CustomImages::shared(), &CustomImages::loaded, viewport(), qOverload<>(&QWidget::update));
        setSelectionMode(QAbstractItemView::NoSelection);
        setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        setSpacing(0);
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        // Reached with Tab, as the ring is: a click on a row leaves the
        // focus where it was, and no focus mark on the row.
        setFocusPolicy(Qt::TabFocus);
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        const bool add = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Space;
        if (add && e->modifiers() == Qt::NoModifier && currentIndex().isValid()) {
            addKey_(currentIndex().row());  // taken here: Return is not the sheet's default button
            e->accept();
            return;
        }
        QListView::keyPressEvent(e);
    }
    void focusInEvent(QFocusEvent* e) override {
        QListView::focusInEvent(e);
        // However it is reached (also after its rows were rebuilt, or a click
        // on a header), the list has a current row to mark.
        if (!rows_->addsSomething(currentIndex().row())) {
            const QModelIndex first = moveCursor(MoveHome, Qt::NoModifier);
            if (first.isValid()) selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        }
    }
    // The current row moves over headers and empty texts to the next row
    // that adds something in the direction of travel (or, past the end, back).
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
        const QModelIndex next = QListView::moveCursor(action, modifiers);
        if (!next.isValid() || rows_->addsSomething(next.row())) return next;
        const bool back = action == MoveUp || action == MovePrevious || action == MovePageUp || action == MoveEnd;
        const int count = rows_->rowCount();
        for (int step : {back ? -1 : 1, back ? 1 : -1})
            for (int r = next.row() + step; r >= 0 && r < count; r += step)
                if (rows_->addsSomething(r)) return rows_->index(r);
        return {};
    }
    void mousePressEvent(QMouseEvent* e) override {
        pressed_ = e->button() == Qt::LeftButton ? indexAt(e->position().toPoint()).row() : -1;
        pressPos_ = e->position().toPoint();
        QListView::mousePressEvent(e);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (pressed_ >= 0 && (e->buttons() & Qt::LeftButton) &&
            (e->position().toPoint() - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
            const int row = pressed_;
            pressed_ = -1;
            if (auto payload = payloadOf_(row)) startRowDrag(row, *payload);
            return;
        }
        QListView::mouseMoveEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        const int row = indexAt(e->position().toPoint()).row();
        if (e->button() == Qt::LeftButton && row >= 0 && row == pressed_ &&
            e->position().x() >= viewport()->width() - 8 - kPlusWidth)
            activate_(row, true);
        pressed_ = -1;
        QListView::mouseReleaseEvent(e);
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        const int row = indexAt(e->position().toPoint()).row();
        if (row >= 0) activate_(row, false);
    }

private:
    void startRowDrag(int row, const SlotDragPayload& payload) {
        const Row* r = rows_->row(row);
        if (!r) return;
        const QFont font = this->font();
        const QFontMetrics fm(font);
        const QSize size(8 + 18 + 6 + fm.horizontalAdvance(r->text) + 8, 8 + std::max(18, fm.height()) + 8);
        const double dpr = devicePixelRatioF();
        QPixmap preview(QSize(size.width() + 4, size.height() + 4) * dpr);
        preview.setDevicePixelRatio(dpr);
        preview.fill(Qt::transparent);
        {
            QPainter p(&preview);
            p.setRenderHint(QPainter::Antialiasing);
            QPainterPath box;
            box.addRoundedRect(QRectF(1.5, 1.5, size.width(), size.height()), 6, 6);
            p.fillPath(box, palette().color(QPalette::Window));
            p.strokePath(box, QPen(withAlpha(palette().color(QPalette::WindowText), 0.1), 1));
            const QRectF icon(9.5, 1.5 + (size.height() - 18) / 2.0, 18, 18);
            if (r->app) {
                const QImage image = appIconImage(r->app->icon, 18, dpr);
                if (!image.isNull()) p.drawImage(icon, image);
            } else {
                paintSymbolBadge(p, icon, r->action.symbolName(), systemBlue());
            }
            p.setPen(palette().color(QPalette::WindowText));
            p.drawText(QRectF(icon.right() + 6, 1.5, size.width(), size.height()), Qt::AlignLeft | Qt::AlignVCenter, r->text);
        }
        auto* drag = new QDrag(this);
        drag->setMimeData(payloadMimeData(payload));
        drag->setPixmap(preview);
        drag->setHotSpot(QPoint(14, preview.height() / int(2 * dpr)));
        drag->exec(Qt::CopyAction, Qt::CopyAction);
        // The pointer left during the drag without the view hearing of it,
        // and the window's enter, sent as the drag ends, names the view
        // again: once that is through, the row is no longer hovered.
        QTimer::singleShot(0, viewport(), [view = viewport()] {
            const QPoint at = view->mapFromGlobal(QCursor::pos());
            if (view->rect().contains(at)) return;
            QHoverEvent left(QEvent::HoverLeave, QPointF(at), QCursor::pos(), QPointF(at));
            QCoreApplication::sendEvent(view, &left);
        });
    }

    LibraryListModel* rows_;
    std::function<void(int, bool)> activate_;
    std::function<void(int)> addKey_;
    std::function<std::optional<SlotDragPayload>(int)> payloadOf_;
    int pressed_ = -1;
    QPoint pressPos_;
};

}  // namespace

SlotLibraryColumn::SlotLibraryColumn(std::vector<LibrarySegment> allowedSegments,
                                     std::function<bool(const SlotConfig&)> isAdded,
                                     std::function<void(const SlotConfig&)> onAdd, QWidget* parent)
    : QWidget(parent), model_(std::move(allowedSegments), std::move(isAdded), std::move(onAdd)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);

    auto* header = new QHBoxLayout;
    auto* title = new QLabel(tr("Library"), this);
    QFont bold = title->font();
    bold.setWeight(QFont::DemiBold);
    title->setFont(bold);
    header->addWidget(title);
    header->addStretch();
    if (model_.showsSegmentPicker()) {
        std::vector<std::string> titles;
        for (LibrarySegment s : model_.allowedSegments()) titles.push_back(segmentTitle(s));
        segments_ = new SegmentedButtons(titles, this);
        connect(segments_, &SegmentedButtons::selected, this,
                [this](int i) { setSegment(model_.allowedSegments()[static_cast<std::size_t>(i)]); });
        header->addWidget(segments_);
    }
    layout->addLayout(header);

    SearchField* searchBox = makeSearchField({}, this);
    search_ = searchBox->lineEdit();
    connect(search_, &QLineEdit::textChanged, this, [this](const QString& t) {
        model_.search = t.toStdString();
        refresh();
    });
    layout->addWidget(searchBox);

    filters_ = new QStackedWidget(this);
    std::vector<std::string> filterTitles;
    for (AppFilter f : allAppFilters()) filterTitles.push_back(appFilterTitle(f));
    appFilters_ = new SegmentedButtons(filterTitles, filters_);
    connect(appFilters_, &SegmentedButtons::selected, this,
            [this](int i) { setAppFilter(allAppFilters()[static_cast<std::size_t>(i)]); });
    categoryButton_ = new QToolButton(filters_);
    categoryButton_->setPopupMode(QToolButton::InstantPopup);
    categoryButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    categoryButton_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    categoryButton_->setMenu(new QMenu(categoryButton_));
    ui::keepMenuBesideButton(categoryButton_->menu(), categoryButton_);
    filters_->addWidget(appFilters_);
    filters_->addWidget(categoryButton_);
    filters_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    layout->addWidget(filters_);

    listStack_ = new QStackedWidget(this);
    auto* loadingPage = new QWidget(listStack_);
    auto* loadingLayout = new QVBoxLayout(loadingPage);
    auto* progress = new QProgressBar(loadingPage);
    progress->setRange(0, 0);
    progress->setTextVisible(false);
    progress->setMaximumWidth(120);
    loadingLayout->addWidget(progress, 0, Qt::AlignHCenter | Qt::AlignTop);
    loadingLayout->addStretch();
    rows_ = new LibraryListModel(this);
    list_ = new LibraryListView(
        rows_, [this](int row, bool onPlus) { activate(row, onPlus); }, [this](int row) { addFromKeyboard(row); },
        [this](int row) { return payloadOf(row); }, listStack_);
    listStack_->addWidget(loadingPage);
    listStack_->addWidget(list_);
    layout->addWidget(listStack_, 1);
    updateChrome();
    refresh();
}

SlotLibraryColumn::~SlotLibraryColumn() {
    // A valued action's popover adds through the model, which goes first.
    ui::detachChildren(this);
    delete parameterPopover();
}

void SlotLibraryColumn::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    model_.normaliseSegment();
    loadApps();
    refreshRunningApps();
    updateChrome();
    refresh();
}

void SlotLibraryColumn::loadApps() {
    if (!model_.apps.empty() || loading_) return;
    model_.isLoadingApps = true;
    loading_ = true;
    SystemAppProvider::shared().loadAllApps(this, [this](std::vector<AppInfo> apps) {
        loading_ = false;
        model_.setApps(std::move(apps));
        refresh();
    });
}

void SlotLibraryColumn::refreshRunningApps() {
    model_.runningBundleIds.clear();
    for (const auto& app : platform::Workspace::shared().runningApplications())
        if (!app.bundleId.empty()) model_.runningBundleIds.insert(app.bundleId);
}

void SlotLibraryColumn::setSegment(LibrarySegment segment) {
    model_.segment = segment;
    updateChrome();
    refresh();
}

void SlotLibraryColumn::setAppFilter(AppFilter filter) {
    model_.appFilter = filter;
    if (filter == AppFilter::running) refreshRunningApps();
    updateChrome();
    refresh();
}

void SlotLibraryColumn::setActionFilter(std::optional<ActionCategory> category) {
    model_.actionFilter = category;
    updateChrome();
    refresh();
}

void SlotLibraryColumn::updateChrome() {
    const bool apps = model_.segment == LibrarySegment::apps;
    if (segments_) {
        const auto& allowed = model_.allowedSegments();
        const auto it = std::find(allowed.begin(), allowed.end(), model_.segment);
        if (it != allowed.end()) segments_->setCurrent(static_cast<int>(it - allowed.begin()));
    }
    search_->setPlaceholderText(QString::fromStdString(model_.searchPlaceholder()));
    filters_->setCurrentIndex(apps ? 0 : 1);
    const auto& filters = allAppFilters();
    appFilters_->setCurrent(static_cast<int>(std::find(filters.begin(), filters.end(), model_.appFilter) - filters.begin()));
    // The category menu, its check mark on the current choice. Its entries
    // are made once: this runs from an entry's own trigger, which must not
    // delete the entry under the menu delivering it.
    const QColor ink = palette().color(QPalette::WindowText);
    auto icon = [&](const char* symbol) { return symbolIcon(symbol, 14, ink, devicePixelRatioF()); };
    categoryButton_->setText(QString::fromStdString(model_.actionFilterLabel()));
    categoryButton_->setIcon(icon("line.3.horizontal.decrease.circle"));
    QMenu* menu = categoryButton_->menu();
    if (menu->isEmpty()) {
        menu->addAction(tr("All Categories"), this, [this] { setActionFilter(std::nullopt); })->setData(-1);
        menu->addSeparator();
        for (ActionCategory c : allActionCategories())
            menu->addAction(QString::fromUtf8(rawValue(c).data(), qsizetype(rawValue(c).size())), this,
                            [this, c] { setActionFilter(c); })
                ->setData(static_cast<int>(c));
    }
    const int current = model_.actionFilter ? static_cast<int>(*model_.actionFilter) : -1;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) a->setIcon(a->data().toInt() == current ? icon("checkmark") : QIcon());
}

std::optional<SlotDragPayload> SlotLibraryColumn::payloadOf(int row) const {
    const Row* r = rows_->row(row);
    if (!r) return std::nullopt;
    if (r->kind == LibraryEntry::Kind::app) return SlotLibraryModel::appPayload(*r->app);
    if (r->kind == LibraryEntry::Kind::action) return SlotLibraryModel::actionPayload(r->action);
    return std::nullopt;  // valued actions are added through their popover only
}

void SlotLibraryColumn::refresh() {
    // The current row stays on its item while that item is still listed.
    const Row* current = rows_->row(list_->currentIndex().row());
    const std::optional<std::pair<LibraryEntry::Kind, QString>> kept =
        current ? std::optional(std::pair(current->kind, current->text)) : std::nullopt;
    const bool loading = model_.segment == LibrarySegment::apps && model_.isLoadingApps;
    listStack_->setCurrentIndex(loading ? 0 : 1);
    std::vector<Row> rows;
    for (const LibraryEntry& e : model_.entries()) {
        Row r{e.kind, QString::fromStdString(e.text), std::nullopt, e.action, false};
        // The candidate's id plays no part in the host's comparison.
        if (e.kind == LibraryEntry::Kind::app) {
            r.app = *e.app;
            r.added = model_.isAdded(SlotConfig{Uuid(), SlotType::app(e.app->bundleId), e.app->name});
        } else if (e.kind == LibraryEntry::Kind::action) {
            r.added = model_.isAdded(SlotConfig{Uuid(), SlotType::action(e.action), e.text});
        }
        rows.push_back(std::move(r));
    }
    rows_->setRows(std::move(rows));
    if (!kept) return;
    for (int i = 0; i < rows_->rowCount(); ++i) {
        const Row* r = rows_->row(i);
        if (r->kind != kept->first || r->text != kept->second) continue;
        list_->selectionModel()->setCurrentIndex(rows_->index(i), QItemSelectionModel::NoUpdate);
        break;
    }
}

int SlotLibraryColumn::rowOf(const QString& text) const {
    for (int i = 0; i < rows_->rowCount(); ++i)
        if (rows_->row(i)->text == text) return i;
    return -1;
}

QRect SlotLibraryColumn::rowRect(int row) const { return list_->visualRect(rows_->index(row)); }

void SlotLibraryColumn::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && categoryButton_) updateChrome();
}

ParameterPopover* SlotLibraryColumn::parameterPopover() const { return findChild<ParameterPopover*>(); }

ParameterPopover* SlotLibraryColumn::openParameterPopover(int row) {
    const Row* r = rows_->row(row);
    if (!r || r->kind != LibraryEntry::Kind::parameterised) return nullptr;
    if (auto* old = parameterPopover()) old->close();
    const auto level = levels_.find(r->action.kind);
    auto* popover = new ParameterPopover(r->action, level == levels_.end() ? 0.5 : level->second,
                                         [this](const SystemAction& chosen, double value) {
                                             levels_[chosen.kind] = value;
                                             model_.add(SlotLibraryModel::actionSlot(chosen));
                                         },
                                         this);
    popover->editor()->onChange = [this, kind = r->action.kind](double v) { levels_[kind] = v; };
    // Left of the row, level with it (right of it where the screen has no room on the left).
    const QRect anchor(list_->viewport()->mapToGlobal(rowRect(row).topLeft()), rowRect(row).size());
    popover->adjustSize();
    ui::showPopup(popover, QRect(QPoint(anchor.left() - popover->width(), anchor.top()), popover->size()), anchor);
    return popover;
}

void SlotLibraryColumn::setDial(RadialDialEditor* dial) { dial_ = dial; }

void SlotLibraryColumn::addFromKeyboard(int row) {
    const Row* r = rows_->row(row);
    if (!r) return;
    const auto payload = payloadOf(row);
    // Without a dial beside it the column adds as a double click does.
    if (payload && dial_) dial_->model().appendFromLibrary(*payload);
    else activate(row, false);
}

void SlotLibraryColumn::activate(int row, bool onPlus) {
    const Row* r = rows_->row(row);
    if (!r) return;
    (void)onPlus;  // a click on the mark and a double click do the same
    switch (r->kind) {
        case LibraryEntry::Kind::app:
            if (!r->added) model_.add(SlotLibraryModel::appSlot(*r->app));
            break;
        case LibraryEntry::Kind::action:
            if (!r->added) model_.add(SlotLibraryModel::actionSlot(r->action));
            break;
        case LibraryEntry::Kind::parameterised: openParameterPopover(row); break;
        default: break;
    }
}

}  // namespace orbel::editor
