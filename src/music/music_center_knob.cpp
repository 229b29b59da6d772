#include "music/music_center_knob.h"

#include <QGraphicsOpacityEffect>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <cmath>

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
    if (playing && !spinning_) {
        reference_ = clock_.monotonicNow();
        spinning_ = true;
    } else if (!playing && spinning_) {
        baseAngle_ = std::fmod(std::fmod(baseAngle_ + secondsSinceReference() * kDegreesPerSecond, 360.0), 360.0);
        spinning_ = false;
    } else {
        return;
    }
    Q_EMIT changed();
}

MusicCenterKnobState& MusicCenterKnobState::makeShared() {
    return platform::processLifetimeInstance<MusicCenterKnobState>();
}

// MARK: knob

MusicCenterKnob::MusicCenterKnob(double size, MusicCenterKnobState& state, QWidget* parent)
    : QWidget(parent), size_(size), state_(state) {
    setFixedSize(int(std::ceil(size)), int(std::ceil(size)));
    setAttribute(Qt::WA_TranslucentBackground);
    frames_.setInterval(1000 / 60);
    connect(&frames_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    connect(&state_, &MusicCenterKnobState::changed, this, &MusicCenterKnob::followState);
}

void MusicCenterKnob::setArtwork(std::shared_ptr<const QImage> artwork) {
    artwork_ = std::move(artwork);
    update();
}

void MusicCenterKnob::setPlaying(bool playing) {
    playing_ = playing;
    if (isVisible()) state_.setSpinning(playing_);
    followState();
}

void MusicCenterKnob::showEvent(QShowEvent*) {
    state_.setSpinning(playing_);
    followState();
}

void MusicCenterKnob::hideEvent(QHideEvent*) { frames_.stop(); }

void MusicCenterKnob::followState() {
    if (state_.isSpinning() && isVisible()) {
        if (!frames_.isActive()) frames_.start();
    } else {
        frames_.stop();
    }
    update();
}

void MusicCenterKnob::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF c(width() / 2.0, height() / 2.0);
    const QPointF d = event->position() - c;
    if (std::hypot(d.x(), d.y()) <= size_ / 2 && onTap_) onTap_();
}

void MusicCenterKnob::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const double s = size_;
    const QPointF c(width() / 2.0, height() / 2.0);
    auto circle = [&](double diameter) { return QRectF(c.x() - diameter / 2, c.y() - diameter / 2, diameter, diameter); };

    // Shadow below the disc.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, int(0.22 * 255)));
    p.drawEllipse(circle(s).translated(0, 1).adjusted(-1, -1, 1, 1));

    // The turning disc.
    p.save();
    p.translate(c);
    p.rotate(state_.angle());
    p.translate(-c);
    p.setBrush(Qt::black);
    p.drawEllipse(circle(s));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 12; ++i) {
        p.setPen(QPen(QColor(255, 255, 255, int(0.2 * 255)), 0.4));
        p.drawEllipse(circle(s * (0.71 + i * 0.26 / 11)));
    }
    for (double scale : {0.78, 0.86, 0.94}) {
        p.setPen(QPen(QColor(255, 255, 255, int(0.1 * 255)), 1.2));
        p.drawEllipse(circle(s * scale));
    }
    const QRectF label = circle(0.7 * s);
    QPainterPath labelClip;
    labelClip.addEllipse(label);
    p.setClipPath(labelClip);
    if (artwork_ && !artwork_->isNull()) {
        // Fill the circle, keeping the aspect ratio, cropping the excess.
        const QSizeF img = artwork_->size();
        const double k = std::max(label.width() / img.width(), label.height() / img.height());
        const QSizeF drawn = img * k;
        p.drawImage(QRectF(c.x() - drawn.width() / 2, c.y() - drawn.height() / 2, drawn.width(), drawn.height()), *artwork_);
    } else {
        p.fillRect(label, Qt::black);
        QFont font = p.font();
        font.setPixelSize(std::max(1, int(s * 0.22)));
        p.setFont(font);
        p.setPen(QColor(255, 255, 255, int(0.55 * 255)));
        p.drawText(label, Qt::AlignCenter, QStringLiteral("\u266A"));
    }
    p.setClipping(false);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(circle(0.035 * s));
    p.restore();

    // The fixed sheen and rim.
    QLinearGradient sheen(circle(s).topLeft(), circle(s).bottomRight());
    sheen.setColorAt(0.05, QColor(255, 255, 255, int(0.16 * 255)));
    sheen.setColorAt(0.30, QColor(255, 255, 255, int(0.08 * 255)));
    sheen.setColorAt(0.55, QColor(0, 0, 0, 0));
    sheen.setColorAt(0.90, QColor(0, 0, 0, int(0.10 * 255)));
    sheen.setColorAt(1.0, QColor(0, 0, 0, int(0.14 * 255)));
    p.setBrush(sheen);
    p.drawEllipse(circle(s));
    const double rim = 0.012 * s;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, int(0.35 * 255)), rim));
    p.drawEllipse(circle(s - rim));
}

