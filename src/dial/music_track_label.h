#pragma once

// A small caption with a track's title and artist that hides itself after a
// while; the music dial shows it under its ring. (The turning disc is in
// dial/music_knob.h.)
//
// It lies over whatever the desktop shows there, so it carries its own
// nearly opaque capsule, light or dark with the dial, and its texts keep a
// contrast of at least 4.5:1 over white, black or a picture.

#include <QTimer>
#include <QWidget>
#include <chrono>

class QGraphicsOpacityEffect;
class QPropertyAnimation;

namespace orbel {

// Title over artist in a capsule. Shown again whenever the text changes;
// hides after `visibleDuration` (never earlier), fading out over
// `fadeDuration`, unless the title is empty.
class MusicTrackLabel : public QWidget {
    Q_OBJECT
public:
    MusicTrackLabel(std::chrono::milliseconds visibleDuration, std::chrono::milliseconds fadeDuration,
                    QWidget* parent = nullptr);

    void setTrack(const QString& title, const QString& artist);
    void setDark(bool dark);
    bool isShownFully() const;  // visible, not faded out
    QSize sizeHint() const override;

    // The caption as the widget draws it, into `box` (its size hint), at
    // full opacity: for pictures of the whole dial.
    static void paint(QPainter& p, const QRectF& box, const QString& title, const QString& artist, bool dark,
                      const QFont& base);
    static QSize sizeFor(const QString& title, const QString& artist, const QFont& base);

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;

private:
    void reveal();
    void fadeTo(double opacity);

    QString title_, artist_;
    bool dark_ = false;
    std::chrono::milliseconds visibleDuration_;
    std::chrono::milliseconds fadeDuration_;
    QTimer hideTimer_;
    QGraphicsOpacityEffect* opacity_;
    QPropertyAnimation* fade_;
    bool visible_ = false;
};

}  // namespace orbel
