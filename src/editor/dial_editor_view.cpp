#include "editor/dial_editor_view.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainterPath>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <cmath>
#include <numbers>
#include <utility>

#include "dial/dial_painter.h"
#include "editor/editor_painting.h"
#include "icons/custom_images.h"
#include "platform/workspace.h"
#include "ui/confirmation.h"
#include "ui/controls.h"
#include "ui/popup_placement.h"
#include "ui/sheet_opener.h"
#include "ui/teardown.h"

namespace orbel::editor {

namespace {

constexpr double kHitRadius = 32;     // the round hit target of a wedge: 64 across
constexpr double kLabelDistance = 14;  // position numbers beyond the outer radius

double itemAngle(int i, int n) { return 2 * std::numbers::pi / n * i - std::numbers::pi / 2; }

QPointF onCircle(QPointF c, double angle, double radius) {
    return {c.x() + std::cos(angle) * radius, c.y() + std::sin(angle) * radius};
}

QRectF labelRect(QPointF c, int i, int n) {
    const QPointF at = onCircle(c, itemAngle(i, n), kRingOuterRadius + kLabelDistance);
    return {at.x() - 10, at.y() - 8, 20, 16};
}

QColor secondary(const QPalette& p) { return withAlpha(p.color(QPalette::WindowText), 0.55); }

dial::DialViewState ringState(const std::vector<RingLayoutItem>& items, ColorScheme scheme) {
    dial::DialViewState s;
    s.menuRadius = kRingOuterRadius;
    s.innerRadius = kRingInnerRadius;
    s.appearance = AppearanceConfig::defaultValue();
    s.palette = DialPalette::make(s.appearance, scheme);
    for (std::size_t i = 0; i < items.size(); ++i) {
        s.wedges.push_back({items[i].title, {}, false, 0, false});
        if (items[i].isHighlighted && s.highlightedIndex < 0) s.highlightedIndex = static_cast<int>(i);
    }
    return s;
}

std::optional<SlotDragPayload> payloadOf(const QDropEvent* event) {
    return decodeSlotPayload(dragText(event->mimeData()));
}

// Whatever the drag proposes (a Shift-drag proposes a move), what the ring
// and the zones take is a copy: the source keeps its item. A drag that
// offers no copy is refused; false then.
bool acceptAsCopy(QDropEvent* event) {
    if (!(event->possibleActions() & Qt::CopyAction)) {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

// A drop judged only once the applications are known: the source is told
// nothing was done, since at this moment nothing was. False for a drag that
// offers no copy, which is never taken.
bool answerLater(QDropEvent* event) {
    const bool copies = (event->possibleActions() & Qt::CopyAction) != 0;
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
    return copies;
}

}  // namespace

// ---- EditorRing ----------------------------------------------------------

EditorRing::EditorRing(DialEditorModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setAcceptDrops(true);
    setFixedSize(int(kRingWidgetSide), int(kRingWidgetSide));
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(tr("Dial editor"));
    items_ = ringLayoutItems(model_.slots(), model_.coordinator().dragState());
    // Image files (applications' icons too) are read off the interface thread.
    connect(&CustomImages::shared(), &CustomImages::loaded, this, [this] {
        images_.clear();
        update();
    });
    // Opened before the installed applications have been read, the ring
    // pictures them again once they are.
    if (auto& workspace = platform::Workspace::shared(); !workspace.applicationsKnown())
        workspace.whenApplicationsKnown([self = QPointer<EditorRing>(this)] {
            if (self) self->refresh();
        });
}

QPointF EditorRing::hitTargetCentre(int i) const {
    const int n = static_cast<int>(items_.size());
    return onCircle(centre(), itemAngle(i, n), (kRingOuterRadius + kRingInnerRadius) / 2);
}

std::optional<int> EditorRing::itemAt(QPointF point) const {
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        if (!itemHasHitTarget(items_[static_cast<std::size_t>(i)])) continue;
        const QPointF d = point - hitTargetCentre(i);
        if (std::hypot(d.x(), d.y()) <= kHitRadius) return i;
    }
    return std::nullopt;
}

QRectF EditorRing::itemBounds(int i, int count) const {
    std::vector<RingLayoutItem> fake(static_cast<std::size_t>(count));
    const auto state = ringState(fake, ColorScheme::light);
    return dial::wedgeBounds(centre(), state, i) | labelRect(centre(), i, count);
}

void EditorRing::refresh() {
    auto next = ringLayoutItems(model_.slots(), model_.coordinator().dragState());
    if (next.size() != items_.size()) {
        items_ = std::move(next);
        update();
        return;
    }
    // Same wedges: repaint only those whose look changed.
    const int n = static_cast<int>(next.size());
    for (int i = 0; i < n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (next[k] == items_[k]) continue;
        update(itemBounds(i, n).toAlignedRect());
    }
    items_ = std::move(next);
}

QImage EditorRing::itemImage(const RingLayoutItem& item) {
    const auto palette = DialPalette::make(AppearanceConfig::defaultValue(), schemeOf(this->palette()));
    const QColor tint = dial::toQColor(palette.labelText);
    // Kept per wedge while its picture stays the same (and until a custom
    // image is read).
    const std::string key = item.id + '\n' + tint.name(QColor::HexArgb).toStdString() + std::to_string(devicePixelRatioF());
    if (auto it = images_.find(key); it != images_.end() && it->second.first == item.icon) return it->second.second;
    if (images_.size() > 64) images_.clear();
    QImage image = previewImage(item.icon, 30, tint, devicePixelRatioF());
    images_[key] = {item.icon, image};
    return image;
}

void EditorRing::paintEvent(QPaintEvent*) {
    ++paints_;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = centre();
    auto state = ringState(items_, schemeOf(palette()));
    const AppearanceConfig& appearance = state.appearance;
    QPainterPath backdrop;
    const double d = 2 * kRingOuterRadius + 24;
    backdrop.addEllipse(c, d / 2, d / 2);
    p.fillPath(backdrop, dial::toQColor(state.palette.backdropFill, appearance.backdropOpacity * 0.88));
    for (std::size_t i = 0; i < items_.size(); ++i) state.wedges[i].icon = itemImage(items_[i]);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        p.setOpacity(items_[i].opacity);
        dial::paintWedge(p, c, state, static_cast<int>(i));
    }
    p.setOpacity(1);
    QFont font = this->font();
    font.setPixelSize(11);
    font.setWeight(QFont::Medium);
    font.setStyleHint(QFont::Monospace);
    p.setFont(font);
    p.setPen(secondary(palette()));
    const int n = static_cast<int>(items_.size());
    for (int i = 0; i < n; ++i) p.drawText(labelRect(c, i, n), Qt::AlignCenter, QString::number(i + 1));
    if (const auto item = focusedItem(); item && ui::showsFocusMark(this)) {
        const QPointF at = hitTargetCentre(*item);
        const double r = kHitRadius - 2;
        ui::paintFocusMark(p, palette(), QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r), r);
    }
}

