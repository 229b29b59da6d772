#include "ui/controls.h"

#include <algorithm>
#include <optional>
#include <vector>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleOption>
#include <QTextDocument>
#include <QToolTip>

#include "ui/popup_placement.h"

namespace orbel::ui {

// SegmentedControl

SegmentedControl::SegmentedControl(const QStringList& options, QWidget* parent)
    : QWidget(parent), options_(options) {
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void SegmentedControl::setSelected(int index) {
    if (index == selected_) return;
    selected_ = index;
    update();
}

QSize SegmentedControl::sizeHint() const {
    const QFontMetrics metrics(font());
    if (fitTitles_) {
        int total = 4;
        for (int i = 0; i < options_.size(); ++i) total += titleWidth(i);
        return {total, metrics.height() + 10};
    }
    int widest = 0;
    for (const auto& option : options_) widest = std::max(widest, metrics.horizontalAdvance(option));
    return {std::min(280, int(options_.size()) * (widest + 24) + 4), metrics.height() + 10};
}

void SegmentedControl::setSegmentsFitTitles(bool fit) {
    fitTitles_ = fit;
    updateGeometry();
    update();
}

int SegmentedControl::titleWidth(int index) const {
    // The medium weight of the selected title is the wider one.
    QFont medium = font();
    medium.setWeight(QFont::Medium);
    return QFontMetrics(medium).horizontalAdvance(options_[index]) + 16;
}

QSize SegmentedControl::minimumSizeHint() const { return sizeHint(); }

QRect SegmentedControl::segmentRect(int index) const {
    if (options_.isEmpty()) return {};
    if (fitTitles_) {
        // Too little room: the widest segments give way first (all down to
        // one width), so that short titles stay whole.
        std::vector<qreal> widths;
        qreal total = 0;
        for (int i = 0; i < options_.size(); ++i) {
            widths.push_back(titleWidth(i));
            total += widths.back();
        }
        const qreal room = width() - 4;
        if (total > room) {
            std::vector<qreal> sorted = widths;
            std::sort(sorted.begin(), sorted.end());
            qreal cap = room / qreal(sorted.size()), before = 0;
            for (std::size_t i = 0; i < sorted.size(); ++i) {
                const qreal even = (room - before) / qreal(sorted.size() - i);
                if (sorted[i] >= even) {
                    cap = even;
                    break;
                }
                before += sorted[i];
            }
            for (auto& w : widths) w = std::min(w, cap);
        }
        qreal x = 2;
        for (int i = 0; i < index; ++i) x += widths[static_cast<std::size_t>(i)];
        return QRectF(x, 2, widths[static_cast<std::size_t>(index)], height() - 4).toAlignedRect();
    }
    const qreal w = (width() - 4) / qreal(options_.size());
    return QRectF(2 + index * w, 2, w, height() - 4).toAlignedRect();
}

void SegmentedControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette().color(QPalette::WindowText);
    QColor track = ink;
    track.setAlphaF(0.08f);
    p.setPen(Qt::NoPen);
    p.setBrush(track);
    p.drawRoundedRect(QRectF(rect()), 7, 7);
    for (int i = 0; i < options_.size(); ++i) {
        const QRect r = segmentRect(i);
        if (i == selected_) {
            QColor edge = ink;
            edge.setAlphaF(0.12f);
            p.setPen(QPen(edge, 0.5));
            p.setBrush(palette().color(QPalette::Base));
            p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 5.5, 5.5);
        } else if (i > 0 && i - 1 != selected_) {
            QColor line = ink;
            line.setAlphaF(0.16f);
            p.setPen(QPen(line, 1));
            p.drawLine(QPointF(r.left(), r.top() + 5), QPointF(r.left(), r.bottom() - 5));
        }
        QFont f = font();
        if (i == selected_) f.setWeight(QFont::Medium);
        p.setFont(f);
        p.setPen(ink);
        p.drawText(r, Qt::AlignCenter, fontMetrics().elidedText(options_[i], Qt::ElideRight, r.width() - 6));
    }
    if (showsFocusMark(this)) paintFocusMark(p, palette(), QRectF(rect()).adjusted(1, 1, -1, -1), 6);
}

bool SegmentedControl::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    const QPoint at = static_cast<QHelpEvent*>(event)->pos();
    for (int i = 0; i < options_.size(); ++i) {
        const QRect r = segmentRect(i);
        if (!r.contains(at)) continue;
        QFont medium = font();
        medium.setWeight(QFont::Medium);
        if (QFontMetrics(medium).horizontalAdvance(options_[i]) > r.width() - 6) {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), plainToolTip(options_[i]), this, r);
            return true;
        }
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}

