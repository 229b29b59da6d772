#include "input/recorder_button.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

#include "platform/keyboard_focus.h"
#include "ui/controls.h"

namespace orbel {
namespace {

constexpr int kDot = 7;
constexpr int kSpacing = 8;

}  // namespace

RecorderButton::RecorderButton(Style style, QWidget* parent) : QAbstractButton(parent), style_(style) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    auto& focus = platform::KeyboardFocus::shared();
    connect(&focus, &platform::KeyboardFocus::changed, this, &RecorderButton::updateGrab);
    connect(&focus, &platform::KeyboardFocus::left, this, [this] {
        if (showsRecording() && windowWasActive_ && stopRecording) stopRecording();
    });
}

void RecorderButton::display(State state, const QString& text) {
    const bool wasRecording = showsRecording();
    state_ = state;
    if (showsRecording() && !wasRecording) windowWasActive_ = isActiveWindow();
    setText(text);
    updateGeometry();
    update();
    updateGrab();
}

bool RecorderButton::event(QEvent* event) {
    // Sent down to every shown widget of the window that became the active one.
    if (event->type() == QEvent::WindowActivate && showsRecording()) {
        windowWasActive_ = true;
        updateGrab();
    }
    return QAbstractButton::event(event);
}

void RecorderButton::updateGrab() {
    const bool on = showsRecording() && windowWasActive_ && isVisible() &&
                    platform::KeyboardFocus::shared().inOurWindows();
    if (on == grabbing_) return;
    grabbing_ = on;
    // The grab is the X server's too: the window manager's own chords
    // (Alt+Space, Alt+Tab) reach the recorder instead of acting.
    if (on)
        grabKeyboard();
    else
        releaseKeyboard();
}

void RecorderButton::hideEvent(QHideEvent* event) {
    if (grabbing_) releaseKeyboard();
    grabbing_ = false;
    QAbstractButton::hideEvent(event);
}

QFont RecorderButton::labelFont() const {
    QFont f = font();
    f.setWeight(QFont::Medium);
    return f;
}

QSize RecorderButton::sizeHint() const {
    const QFontMetrics metrics(labelFont());
    int width = metrics.horizontalAdvance(text());
    if (state_ == State::recording || state_ == State::refused) width += kDot + kSpacing;
    width = std::max(width, style_.minimumTextWidth);
    const int height = std::max(metrics.height(), kDot);
    return {width + style_.padding.left() + style_.padding.right(),
            height + style_.padding.top() + style_.padding.bottom()};
}

void RecorderButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette().color(QPalette::WindowText);
    const QColor red(0xE5, 0x39, 0x35);
    const bool recording = showsRecording();
    const qreal strokeWidth = recording ? 2 : 1;

    QColor fill = palette().color(QPalette::Button);
    QColor stroke = ink;
    if (state_ == State::refused || state_ == State::blocked) {
        fill = red;
        fill.setAlphaF(0.16f);
        stroke = red;
    } else if (state_ == State::recording) {
        QColor tint = ink;
        tint.setAlphaF(0.16f);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(rect()), style_.cornerRadius, style_.cornerRadius);
        fill = tint;
    } else {
        stroke.setAlphaF(0.3f);
    }
    const QRectF box = QRectF(rect()).adjusted(strokeWidth / 2, strokeWidth / 2, -strokeWidth / 2, -strokeWidth / 2);
    p.setPen(QPen(stroke, strokeWidth));
    p.setBrush(fill);
    p.drawRoundedRect(box, style_.cornerRadius, style_.cornerRadius);

    QRect content = rect().marginsRemoved(style_.padding);
    if (recording) {
        p.setPen(Qt::NoPen);
        p.setBrush(red);
        p.drawEllipse(QRect(content.left(), content.center().y() - kDot / 2, kDot, kDot));
        content.setLeft(content.left() + kDot + kSpacing);
    }
    p.setPen(ink);
    p.setFont(labelFont());
    p.drawText(content, Qt::AlignLeft | Qt::AlignVCenter, text());
    if (ui::showsFocusMark(this)) {
        // Inside the outline, which tells the state.
        const qreal inset = strokeWidth + 1.5;
        ui::paintFocusMark(p, palette(), QRectF(rect()).adjusted(inset, inset, -inset, -inset),
                           std::max<qreal>(1, style_.cornerRadius - inset + 1));
    }
}

}  // namespace orbel