std::vector<int> EditorRing::itemsWithHitTargets() const {
    std::vector<int> targets;
    for (int i = 0; i < static_cast<int>(items_.size()); ++i)
        if (itemHasHitTarget(items_[static_cast<std::size_t>(i)])) targets.push_back(i);
    return targets;
}

std::optional<int> EditorRing::focusedItem() const {
    const auto targets = itemsWithHitTargets();
    if (!hasFocus() || targets.empty()) return std::nullopt;
    return targets[static_cast<std::size_t>(std::min<int>(keyboardItem_, int(targets.size()) - 1))];
}

void EditorRing::keyPressEvent(QKeyEvent* event) {
    const auto item = focusedItem();
    const int key = event->key();
    if (item && (key == Qt::Key_Left || key == Qt::Key_Up || key == Qt::Key_Right || key == Qt::Key_Down)) {
        // Clockwise with Right and Down, as the numbers go; round.
        const int count = static_cast<int>(itemsWithHitTargets().size());
        const int step = key == Qt::Key_Right || key == Qt::Key_Down ? 1 : -1;
        keyboardItem_ = (std::min(keyboardItem_, count - 1) + step + count) % count;
        update();
        return;
    }
    if (item && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) return edit(*item);
    // The menu key arrives as a context menu event of its own.
    if (item && key == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)
        return openMenu(*item, mapToGlobal(hitTargetCentre(*item).toPoint()));
    QWidget::keyPressEvent(event);
}

