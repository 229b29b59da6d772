#include "ui/controls.h"

#include <algorithm>
#include <vector>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
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
    if (hasFocus()) paintFocusMark(p, palette(), QRectF(rect()).adjusted(1, 1, -1, -1), 6);
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
    if (hasFocus()) {
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

// The widget that draws a style-drawn control's focus mark: shown while the
// control has the focus, placed over it (or around it) as it moves.
class FocusMarkOverlay : public QWidget {
public:
    FocusMarkOverlay(QWidget* control, qreal radius, int outset)
        : QWidget(outset > 0 ? control->parentWidget() : control), control_(control), radius_(radius),
          outset_(outset) {
        setObjectName(QStringLiteral("focusMark"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        control->installEventFilter(this);
        connect(control, &QObject::destroyed, this, [this] {
            hide();
            deleteLater();
        });
        follow();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != control_) return false;
        switch (event->type()) {
            case QEvent::FocusIn: {
                // A click focuses the button it presses; the mark is for the
                // keyboard, as the controls that draw themselves take no
                // focus from a click. Back from a menu or another window the
                // focus keeps how it came.
                const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
                if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                    byMouse_ = reason == Qt::MouseFocusReason;
                follow();
                break;
            }
            case QEvent::FocusOut:
            case QEvent::Show:
            case QEvent::Hide:
            case QEvent::Move:
            case QEvent::Resize: follow(); break;
            case QEvent::ParentChange:
                // A ring around the control lives beside it, in its new parent.
                if (outset_ > 0 && control_->parentWidget() && control_->parentWidget() != parentWidget())
                    setParent(control_->parentWidget());
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
    void follow() {
        if (!control_) return;
        const bool placed = outset_ <= 0 || (parentWidget() && parentWidget() == control_->parentWidget());
        const bool shown = placed && control_->isVisible() && control_->hasFocus() && !byMouse_;
        if (shown) {
            const int d = outset_;
            setGeometry(d > 0 ? control_->geometry().adjusted(-d, -d, d, d) : control_->rect());
            raise();  // above the control's content, and above the siblings laid out after it
        }
        setVisible(shown);
    }

    QPointer<QWidget> control_;
    qreal radius_;
    int outset_;
    bool byMouse_ = false;
};

}  // namespace

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
