#include "dial/music_knob.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "dial/dial_painter.h"

namespace orbel {

// MARK: rotation state

MusicCenterKnobState::MusicCenterKnobState(platform::Clock& clock)
    : clock_(clock), reference_(clock.monotonicNow()) {}

double MusicCenterKnobState::secondsSinceReference() const {
    return std::chrono::duration<double>(clock_.monotonicNow() - reference_).count();
}

double MusicCenterKnobState::angle() const {
    if (!spinning_) return baseAngle_;
    return std::fmod(baseAngle_ + secondsSinceReference() * kDegreesPerSecond, 360.0);
}

void MusicCenterKnobState::setSpinning(bool playing) {
    if (playing == spinning_) return;
    if (playing) {
        reference_ = clock_.monotonicNow();
    } else {
        // fmod of a negative (a clock set back) stays negative: bring it into 0..360.
        baseAngle_ = std::fmod(angle() + 360.0, 360.0);
    }
    spinning_ = playing;
    Q_EMIT changed();
}

MusicCenterKnobState& MusicCenterKnobState::makeShared() {
    return platform::processLifetimeInstance<MusicCenterKnobState>();
}

// MARK: drawing

namespace dial {
namespace {

QRectF circle(QPointF c, double diameter) {
    return QRectF(c.x() - diameter / 2, c.y() - diameter / 2, diameter, diameter);
}

QColor white(double opacity) { return QColor::fromRgbF(1, 1, 1, float(opacity)); }
QColor black(double opacity) { return QColor::fromRgbF(0, 0, 0, float(opacity)); }

// The label in the middle of the disc: the artwork filling the circle
// (aspect kept, the excess cropped), or a note on black.
void paintLabel(QPainter& p, QPointF c, double size, const QImage& artwork) {
    const QRectF label = circle(c, 0.7 * size);
    QPainterPath clip;
    clip.addEllipse(label);
    p.save();
    p.setClipPath(clip, Qt::IntersectClip);
    if (!artwork.isNull()) {
        const QSizeF image = artwork.size();
        const QSizeF drawn = image * std::max(label.width() / image.width(), label.height() / image.height());
        p.drawImage(circle(c, 0).adjusted(-drawn.width() / 2, -drawn.height() / 2, drawn.width() / 2,
                                          drawn.height() / 2),
                    artwork);
    } else {
        p.fillRect(label, Qt::black);
        paintSymbol(p, "music.note", circle(c, 0.22 * size), white(0.55));
    }
    p.restore();
}

// The layers, each about `c`: what lies under the record, the record
// itself (turned by the caller), and what lies over it.
void paintShadow(QPainter& p, QPointF c, double s) {
    p.setBrush(black(0.22));
    p.drawEllipse(circle(c, s + 2).translated(0, 1));
}

void paintRecord(QPainter& p, QPointF c, double s, const QImage& artwork) {
    p.setBrush(Qt::black);
    p.drawEllipse(circle(c, s));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(white(0.2), 0.4));
    for (int i = 0; i < 12; ++i) p.drawEllipse(circle(c, s * (0.71 + i * 0.26 / 11)));
    p.setPen(QPen(white(0.1), 1.2));
    for (double scale : {0.78, 0.86, 0.94}) p.drawEllipse(circle(c, s * scale));
    paintLabel(p, c, s, artwork);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(circle(c, 0.035 * s));
}

// The fixed sheen, from the top left to the bottom right, and the rim.
void paintSheenAndRim(QPainter& p, QPointF c, double s) {
    const QRectF disc = circle(c, s);
    QLinearGradient sheen(disc.topLeft(), disc.bottomRight());
    sheen.setColorAt(0.05, white(0.16));
    sheen.setColorAt(0.30, white(0.08));
    sheen.setColorAt(0.55, black(0));
    sheen.setColorAt(0.90, black(0.10));
    sheen.setColorAt(1.0, black(0.14));
    p.setPen(Qt::NoPen);
    p.setBrush(sheen);
    p.drawEllipse(disc);
    const double rim = 0.012 * s;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(black(0.35), rim));
    p.drawEllipse(circle(c, s - rim));  // stroked inside the edge
}

// Fewer rows than Qt's raster engine shares out among threads.
constexpr int kRowsPerBand = 64;

void prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setPen(Qt::NoPen);
}

}  // namespace