void EditorRing::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void EditorRing::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

void EditorRing::mousePressEvent(QMouseEvent* event) {
    pressedItem_ = event->button() == Qt::LeftButton ? itemAt(event->position()) : std::nullopt;
    pressPos_ = event->position().toPoint();
}

void EditorRing::mouseMoveEvent(QMouseEvent* event) {
    if (!pressedItem_ || !(event->buttons() & Qt::LeftButton)) return;
    if ((event->position().toPoint() - pressPos_).manhattanLength() < QApplication::startDragDistance()) return;
    const int item = *pressedItem_;
    pressedItem_.reset();
    startWedgeDrag(item);
}

void EditorRing::startWedgeDrag(int item) {
    if (item < 0 || item >= static_cast<int>(items_.size())) return;
    const RingLayoutItem it = items_[static_cast<std::size_t>(item)];
    const auto id = Uuid::parse(it.id);
    if (!id) return;
    // The preview: the wedge's picture on a small round plate.
    const double dpr = devicePixelRatioF();
    QPixmap plate(QSize(52, 52) * dpr);
    plate.setDevicePixelRatio(dpr);
    plate.fill(Qt::transparent);
    {
        QPainter p(&plate);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(palette().color(QPalette::Window));
        p.setPen(QPen(withAlpha(palette().color(QPalette::WindowText), 0.1), 1));
        p.drawEllipse(QRectF(2, 2, 48, 48));
        const QImage image = itemImage(it);
        if (image.isNull()) paintSymbolIn(p, QRectF(14, 14, 24, 24), "questionmark.circle", palette().color(QPalette::WindowText));
        else p.drawImage(QRectF(10, 10, 32, 32), image);
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(payloadMimeData(SlotDragPayload::existingSlot(*id)));
    drag->setPixmap(plate);
    drag->setHotSpot(kDragHotSpot);
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

void EditorRing::mouseDoubleClickEvent(QMouseEvent* event) {
    if (const auto item = itemAt(event->position())) edit(*item);
}

void EditorRing::edit(int item) {
    const auto slot = slotIndexForItem(item, items_, model_.slots());
    if (slot && model_.callbacks().onEdit) model_.callbacks().onEdit(*slot);
}

void EditorRing::contextMenuEvent(QContextMenuEvent* event) {
    // The menu key's (without a pointer to say which wedge) is the marked wedge's.
    const auto item = event->reason() == QContextMenuEvent::Keyboard ? focusedItem() : itemAt(event->pos());
    if (item) openMenu(*item, event->reason() == QContextMenuEvent::Keyboard
                                  ? mapToGlobal(hitTargetCentre(*item).toPoint())
                                  : event->globalPos());
}

void EditorRing::openMenu(int item, QPoint globalAt) {
    const auto slot = slotIndexForItem(item, items_, model_.slots());
    if (!slot) return;
    const std::string title = items_[static_cast<std::size_t>(item)].title;
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const int index = *slot;
    const QColor ink = palette().color(QPalette::WindowText);
    auto icon = [&](std::string_view symbol) { return symbolIcon(symbol, 16, ink, devicePixelRatioF()); };
    menu->addAction(icon("pencil"), QString::fromStdString(editMenuText(title)), this, [this, index] {
        if (model_.callbacks().onEdit) model_.callbacks().onEdit(index);
    });
    menu->addSeparator();
    menu->addAction(icon("trash"), tr("Remove"), this, [this, index] { model_.requestRemove(index); });
    ui::popUpMenu(menu, globalAt);
}

bool EditorRing::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (const auto item = itemAt(help->pos()))
            QToolTip::showText(help->globalPos(),
                               ui::plainToolTip(QString::fromStdString(
                                   wedgeToolTip(items_[static_cast<std::size_t>(*item)].title))),
                               this);
        else QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

// A drag the ring cannot use is refused, so the pointer says so: one that
// carries no payload at all, and one whose drop here would do nothing. A
// desktop entry dragged before the installed applications are known is
// taken, and judged as soon as they are (while it moves, or once dropped).
void EditorRing::dragEnterEvent(QDragEnterEvent* event) {
    awaiting_ = false;
    if (!(event->possibleActions() & Qt::CopyAction)) {  // only a move: never taken
        event->ignore();
        return;
    }
    awaiting_ = awaitsApplications(event->mimeData());
    if (model_.dragEntered(dragText(event->mimeData()), event->position(), centre()) || awaiting_)
        acceptAsCopy(event);
    else event->ignore();
}

void EditorRing::dragMoveEvent(QDragMoveEvent* event) {
    if (awaiting_ && !(awaiting_ = awaitsApplications(event->mimeData())))
        model_.dragEntered(dragText(event->mimeData()), event->position(), centre());  // known now: asked again
    if (model_.dragMoved(event->position(), centre()) || awaiting_) acceptAsCopy(event);
    else event->ignore();
}

void EditorRing::dragLeaveEvent(QDragLeaveEvent*) { model_.dragLeft(); }

void EditorRing::dropEvent(QDropEvent* event) {
    if (std::exchange(awaiting_, false) && awaitsApplications(event->mimeData())) {
        model_.dragLeft();
        // Not judged yet: the source hears nothing (a source told of a
        // move would remove its item, and nothing may come of this drop);
        // what is judged usable is still added.
        if (!answerLater(event)) return;
        whenJudged(event->mimeData(), this, [this, at = event->position()](const std::optional<std::string>& text) {
            model_.dropped(text, at, centre());
        });
        return;
    }
    // The source hears of a copy only when the drop did something.
    if (model_.dropped(dragText(event->mimeData()), event->position(), centre())) {
        acceptAsCopy(event);
    } else {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
    }
}

// ---- Drop zones ----------------------------------------------------------

PayloadDropZone::PayloadDropZone(std::function<bool(const std::optional<SlotDragPayload>&)> accepts,
                                 std::function<void(const SlotDragPayload&)> onDrop, QWidget* parent)
    : QWidget(parent), accepts_(std::move(accepts)), onDrop_(std::move(onDrop)) {
    setAcceptDrops(true);
}

void PayloadDropZone::dragEnterEvent(QDragEnterEvent* event) {
    // A desktop entry that cannot be judged yet is taken: its drop waits.
    if (!accepts_(payloadOf(event)) && !awaitsApplications(event->mimeData())) {
        event->ignore();
        return;
    }
    if (!acceptAsCopy(event)) return;
    targeted_ = true;
    update();
}

void PayloadDropZone::dragLeaveEvent(QDragLeaveEvent*) {
    targeted_ = false;
    update();
}

void PayloadDropZone::dropEvent(QDropEvent* event) {
    targeted_ = false;
    update();
    if (awaitsApplications(event->mimeData())) {
        if (!answerLater(event)) return;
        whenJudged(event->mimeData(), this, [this](const std::optional<std::string>& text) {
            if (const auto payload = decodeSlotPayload(text); accepts_(payload) && onDrop_) onDrop_(*payload);
        });
        return;
    }
    const auto payload = payloadOf(event);
    if (!accepts_(payload) || !acceptAsCopy(event)) {
        event->ignore();
        return;
    }
    QTimer::singleShot(0, this, [this, p = *payload] {
        if (onDrop_) onDrop_(p);
    });
}

TrashDropZone::TrashDropZone(std::function<void(const Uuid&)> onRemove, QWidget* parent)
    : PayloadDropZone(trashAccepts,
                      [onRemove = std::move(onRemove)](const SlotDragPayload& p) {
                          if (onRemove) onRemove(std::get<SlotDragPayload::ExistingSlot>(p.kind).id);
                      },
                      parent) {
    setFixedSize(320, 56);
}

QString TrashDropZone::text() const {
    return isTargeted() ? tr("Release to remove") : tr("Drop a slot here to remove it");
}

void TrashDropZone::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette().color(QPalette::WindowText);
    const QColor red(255, 59, 48);
    const QColor sec = secondary(palette());
    const double line = isTargeted() ? 2 : 1;
    const QRectF box = QRectF(rect()).adjusted(line / 2, line / 2, -line / 2, -line / 2);
    QPainterPath shape;
    shape.addRoundedRect(box, 10, 10);
    p.fillPath(shape, isTargeted() ? withAlpha(red, 0.12) : withAlpha(ink, 0.06));
    QPen pen(isTargeted() ? red : withAlpha(ink, 0.25), line, isTargeted() ? Qt::SolidLine : Qt::CustomDashLine, Qt::FlatCap,
             Qt::MiterJoin);
    if (!isTargeted()) pen.setDashPattern({5, 4});
    p.strokePath(shape, pen);
    QFont font = this->font();
    const QFontMetricsF fm(font);
    const QString label = text();
    const double textWidth = fm.horizontalAdvance(label);
    const double total = 18 + 10 + textWidth;
    const double x = (width() - total) / 2;
    paintSymbolIn(p, QRectF(x, height() / 2.0 - 9, 18, 18), "trash", isTargeted() ? red : sec);
    p.setPen(isTargeted() ? ink : sec);
    p.drawText(QRectF(x + 28, 0, textWidth + 2, height()), Qt::AlignVCenter | Qt::AlignLeft, label);
}

EmptyDropTarget::EmptyDropTarget(double diameter, std::function<void(const SlotDragPayload&)> onDrop, QWidget* parent)
    : PayloadDropZone(emptyDialAccepts, std::move(onDrop), parent), diameter_(diameter) {
    setFixedSize(int(diameter), int(diameter));
}

void EmptyDropTarget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette().color(QPalette::WindowText);
    const double line = isTargeted() ? 2 : 1;
    const QRectF circle = QRectF(0, 0, diameter_, diameter_).adjusted(line / 2, line / 2, -line / 2, -line / 2);
    if (isTargeted()) {
        p.setBrush(withAlpha(ink, 0.10));
    } else {
        p.setBrush(Qt::NoBrush);
    }
    QPen pen(isTargeted() ? ink : withAlpha(ink, 0.30), line, isTargeted() ? Qt::SolidLine : Qt::CustomDashLine, Qt::FlatCap,
             Qt::MiterJoin);
    if (!isTargeted()) pen.setDashPattern({6, 5});
    p.setPen(pen);
    p.drawEllipse(circle);
    const QColor sec = secondary(palette());
    const double c = diameter_ / 2;
    paintSymbolIn(p, QRectF(c - 16, c - 30, 32, 32), "plus.circle", isTargeted() ? ink : sec);
    p.setPen(sec);
    p.drawText(QRectF(0, c + 8, diameter_, 24), Qt::AlignHCenter | Qt::AlignTop, tr("Drop an app, action, or key here."));
}

