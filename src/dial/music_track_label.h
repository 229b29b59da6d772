#pragma once

// A small caption with a track's title and artist that hides itself after a
// while. (The music dial's turning disc is drawn by the dial itself, see
// dial/music_knob.h.)

#include <QTimer>
#include <QWidget>
#include <chrono>

class QGraphicsOpacityEffect;
class QPropertyAnimation;

namespace orbel {

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