QRectF musicKnobBounds(QPointF centre, double size) { return circle(centre, size + 8); }

void paintMusicKnob(QPainter& p, QPointF c, double s, const QImage& artwork, double angle) {
    p.save();
    prepare(p);
    paintShadow(p, c, s);
    p.save();
    p.translate(c);
    p.rotate(angle);
    p.translate(-c);
    paintRecord(p, c, s, artwork);
    p.restore();
    paintSheenAndRim(p, c, s);
    p.restore();
}

void MusicKnobPictures::make(double s, double dpr, const QImage& artwork) {
    size_ = s;
    dpr_ = dpr;
    artwork_ = artwork.cacheKey();
    ++drawings_;
    const QRectF bounds = musicKnobBounds(QPointF(0, 0), s);
    auto layer = [&](auto&& draw) {
        QImage image((bounds.size() * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        QPainter p(&image);
        prepare(p);
        draw(p, QPointF(bounds.width() / 2, bounds.height() / 2));
        return image;
    };
    under_ = layer([&](QPainter& p, QPointF c) { paintShadow(p, c, s); });
    record_ = layer([&](QPainter& p, QPointF c) { paintRecord(p, c, s, artwork); });
    over_ = layer([&](QPainter& p, QPointF c) { paintSheenAndRim(p, c, s); });
}

void MusicKnobPictures::follow(QPainter& p, double s, const QImage& artwork) {
    const double dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    if (s != size_ || dpr != dpr_ || artwork.cacheKey() != artwork_) make(s, dpr, artwork);
}

void MusicKnobPictures::paint(QPainter& p, QPointF c, double s, const QImage& artwork, double angle) {
    paintUnder(p, c, s, artwork);
    paintTurning(p, c, s, artwork, angle);
}

QPointF MusicKnobPictures::onPixels(QPointF c, double s) const {
    // The layers' corners on whole device pixels: each is then copied as it
    // is, not resampled (a shift of under half a pixel, all layers alike).
    const QPointF corner = c + musicKnobBounds(QPointF(0, 0), s).topLeft();
    return c + QPointF(std::round(corner.x() * dpr_), std::round(corner.y() * dpr_)) / dpr_ - corner;
}

void MusicKnobPictures::paintUnder(QPainter& p, QPointF c, double s, const QImage& artwork) {
    follow(p, s, artwork);
    p.drawImage(onPixels(c, s) + musicKnobBounds(QPointF(0, 0), s).topLeft(), under_);
}

void MusicKnobPictures::paintTurning(QPainter& p, QPointF c, double s, const QImage& artwork, double angle) {
    follow(p, s, artwork);
    c = onPixels(c, s);
    const QRectF bounds = musicKnobBounds(QPointF(0, 0), s);
    // Qt shares out a fill or copy of about a hundred rows or more among
    // its worker threads: for pictures this small, waking them costs more
    // than they save, many times a second. So the frame is painted in bands
    // of fewer rows, clipped edge to edge (whole points: no row is painted
    // twice), the record turned and the sheen over it in each.
    const QRect area = musicKnobBounds(c, s).toAlignedRect();
    const int band = std::max(1, int(kRowsPerBand / std::max(1.0, dpr_)));
    const QTransform upright = p.transform();
    QTransform turned = upright;
    turned.translate(c.x(), c.y());
    turned.rotate(angle);
    for (int top = area.top(); top <= area.bottom(); top += band) {
        p.save();
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setClipRect(QRect(area.left(), top, area.width(), std::min(band, area.bottom() + 1 - top)),
                      Qt::IntersectClip);
        p.setTransform(turned);
        p.drawImage(bounds.topLeft(), record_);
        p.setTransform(upright);
        p.drawImage(c + bounds.topLeft(), over_);
        p.restore();
    }
}

}  // namespace dial
}  // namespace orbel