// ---- RadialDialEditor ----------------------------------------------------

RadialDialEditor::RadialDialEditor(std::vector<SlotConfig> slots, int cap, DialEditorCallbacks callbacks,
                                   QWidget* parent)
    : QWidget(parent), model_(std::move(slots), cap, std::move(callbacks)) {
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(14);
    layout->setContentsMargins(0, 0, 0, 0);
    area_ = new QWidget(this);
    area_->setFixedSize(int(kRingWidgetSide), int(kRingWidgetSide));
    ring_ = new EditorRing(model_, area_);
    empty_ = new EmptyDropTarget(kRingAreaSide, [this](const SlotDragPayload& p) { model_.insertIntoEmptyDial(p); },
                                 area_);
    const int inset = int((kRingWidgetSide - kRingAreaSide) / 2);
    empty_->move(inset, inset);
    toast_ = new QLabel(area_);
    toast_->setTextFormat(Qt::PlainText);  // may name a slot
    toast_->setStyleSheet(QStringLiteral("QLabel { color: white; background: rgba(0,0,0,217); border-radius: 10px;"
                                         " padding: 8px 16px; font-weight: 500; }"));
    toast_->hide();
    trash_ = new TrashDropZone([this](const Uuid& id) { model_.removeById(id); }, this);
    layout->addWidget(area_, 0, Qt::AlignHCenter);
    layout->addWidget(trash_, 0, Qt::AlignHCenter);

    model_.coordinator().onChange = [this] { ring_->refresh(); };
    model_.showToast = [this](const std::string& text) { showToast(QString::fromStdString(text)); };
    model_.onPromptChanged = [this] { showPrompt(); };
    model_.confirmRemoval = [this](const GroupRemoval& removal) {
        if (removalBox_) removalBox_->close();
        removalBox_ = ui::openConfirmation(this, QStringLiteral("removeGroupAlert"),
                                           QString::fromStdString(GroupRemoval::title()),
                                           QString::fromStdString(removal.message()),
                                           QString::fromStdString(removal.buttonLabel()),
                                           [self = QPointer<RadialDialEditor>(this), removal] {
                                               if (self) self->model_.removeConfirmed(removal);
                                           });
    };
    layoutRingArea();
}

