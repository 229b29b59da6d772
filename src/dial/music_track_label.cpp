#include "dial/music_track_label.h"

#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QPropertyAnimation>
#include <algorithm>

namespace orbel {

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
    // A coarse timer may fire up to 5 % early.
    hideTimer_.setTimerType(Qt::PreciseTimer);
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

void MusicTrackLabel::setDark(bool dark) {
    if (dark == dark_) return;
    dark_ = dark;
    update();
}

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

QSize MusicTrackLabel::sizeFor(const QString& title, const QString& artist, const QFont& base) {
    const QFontMetrics titleMetrics(captionFont(base, 13, QFont::DemiBold));
    const QFontMetrics artistMetrics(captionFont(base, 11, QFont::Normal));
    int w = titleMetrics.horizontalAdvance(title);
    int h = titleMetrics.height();
    if (!artist.isEmpty()) {
        w = std::max(w, artistMetrics.horizontalAdvance(artist));
        h += 1 + artistMetrics.height();
    }
    return {std::min(w + 2, 360) + 28, h + 16};  // room for rounding
}

QSize MusicTrackLabel::sizeHint() const { return sizeFor(title_, artist_, font()); }

void MusicTrackLabel::paint(QPainter& p, const QRectF& box, const QString& title, const QString& artist, bool dark,
                            const QFont& base) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // A material nearly opaque, so what lies behind cannot wash the text out.
    const QColor material = dark ? QColor(32, 32, 36, 230) : QColor(248, 248, 250, 235);
    const QColor edge = dark ? QColor(255, 255, 255, 46) : QColor(0, 0, 0, 36);
    const QColor primary = dark ? QColor(255, 255, 255, 242) : QColor(0, 0, 0, 230);
    const QColor secondary = dark ? QColor(255, 255, 255, 178) : QColor(0, 0, 0, 158);
    const QRectF capsule = box.adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(edge, 1));
    p.setBrush(material);
    p.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);

    const QRectF inner = box.adjusted(14, 8, -14, -8);
    const QFont titleFont = captionFont(base, 13, QFont::DemiBold);
    const QFontMetrics titleMetrics(titleFont);
    p.setFont(titleFont);
    p.setPen(primary);
    QRectF line(inner.left(), inner.top(), inner.width(), titleMetrics.height());
    p.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter,
               titleMetrics.elidedText(title, Qt::ElideRight, int(inner.width())));
    if (!artist.isEmpty()) {
        const QFont artistFont = captionFont(base, 11, QFont::Normal);
        const QFontMetrics artistMetrics(artistFont);
        p.setFont(artistFont);
        p.setPen(secondary);
        line = QRectF(inner.left(), line.bottom() + 1, inner.width(), artistMetrics.height());
        p.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter,
                   artistMetrics.elidedText(artist, Qt::ElideRight, int(inner.width())));
    }
    p.restore();
}

void MusicTrackLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paint(p, rect(), title_, artist_, dark_, font());
}

}  // namespace orbel
