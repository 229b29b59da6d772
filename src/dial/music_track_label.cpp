#include "music/music_track_label.h"

#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QPropertyAnimation>

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