// MARK: track label

MusicTrackLabel::MusicTrackLabel(std::chrono::milliseconds visibleDuration, std::chrono::milliseconds fadeDuration,
                                 QWidget* parent)
    : QWidget(parent),
      visibleDuration_(visibleDuration),
      fadeDuration_(fadeDuration),
      opacity_(new QGraphicsOpacityEffect(this)),
      fade_(new QPropertyAnimation(opacity_, "opacity", this)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    opacity_->setOpacity(0);
    setGraphicsEffect(opacity_);
    fade_->setEasingCurve(QEasingCurve::OutCubic);
    hideTimer_.setSingleShot(true);
    connect(&hideTimer_, &QTimer::timeout, this, [this] {
        visible_ = false;
        fadeTo(0);
    });
}

void MusicTrackLabel::setTrack(const QString& title, const QString& artist) {
    if (title == title_ && artist == artist_) return;
    title_ = title;
    artist_ = artist;
    updateGeometry();
    update();
    reveal();
}

void MusicTrackLabel::showEvent(QShowEvent*) { reveal(); }

void MusicTrackLabel::reveal() {
    hideTimer_.stop();
    visible_ = true;
    fadeTo(1);
    if (!title_.isEmpty()) hideTimer_.start(visibleDuration_);
}

bool MusicTrackLabel::isShownFully() const { return visible_; }

void MusicTrackLabel::fadeTo(double opacity) {
    fade_->stop();
    fade_->setDuration(int(fadeDuration_.count()));
    fade_->setStartValue(opacity_->opacity());
    fade_->setEndValue(opacity);
    fade_->start();
}

namespace {
QFont captionFont(const QFont& base, int pixels, QFont::Weight weight) {
    QFont f = base;
    f.setPixelSize(pixels);
    f.setWeight(weight);
    return f;
}
}  // namespace

QSize MusicTrackLabel::sizeHint() const {
    const QFontMetrics titleMetrics(captionFont(font(), 13, QFont::DemiBold));
    const QFontMetrics artistMetrics(captionFont(font(), 11, QFont::Normal));
    int w = titleMetrics.horizontalAdvance(title_);
    int h = titleMetrics.height();
    if (!artist_.isEmpty()) {
        w = std::max(w, artistMetrics.horizontalAdvance(artist_));
        h += 1 + artistMetrics.height();
    }
    return {w + 28, h + 16};
}

void MusicTrackLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = rect();
    const QColor window = palette().color(QPalette::Window);
    QColor material = window;
    material.setAlphaF(0.8);
    p.setPen(Qt::NoPen);
    p.setBrush(material);
    p.drawRoundedRect(box, box.height() / 2, box.height() / 2);

    const QRectF inner = box.adjusted(14, 8, -14, -8);
    const QFont titleFont = captionFont(font(), 13, QFont::DemiBold);
    const QFontMetrics titleMetrics(titleFont);
    p.setFont(titleFont);
    p.setPen(palette().color(QPalette::WindowText));
    QRectF line(inner.left(), inner.top(), inner.width(), titleMetrics.height());
    p.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter,
               titleMetrics.elidedText(title_, Qt::ElideRight, int(inner.width())));
    if (!artist_.isEmpty()) {
        const QFont artistFont = captionFont(font(), 11, QFont::Normal);
        const QFontMetrics artistMetrics(artistFont);
        p.setFont(artistFont);
        p.setPen(palette().color(QPalette::PlaceholderText));
        line = QRectF(inner.left(), line.bottom() + 1, inner.width(), artistMetrics.height());
        p.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter,
                   artistMetrics.elidedText(artist_, Qt::ElideRight, int(inner.width())));
    }
}

}  // namespace orbel
