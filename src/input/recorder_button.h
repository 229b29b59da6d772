#pragma once

// The rounded button both recorders are drawn as: an optional red dot, a
// line of text, a tint and an outline that say whether it records. While it
// shows a recording it holds the keyboard grab, so that no other program
// (the window manager included) acts on the keys being recorded; every other
// look, hiding and destruction let it go.

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
    bool isGrabbingKeyboard() const { return grabbing_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void setGrabbingKeyboard(bool on);
    bool grabbing_ = false;
    QFont labelFont() const;
    Style style_;
    State state_ = State::idle;
};

}  // namespace orbel