RadialDialEditor::~RadialDialEditor() {
    // The ring, the drop zones and the full-dial prompt report to the model,
    // which goes before Qt deletes them: nothing they do on the way reaches it.
    ui::detachChildren(this);
    model_.coordinator().onChange = nullptr;
    model_.onPromptChanged = nullptr;
    model_.confirmRemoval = nullptr;
    delete promptBox_;
    delete removalBox_;
    delete area_;
    delete trash_;
}

void RadialDialEditor::setSlots(std::vector<SlotConfig> slots) {
    model_.setSlots(std::move(slots));
    layoutRingArea();
    ring_->refresh();
}

void RadialDialEditor::layoutRingArea() {
    const bool empty = model_.slots().empty();
    ring_->setVisible(!empty);
    empty_->setVisible(empty);
    toast_->raise();
}

QString RadialDialEditor::toastText() const { return toast_->isVisible() ? toast_->text() : QString(); }

void RadialDialEditor::showToast(const QString& message) {
    toast_->setText(message);
    toast_->adjustSize();
    toast_->move((area_->width() - toast_->width()) / 2, int((kRingWidgetSide - kRingAreaSide) / 2) + 8);
    toast_->show();
    toast_->raise();
    // Cleared 1.6 s after it was shown, whatever toast shows then.
    QTimer::singleShot(1600, this, [this] {
        toast_->hide();
        toast_->clear();
    });
}