void SegmentedControl::mousePressEvent(QMouseEvent* event) {
    for (int i = 0; i < options_.size(); ++i) {
        if (!segmentRect(i).contains(event->position().toPoint())) continue;
        if (i != selected_) {
            setSelected(i);
            Q_EMIT activated(i);
        }
        return;
    }
}

void SegmentedControl::keyPressEvent(QKeyEvent* event) {
    const int step = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
    const int next = selected_ + step;
    if (step == 0 || next < 0 || next >= options_.size()) return QWidget::keyPressEvent(event);
    setSelected(next);
    Q_EMIT activated(next);
}

// ToggleSwitch

ToggleSwitch::ToggleSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(3, 3, -3, -3);
    QColor off = palette().color(QPalette::WindowText);
    off.setAlphaF(0.18f);
    p.setPen(Qt::NoPen);
    p.setBrush(isChecked() ? palette().color(QPalette::Highlight) : off);
    p.drawRoundedRect(track, track.height() / 2, track.height() / 2);
    const qreal knob = track.height() - 4;
    const qreal x = isChecked() ? track.right() - 2 - knob : track.left() + 2;
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    p.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
    if (showsFocusMark(this)) {
        const QRectF outline = QRectF(rect()).adjusted(1, 1, -1, -1);
        paintFocusMark(p, palette(), outline, outline.height() / 2);
    }
}

void paintFocusMark(QPainter& painter, const QPalette& palette, const QRectF& outline, qreal radius) {
    QColor accent = palette.color(QPalette::Highlight);
    accent.setAlphaF(0.8f);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(accent, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(outline, radius, radius);
    painter.restore();
}

namespace {

// Set on each widget as it takes the focus: whether its focus came by the
// keyboard.
constexpr char kByKeyboard[] = "orbelFocusByKeyboard";

// The application's style, drawing the focus of a control as the focus
// marks do: its focus frame shows while `showsFocusMark` says so, whatever
// the window last saw (Qt's styles frame a focused control after any Tab in
// its window, and some frame a text field whatever gave it the focus).
class KeyboardFocusStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        const AsTheMarks judged(option, widget);
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const AsTheMarks judged(option, widget);
        QProxyStyle::drawControl(element, option, painter, widget);
    }
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override {
        const AsTheMarks judged(option, widget);
        QProxyStyle::drawComplexControl(control, option, painter, widget);
    }

private:
    // For one drawing: the option says "focused" only for the keyboard's
    // focus, and then also that it came by the keyboard. The options are
    // the callers' own objects (Qt makes them on the stack), given back as
    // they came once drawn.
    class AsTheMarks {
    public:
        AsTheMarks(const QStyleOption* option, const QWidget* widget) {
            if (!option || !widget || !(option->state & State_HasFocus)) return;
            option_ = const_cast<QStyleOption*>(option);
            before_ = option_->state;
            if (showsFocusMark(widget))
                option_->state |= State_KeyboardFocusChange;
            else
                option_->state &= ~State_HasFocus;
        }
        ~AsTheMarks() {
            if (option_) option_->state = before_;
        }
        AsTheMarks(const AsTheMarks&) = delete;
        AsTheMarks& operator=(const AsTheMarks&) = delete;

    private:
        QStyleOption* option_ = nullptr;
        State before_;
    };
};

// Follows how the focus comes, for the whole application: the last input
// (a key, or a press of a pointer) and, on each widget that takes the
// focus, what that made of it.
class FocusOrigin : public QObject {
public:
    using QObject::QObject;
    bool lastInputWasKey() const { return keyboard_; }
    // Whether the last focus a widget took was a move by the keyboard.
    bool lastFocusMovedByKeyboard() const { return moved_; }
    // How the next focus comes, told by whoever gives it.
    std::optional<bool> passed;
    // As before the first input.
    void forget() {
        keyboard_ = true;
        moved_ = false;
        passed.reset();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Polish: drawFocusAsTheMarks(); break;
            case QEvent::KeyPress: keyboard_ = true; break;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                if (watched->isWidgetType()) clicked(static_cast<QWidget*>(watched));
                keyboard_ = false;
                break;
            case QEvent::TouchBegin:
            case QEvent::TabletPress: keyboard_ = false; break;
            case QEvent::FocusIn:
                if (watched->isWidgetType())
                    judge(static_cast<QWidget*>(watched), static_cast<QFocusEvent*>(event)->reason());
                break;
            default: break;
        }
        return false;
    }

