#pragma once

// The music dial's centre: a record-like disc carrying the track's artwork
// that turns, one turn every 8 seconds, while music plays.
//
// The disc's angle lives in one shared `MusicCenterKnobState`, so it keeps
// its place when the dial closes and opens again (a track that plays on
// while the dial is closed has turned the disc meanwhile). The angle is
// computed from the clock, never accumulated per frame, so dropped frames do
// not slow the disc. `paintMusicKnob` draws the disc at a given angle; the
// dial's view asks for frames only while the state spins.

#include <QImage>
#include <QObject>
#include <QPainter>
#include <chrono>

#include "platform/clock.h"
#include "platform/shared_instance.h"

namespace orbel {

class MusicCenterKnobState : public QObject, public platform::Shared<MusicCenterKnobState> {
    Q_OBJECT
public:
    static constexpr double kDegreesPerSecond = 45;

    explicit MusicCenterKnobState(platform::Clock& clock = platform::Clock::shared());

    double baseAngle() const { return baseAngle_; }
    bool isSpinning() const { return spinning_; }
    // The disc's angle now, in degrees, 0 up to 360, clockwise.
    double angle() const;
    // Starts or stops the disc; `changed` is announced only when that
    // changes (a disc already turning keeps its reference time).
    void setSpinning(bool playing);

Q_SIGNALS:
    void changed();

private:
    friend platform::Shared<MusicCenterKnobState>;
    static MusicCenterKnobState& makeShared();
    double secondsSinceReference() const;

    platform::Clock& clock_;
    double baseAngle_ = 0;
    std::chrono::steady_clock::time_point reference_;
    bool spinning_ = false;
};

namespace dial {

// The disc of diameter `size` centred at `centre`, turned `angle` degrees
// clockwise: grooves, highlight rings and the label (the artwork filling a
// circle of 0.7 × size, or a music note on black when the artwork is null)
// turn; its small shadow, sheen and rim stay. Draws within the circle
// inscribed in `musicKnobBounds` (a few points larger than the disc).
void paintMusicKnob(QPainter& p, QPointF centre, double size, const QImage& artwork, double angle);
QRectF musicKnobBounds(QPointF centre, double size);

// The same disc for a view that redraws it many times a second: its three
// layers (the shadow, the turning record, the fixed sheen and rim) are drawn
// once at the size and pixel ratio they show at, and each frame only turns
// the cached record. Drawn anew when the size, pixel ratio or artwork
// change. GUI thread.
class MusicKnobPictures {
public:
    void paint(QPainter& p, QPointF centre, double size, const QImage& artwork, double angle);
    // The two halves of `paint`: the still shadow under the disc, and the
    // turned record with the sheen and rim over it. A view that keeps what
    // lies under the disc in a picture of its own puts the shadow there once
    // and paints only the second half each frame.
    void paintUnder(QPainter& p, QPointF centre, double size, const QImage& artwork);
    void paintTurning(QPainter& p, QPointF centre, double size, const QImage& artwork, double angle);
    // How many times the layers were drawn (not turned): for tests.
    int drawings() const { return drawings_; }

private:
    void make(double size, double dpr, const QImage& artwork);
    void follow(QPainter& p, double size, const QImage& artwork);  // made anew when needed
    QPointF onPixels(QPointF centre, double size) const;

    double size_ = 0, dpr_ = 0;
    qint64 artwork_ = -1;
    QImage under_, record_, over_;
    int drawings_ = 0;
};

}  // namespace dial
}  // namespace orbel