void RadialDialEditor::showPrompt() {
    const auto& prompt = model_.fullDialPrompt();
    if (promptBox_) {
        promptBox_->disconnect(this);
        promptBox_->close();
        promptBox_->deleteLater();
        promptBox_ = nullptr;
    }
    if (!prompt) return;
    auto* box = new QMessageBox(this);
    box->setWindowTitle(QString::fromStdString(FullDialPrompt::title()));
    box->setText(QString::fromStdString(FullDialPrompt::title()));
    box->setInformativeText(QString::fromStdString(FullDialPrompt::message(model_.cap())));
    QPushButton* replace = box->addButton(QString::fromStdString(prompt->replaceLabel()), QMessageBox::AcceptRole);
    QPushButton* group = box->addButton(QString::fromStdString(prompt->groupLabel()), QMessageBox::AcceptRole);
    box->addButton(tr("Cancel"), QMessageBox::RejectRole);
    replace->setObjectName(QStringLiteral("replace"));
    group->setObjectName(QStringLiteral("group"));
    connect(box, &QMessageBox::buttonClicked, this, [this, replace, group](QAbstractButton* b) {
        if (b == replace) model_.promptReplace();
        else if (b == group) model_.promptGroup();
        else model_.promptDismiss();
    });
    connect(box, &QDialog::finished, this, [this] { model_.promptDismiss(); });
    promptBox_ = box;
    ui::openSheet(box);
}

}  // namespace orbel::editor