private:
    // A click on the control that has the focus keeps it there, now the
    // click's: the control a click would focus is found as the
    // application finds it.
    static void clicked(QWidget* widget) {
        QWidget* focused = QApplication::focusWidget();
        if (!focused || !focused->property(kByKeyboard).toBool()) return;
        for (QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
            if (!w->isEnabled() || !(w->focusPolicy() & Qt::ClickFocus)) continue;
            if (w == focused || w->focusProxy() == focused) {
                focused->setProperty(kByKeyboard, false);
                focused->update();
            }
            return;
        }
    }

    void judge(QWidget* widget, Qt::FocusReason reason) {
        // Tab and the program moving the focus after a click (a page the
        // click hid hands its focus on) are no keyboard's doing: Tab's own
        // moves come after its key press.
        bool byKeyboard = keyboard_;
        if (passed) {
            byKeyboard = *passed;
            passed.reset();
        } else if (reason == Qt::MouseFocusReason) {
            byKeyboard = false;
        }
        const bool back = reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason;
        if (back) {
            // Back from a menu or another window the focus keeps how it came.
            const QVariant before = widget->property(kByKeyboard);
            if (before.isValid()) byKeyboard = before.toBool();
        }
        widget->setProperty(kByKeyboard, byKeyboard);
        moved_ = byKeyboard && !back;
    }

    // Before the first widget shows, and again should the style be replaced.
    void drawFocusAsTheMarks() {
        QStyle* current = QApplication::style();
        if (!current || current == style_) return;
        style_ = new KeyboardFocusStyle(current);  // which it now owns
        QApplication::setStyle(style_);
    }

    bool keyboard_ = true;  // before any input, the focus shows
    bool moved_ = false;
    QPointer<QStyle> style_;
};

QPointer<FocusOrigin>& focusOrigin() {
    static QPointer<FocusOrigin> origin;
    return origin;
}

// Every application follows the focus from its start.
void followFocusOrigin() {
    auto* app = QCoreApplication::instance();
    auto* origin = new FocusOrigin(app);
    app->installEventFilter(origin);
    focusOrigin() = origin;
}

// Whether `widget` is a scrolling view, whose edge clips its children.
bool isScrollViewport(const QWidget* widget) {
    const auto* area = qobject_cast<const QAbstractScrollArea*>(widget->parentWidget());
    return area && area->viewport() == widget;
}

