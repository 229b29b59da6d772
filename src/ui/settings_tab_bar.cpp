#include "ui/settings_tab_bar.h"

#include <QAbstractButton>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QVariantAnimation>
#include <algorithm>

#include "platform/symbols.h"
#include "ui/controls.h"

namespace orbel::ui {

class SettingsTabButton : public QAbstractButton {
public:
    SettingsTabButton(std::string symbol, const QString& label, QWidget* parent)
        : QAbstractButton(parent), symbol_(std::move(symbol)) {
        setText(label);
        setCursor(Qt::PointingHandCursor);
        // A click moves the focus to the tab it chose (unmarked): the focus
        // is never left on a control of the page the click hid.
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_Hover);
        fade_.setParent(this);  // one of its children, for whoever waits for the pill to settle
        fade_.setDuration(120);
        fade_.setEasingCurve(QEasingCurve::OutCubic);
        connect(&fade_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
            selection_ = v.toReal();
            update();
        });
    }

    void setSelected(bool selected) {
        if (selected == selected_) return;
        selected_ = selected;
        fade_.stop();
        if (!isVisible()) {  // nothing to animate before the first paint
            selection_ = selected ? 1.0 : 0.0;
            update();
            return;
        }
        fade_.setStartValue(selection_);
        fade_.setEndValue(selected ? 1.0 : 0.0);
        fade_.start();
    }
    bool isSelected() const { return selected_; }

    QSize sizeHint() const override {
        const QFontMetrics metrics(labelFont());
        const int width = std::max(76, metrics.horizontalAdvance(text()) + 28);
        return {width, 8 + 18 + 4 + metrics.height() + 8};
    }

protected:
    void enterEvent(QEnterEvent* event) override {
        hovered_ = true;
        update();
        QAbstractButton::enterEvent(event);
    }
    void leaveEvent(QEvent* event) override {
        hovered_ = false;
        update();
        QAbstractButton::leaveEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        // The arrows are the bar's: a plain button's would move the focus
        // on as Tab does, out of the bar at either end.
        switch (event->key()) {
            case Qt::Key_Left:
            case Qt::Key_Right:
            case Qt::Key_Up:
            case Qt::Key_Down: event->ignore(); return;
            default: QAbstractButton::keyPressEvent(event);
        }
    }

    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor ink = palette().color(QPalette::WindowText);
        const QRectF pill = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        if (selection_ > 0) {
            // No glass here: a translucent fill with a hairline, darker while pressed.
            QColor fill = ink;
            fill.setAlphaF(float((isDown() ? 0.16 : 0.10) * selection_));
            QColor edge = ink;
            edge.setAlphaF(float(0.14 * selection_));
            p.setPen(QPen(edge, 1));
            p.setBrush(fill);
            p.drawRoundedRect(pill, 10, 10);
        }
        if (!selected_ && hovered_) {
            QColor fill = ink;
            fill.setAlphaF(0.06f);
            p.setPen(Qt::NoPen);
            p.setBrush(fill);
            p.drawRoundedRect(pill, 10, 10);
        }
        QColor foreground = ink;
        if (!selected_) foreground.setAlphaF(0.62f);
        const qreal dpr = devicePixelRatioF();
        QImage symbol = platform::Symbols::shared().image(symbol_, 18, foreground, dpr);
        symbol.setDevicePixelRatio(dpr);
        p.drawImage(QRectF((width() - 18) / 2.0, 8, 18, 18), symbol);
        p.setPen(foreground);
        p.setFont(labelFont());
        p.drawText(QRect(0, 8 + 18 + 4, width(), height() - 8 - 18 - 4 - 8 + 2), Qt::AlignHCenter | Qt::AlignTop,
                   text());
        if (showsFocusMark(this)) paintFocusMark(p, palette(), pill.adjusted(0.5, 0.5, -0.5, -0.5), 10);
    }

private:
    QFont labelFont() const {
        QFont f = font();
        f.setPixelSize(11);
        f.setWeight(QFont::Medium);
        return f;
    }

    std::string symbol_;
    bool selected_ = false;
    bool hovered_ = false;
    qreal selection_ = 0;
    QVariantAnimation fade_;
};

SettingsTabBar::SettingsTabBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("settingsTabBar"));
    row_ = new QHBoxLayout(this);
    // The window has the desktop's own title bar above: no room kept for one.
    row_->setContentsMargins(16, 14, 16, 10);
    row_->setSpacing(4);
    row_->addStretch(1);
    row_->addStretch(1);
}

void SettingsTabBar::setTabs(const std::vector<Tab>& tabs) {
    for (auto* button : buttons_) delete button;
    buttons_.clear();
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        auto* button = new SettingsTabButton(tabs[i].symbol, tabs[i].label, this);
        const int index = static_cast<int>(i);
        connect(button, &QAbstractButton::clicked, this, [this, index] { Q_EMIT tabClicked(index); });
        row_->insertWidget(1 + index, button);
        buttons_.push_back(button);
    }
    setSelected(selected_);
}

void SettingsTabBar::setSelected(int index) {
    selected_ = index;
    for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->setSelected(static_cast<int>(i) == index);
    // The focus on a tab button goes with the selection (Ctrl+Tab from the
    // tab bar): one tab looks chosen.
    QWidget* focused = window()->focusWidget();
    QWidget* chosen = button(index);
    if (chosen && focused != chosen && std::find(buttons_.begin(), buttons_.end(), focused) != buttons_.end())
        chosen->setFocus(Qt::OtherFocusReason);
}

void SettingsTabBar::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool mirrored = isRightToLeft();  // the first tab on the right: Left goes on
    const int step = key == Qt::Key_Up || key == (mirrored ? Qt::Key_Right : Qt::Key_Left)     ? -1
                     : key == Qt::Key_Down || key == (mirrored ? Qt::Key_Left : Qt::Key_Right) ? 1
                                                                                              : 0;
    const auto from = std::find(buttons_.begin(), buttons_.end(), focusWidget());
    if (step == 0 || from == buttons_.end()) return QWidget::keyPressEvent(event);
    // As a click on it: the tab is chosen, with the focus, which the key
    // marks. At either end the arrow does nothing.
    const int index = static_cast<int>(from - buttons_.begin()) + step;
    if (QWidget* next = button(index)) {
        next->setFocus(Qt::OtherFocusReason);
        Q_EMIT tabClicked(index);
    }
}

QWidget* SettingsTabBar::button(int index) const {
    return index >= 0 && index < count() ? buttons_[static_cast<std::size_t>(index)] : nullptr;
}

}  // namespace orbel::ui
