#pragma once

// The rounded button both recorders are drawn as: an optional red dot, a
// line of text, a tint and an outline that say whether it records. While it
// shows a recording it holds the keyboard grab, so that no other program
// (the window manager included) acts on the keys being recorded, but only
// while the keys typed go to a window of ours and once its own window has
// been the active one during the recording (a recording started as the
// window opens waits for it): keys typed into another program's window go
// there. Every other look, hiding and destruction let it go. When the
// program stops being the active one, `stopRecording` ends the recording.

#include <QAbstractButton>
#include <QColor>
#include <QMargins>
#include <functional>

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
    // Ends the recording shown, without a result.
    std::function<void()> stopRecording;

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool showsRecording() const { return state_ == State::recording || state_ == State::refused; }
    void updateGrab();
    bool grabbing_ = false;
    bool windowWasActive_ = false;  // during the recording shown
    QFont labelFont() const;
    Style style_;
    State state_ = State::idle;
};

}  // namespace orbel