// The widget that draws a style-drawn control's focus mark: shown while the
// control shows its focus, placed over it (or around it) as it moves.
class FocusMarkOverlay : public QWidget {
public:
    FocusMarkOverlay(QWidget* control, qreal radius, int outset)
        : QWidget(outset > 0 ? control->parentWidget() : control), control_(control), radius_(radius),
          outset_(outset) {
        setObjectName(QStringLiteral("focusMark"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        watch();
        connect(control, &QObject::destroyed, this, [this] {
            hide();
            deleteLater();
        });
        follow();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!control_) return false;
        switch (event->type()) {
            case QEvent::FocusIn:
            case QEvent::FocusOut:
            case QEvent::MouseButtonPress:  // a click on the focused control makes its focus the click's
            case QEvent::Show:
            case QEvent::Hide:
                if (watched == control_) follow();
                break;
            case QEvent::Move:
            case QEvent::Resize:
                if (watched == control_ || isVisible()) follow();
                break;
            case QEvent::ParentChange:
                // A ring around the control follows it into its new parent.
                watch();
                follow();
                break;
            default: break;
        }
        return false;
    }

    void paintEvent(QPaintEvent*) override {
        if (!control_) return;
        QPainter p(this);
        paintFocusMark(p, control_->palette(), QRectF(rect()).adjusted(1, 1, -1, -1), radius_);
    }

private:
    // The control and, for a ring outside it, its ancestors: any of them
    // moving may move the ring.
    void watch() {
        for (const auto& w : watched_)
            if (w) w->removeEventFilter(this);
        watched_.clear();
        for (QWidget* w = control_; w && !w->isWindow(); w = outset_ > 0 ? w->parentWidget() : nullptr) {
            w->installEventFilter(this);
            watched_.emplace_back(w);
        }
    }

    void follow() {
        const bool shown = control_->isVisible() && showsFocusMark(control_) &&
                           (outset_ <= 0 || control_->parentWidget());
        if (shown && outset_ > 0) {
            // In the nearest ancestor whose edge cuts none of the ring, short
            // of a scrolling view's edge.
            const int d = outset_;
            QRect ring = control_->geometry().adjusted(-d, -d, d, d);
            QWidget* host = control_->parentWidget();
            while (!host->rect().contains(ring) && !host->isWindow() && !isScrollViewport(host)) {
                ring.translate(host->pos());
                host = host->parentWidget();
            }
            if (host != parentWidget()) setParent(host);
            setGeometry(ring);
        } else if (shown) {
            setGeometry(control_->rect());
        }
        if (shown) raise();  // above the control's content, and above the siblings laid out after it
        setVisible(shown);
    }

    QPointer<QWidget> control_;
    std::vector<QPointer<QWidget>> watched_;
    qreal radius_;
    int outset_;
};

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(followFocusOrigin)

bool showsFocusMark(const QWidget* control) {
    if (!control || !control->hasFocus()) return false;
    const QWidget* focused = QApplication::focusWidget();
    const QVariant byKeyboard = focused ? focused->property(kByKeyboard) : QVariant();
    return !byKeyboard.isValid() || byKeyboard.toBool();
}

bool focusMovedByKeyboard(const QWidget* control) {
    const auto& origin = focusOrigin();
    return showsFocusMark(control) && (!origin || origin->lastFocusMovedByKeyboard());
}

void forgetFocusOrigin() {
    if (const auto& origin = focusOrigin()) origin->forget();
}

void passFocus(const QWidget* from, QWidget* to) {
    QWidget* taker = to;
    while (taker && taker->focusProxy()) taker = taker->focusProxy();
    if (!taker) return;
    const auto& origin = focusOrigin();
    // `from` may be the focus of a window that is not active now.
    const QVariant fromKeyboard = from ? from->property(kByKeyboard) : QVariant();
    const bool byKeyboard = fromKeyboard.isValid() ? fromKeyboard.toBool() : !origin || origin->lastInputWasKey();
    taker->setProperty(kByKeyboard, byKeyboard);  // for a window that gives the focus later too
    if (origin) origin->passed = byKeyboard;
    to->setFocus(Qt::OtherFocusReason);
    if (origin) origin->passed.reset();
}

void markFocus(QWidget* control, qreal radius, int outset) {
    static const char* const kMarked = "orbelFocusMark";
    if (!control || control->property(kMarked).toBool()) return;
    control->setProperty(kMarked, true);
    new FocusMarkOverlay(control, radius, outset);
}

void markDefaultButtons(QWidget* window) {
    for (QPushButton* button : window->findChildren<QPushButton*>())
        if (button->isDefault()) markFocus(button, kButtonMarkRadius, kButtonMarkOutset);
}

// ElidedLabel

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QLabel(parent) {
    setFocusPolicy(Qt::ClickFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
    setFullText(text);
}

void ElidedLabel::setFullText(const QString& text) {
    full_ = text;
    setToolTip(plainToolTip(text));
    relayout();
}

QSize ElidedLabel::minimumSizeHint() const { return {40, fontMetrics().height()}; }
QSize ElidedLabel::sizeHint() const { return {fontMetrics().horizontalAdvance(full_) + 2, fontMetrics().height()}; }

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    relayout();
}

void ElidedLabel::setElideMode(Qt::TextElideMode mode) {
    mode_ = mode;
    relayout();
}

void ElidedLabel::relayout() { setText(fontMetrics().elidedText(full_, mode_, std::max(0, width()))); }

void ElidedLabel::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->setText(full_);
        return;
    }
    QLabel::keyPressEvent(event);
}

void ElidedLabel::contextMenuEvent(QContextMenuEvent* event) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(tr("Copy"), this, [this] { QGuiApplication::clipboard()->setText(full_); });
    popUpMenu(menu, event->globalPos());
}

QString plainToolTip(const QString& text) {
    // Qt's own test for markup decides how a tool tip is read.
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}

void tabBefore(const std::vector<QWidget*>& rows, QWidget* below) {
    const auto stop = [](const QWidget* w) { return bool(w->focusPolicy() & Qt::TabFocus); };
    std::vector<QWidget*> controls;
    for (QWidget* row : rows) {
        // A row's controls follow it in the chain, as it was made.
        if (stop(row)) controls.push_back(row);
        for (QWidget* w = row->nextInFocusChain(); w != row && row->isAncestorOf(w); w = w->nextInFocusChain())
            if (stop(w)) controls.push_back(w);
    }
    if (controls.empty()) return;
    // Rows made later come later in the chain: what lies from `below` to
    // them (the rest of the bar, the parts under the list) moves after them.
    std::vector<QWidget*> after;
    for (QWidget* w = below; w != controls.front(); w = w->nextInFocusChain()) {
        if (w->isWindow()) return;  // the rows come first already
        if (stop(w)) after.push_back(w);
    }
    QWidget* last = controls.back();
    for (QWidget* w : after) {
        QWidget::setTabOrder(last, w);
        last = w;
    }
}

void clearRows(QLayout* rows) {
    while (auto* item = rows->takeAt(0)) {
        if (auto* w = item->widget()) {
            w->setObjectName(QString());
            w->hide();
            w->deleteLater();
        }
        delete item;
    }
}

}  // namespace orbel::ui
