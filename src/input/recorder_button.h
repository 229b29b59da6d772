#pragma once

// The rounded button both recorders are drawn as: an optional red dot, a
// line of text, a tint and an outline that say whether it records.

#include <QAbstractButton>
#include <QColor>
#include <QMargins>

namespace orbel {

class RecorderButton : public QAbstractButton {
public:
    struct Style {
        int cornerRadius = 7;
        QMargins padding{12, 7, 12, 7};
        int minimumTextWidth = 140;
    };
    // refused: recording after a refused input; blocked: cannot record.
    enum class State { idle, recording, refused, blocked };

    explicit RecorderButton(Style style, QWidget* parent = nullptr);

    void display(State state, const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont labelFont() const;
    Style style_;
    State state_ = State::idle;
};

}  // namespace orbel
