#pragma once

// The music dial's centre: a record-like disc carrying the track's artwork
// that turns (one turn every 8 seconds) while music plays, and a small
// caption with title and artist that hides itself after a while.
//
// The disc's angle lives in one shared `MusicCenterKnobState`, so it keeps
// its place when the dial closes and opens again. It is computed from the
// clock, not accumulated per frame; a knob redraws (at most 60 times a
// second) only while the disc turns.

#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>

#include "platform/clock.h"
#include "platform/shared_instance.h"

class QGraphicsOpacityEffect;
class QPropertyAnimation;

namespace orbel {

class MusicCenterKnobState : public QObject, public platform::Shared<MusicCenterKnobState> {
    Q_OBJECT
public:
    static constexpr double kDegreesPerSecond = 45;

    explicit MusicCenterKnobState(platform::Clock& clock = platform::Clock::shared());

    double baseAngle() const { return baseAngle_; }
    bool isSpinning() const { return spinning_; }
    // The disc's angle now, in degrees, 0 up to 360.
    double angle() const;
    // Starts or stops the disc; announces `changed` only when that changes.
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

class MusicCenterKnob : public QWidget {
    Q_OBJECT
public:
    MusicCenterKnob(double size, MusicCenterKnobState& state = MusicCenterKnobState::shared(), QWidget* parent = nullptr);

    void setArtwork(std::shared_ptr<const QImage> artwork);
    void setPlaying(bool playing);
    void setOnTap(std::function<void()> onTap) { onTap_ = std::move(onTap); }
    bool isAnimating() const { return frames_.isActive(); }

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    void followState();

    double size_;
    MusicCenterKnobState& state_;
    std::shared_ptr<const QImage> artwork_;
    bool playing_ = false;
    std::function<void()> onTap_;
    QTimer frames_;
};

// Title over artist in a capsule. Shown again whenever the text changes;
// hides after `visibleDuration` unless the title is empty.
class MusicTrackLabel : public QWidget {
    Q_OBJECT
public:
    MusicTrackLabel(std::chrono::milliseconds visibleDuration, std::chrono::milliseconds fadeDuration,
                    QWidget* parent = nullptr);

    void setTrack(const QString& title, const QString& artist);
    bool isShownFully() const;  // visible, not faded out
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;

private:
    void reveal();
    void fadeTo(double opacity);

    QString title_, artist_;
    std::chrono::milliseconds visibleDuration_;
    std::chrono::milliseconds fadeDuration_;
    QTimer hideTimer_;
    QGraphicsOpacityEffect* opacity_;
    QPropertyAnimation* fade_;
    bool visible_ = false;
};

}  // namespace orbel
