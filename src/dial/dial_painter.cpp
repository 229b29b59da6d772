#include "dial/dial_painter.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>

#include "dial/wedge_geometry.h"
#include "dial/glass_surface.h"
#include "dial/kept_answers.h"
#include "dial/music_knob.h"
#include "dial/music_track_label.h"
#include "platform/symbols.h"

namespace orbel::dial {
namespace {

QColor brightnessShifted(const Rgba& c, double delta) { return toQColor(adjustedBrightness(c, delta)); }

QFont labelFont() {
    QFont f;
    f.setPixelSize(12);
    f.setWeight(QFont::Medium);  // a light weight is too thin to read over glass
    return f;
}

// A picture of `glass` (a square picture of side `side` about `centre`)
// clipped to `shape`; nothing when there is no picture.
void paintGlassIn(QPainter& p, const QPainterPath& shape, QPointF centre, double side, const QImage& glass) {
    if (glass.isNull()) return;
    // One antialiased fill of the shape with the picture as its texture,
    // scaled smoothly to the square (no clipping pass).
    QImage pixels = glass;
    pixels.setDevicePixelRatio(1);  // the transform below does all the scaling
    QBrush texture(pixels);
    QTransform t;
    t.translate(centre.x() - side / 2, centre.y() - side / 2);
    t.scale(side / pixels.width(), side / pixels.height());
    texture.setTransform(t);
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.fillPath(shape, texture);
    p.restore();
}

// The tint of a highlighted glass wedge: strong enough to tell it from its
// neighbours over any glass (dark glass over a white window is mid grey).
QColor hoverGlass(const DialPalette& pal, double fill) {
    return toQColor(pal.wedgeGlassHoverTint, fill * (pal.isDark ? 0.32 : 0.22));
}

// The regular glass of a wedge or knob where the window system has none: a
// faint sheen from the top left and a light inner edge.
void paintSheen(QPainter& p, const QPainterPath& shape, bool dark) {
    const QRectF box = shape.boundingRect();
    QLinearGradient g(box.topLeft(), box.bottomRight());
    g.setColorAt(0, QColor(255, 255, 255, dark ? 26 : 60));
    g.setColorAt(1, QColor(255, 255, 255, dark ? 6 : 16));
    p.fillPath(shape, g);
}

// A pill is never wider than the dial: a longer title is cut with an
// ellipsis, as the track caption's lines are.
constexpr double kPillPadding = 16;

// A pill's label (the title, cut to fit) and its advance. Measuring shapes
// the text afresh each time, and the dial measures its titles at every
// opening and highlight change: the answers are kept, per thread.
struct MeasuredPill {
    QString label;
    double advance = 0;
};
MeasuredPill measuredPill(const std::string& text, double maxWidth) {
    thread_local KeptAnswers<std::tuple<std::string, double, QString>, MeasuredPill, 64> kept;
    const QFont font = labelFont();
    return kept.get({text, maxWidth, font.key()}, [&] {
        const QFontMetricsF fm(font);
        MeasuredPill pill;
        pill.label =
            fm.elidedText(QString::fromStdString(text), Qt::ElideRight, std::max(0.0, maxWidth - kPillPadding));
        pill.advance = fm.horizontalAdvance(pill.label);
        return pill;
    });
}

QRectF pillBox(QPointF at, const MeasuredPill& pill) {
    const QSizeF size(pill.advance + kPillPadding, QFontMetricsF(labelFont()).height() + 8);
    return QRectF(at.x() - size.width() / 2, at.y() - size.height() / 2, size.width(), size.height());
}

void paintPill(QPainter& p, QPointF at, const std::string& text, double maxWidth, const DialPalette& palette) {
    const MeasuredPill measured = measuredPill(text, maxWidth);
    const QRectF box = pillBox(at, measured);
    QPainterPath pill;
    pill.addRoundedRect(box, 8, 8);
    p.fillPath(pill, toQColor(palette.labelBg));
    p.setPen(QPen(toQColor(palette.backdropBorder), 0.5));
    p.drawPath(pill);
    p.setFont(labelFont());
    p.setPen(toQColor(palette.labelText));
    p.drawText(box, Qt::AlignCenter, measured.label);
}

QRectF pillBounds(QPointF at, const std::string& text, double maxWidth) { return pillBox(at, measuredPill(text, maxWidth)); }

void strokeWedge(QPainter& p, const QPainterPath& shape, const DialViewState& s) {
    const WedgeStroke stroke = wedgeStroke(s.appearance.wedgeStrokeStrength);
    if (!stroke.visible) return;
    QPen pen(toQColor(s.palette.wedgeFilledTint, stroke.opacity), stroke.width, Qt::SolidLine, Qt::FlatCap,
             Qt::MiterJoin);
    pen.setMiterLimit(10);
    p.strokePath(shape, pen);
}

double innerOf(const DialViewState& s) { return s.innerRadius.value_or(DialMetrics{s.menuRadius}.innerRadius()); }

}  // namespace

QColor toQColor(const Rgba& c, double opacity) {
    return QColor::fromRgbF(float(std::clamp(c.r, 0.0, 1.0)), float(std::clamp(c.g, 0.0, 1.0)),
                            float(std::clamp(c.b, 0.0, 1.0)), float(std::clamp(c.a * opacity, 0.0, 1.0)));
}

void paintSymbol(QPainter& p, std::string_view name, QRectF box, const QColor& color) {
    const double dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    const QImage image = platform::Symbols::shared().image(std::string(name), box.width(), color, dpr);
    p.drawImage(box, image);
}

namespace {
// The soft shadow of a disc of `diameter` centred on `centre`, `drop` points
// down; the cached shadow is smaller than it shows and is scaled up smoothly.
void paintDiscShadow(QPainter& p, QPointF centre, double diameter, double margin, double drop, const QColor& color,
                     double deviation) {
    const double side = diameter + 2 * margin;
    const QImage shadow = discShadow(diameter, margin, p.device()->devicePixelRatioF(), color, deviation);
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(centre.x() - side / 2, centre.y() - side / 2 + drop, side, side), shadow);
    p.restore();
}
}  // namespace

void paintBackdropShadow(QPainter& p, QPointF centre, double diameter, bool dark) {
    // Radius 22: a deviation of 11.
    paintDiscShadow(p, centre, diameter, 48, dark ? 8 : 4, QColor::fromRgbF(0, 0, 0, dark ? 0.32f : 0.14f), 11);
}

void paintBackdropDisc(QPainter& p, QPointF centre, double diameter, const AppearanceConfig& appearance,
                       const DialPalette& palette, const QImage& glass) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath disc;
    disc.addEllipse(centre, diameter / 2, diameter / 2);
    const double a = std::isnan(appearance.backdropOpacity) ? 1.0 : std::clamp(appearance.backdropOpacity, 0.0, 1.0);
    const bool dark = palette.isDark;
    switch (appearance.backdrop) {
        case Backdrop::liquidGlass:
            if (glass.isNull()) p.fillPath(disc, toQColor(palette.backdropFill, 0.82));
            else paintGlassIn(p, disc, centre, diameter, glass);
            break;
        case Backdrop::translucent:
            // The blur material at the configured opacity.
            p.setOpacity(a);
            if (glass.isNull()) p.fillPath(disc, dark ? QColor(30, 30, 32, 235) : QColor(236, 236, 238, 235));
            else paintGlassIn(p, disc, centre, diameter, glass);
            p.setOpacity(1);
            break;
        case Backdrop::filled: p.fillPath(disc, toQColor(palette.backdropFill, a)); break;
    }
    p.restore();
}

void paintBackdropChrome(QPainter& p, QPointF centre, double diameter, const AppearanceConfig& appearance,
                         const DialPalette& palette) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (appearance.backdrop == Backdrop::liquidGlass) {
        QPainterPath disc;
        disc.addEllipse(centre, diameter / 2, diameter / 2);
        paintSheen(p, disc, palette.isDark);
    }
    QPainterPath border;
    border.addEllipse(centre, diameter / 2 - 0.3, diameter / 2 - 0.3);
    p.strokePath(border, QPen(toQColor(palette.backdropBorder), 0.6));
    p.restore();
}

void paintBackdrop(QPainter& p, QPointF centre, double diameter, const AppearanceConfig& appearance,
                   const DialPalette& palette, const QImage& glass) {
    paintBackdropDisc(p, centre, diameter, appearance, palette, glass);
    paintBackdropChrome(p, centre, diameter, appearance, palette);
}

void paintWedge(QPainter& p, QPointF centre, const DialViewState& s, int index) {
    const int n = static_cast<int>(s.wedges.size());
    const WedgeItem& item = s.wedges[static_cast<std::size_t>(index)];
    const double ri = innerOf(s), ro = s.menuRadius;
    const QPainterPath shape = slotPath(centre, index, n, ri, ro);
    const bool h = s.isHighlighted(index);
    const double f = effectiveFillStrength(s.appearance.wedgeFillStrength);
    const DialPalette& pal = s.palette;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    switch (s.appearance.slotStyle) {
        case SlotStyle::liquidGlass:
            paintSheen(p, shape, pal.isDark);
            p.fillPath(shape, h ? hoverGlass(pal, f) : toQColor(pal.wedgeGlassTint, f * 0.06));
            break;
        case SlotStyle::filled:
            p.fillPath(shape, h ? brightnessShifted(pal.wedgeFilledTint, f * 0.14) : toQColor(pal.wedgeFilledTint));
            break;
        case SlotStyle::normal: {
            const double d = (pal.isDark ? 1 : -1) * f * 0.1;
            p.fillPath(shape, brightnessShifted(pal.backdropFill, h ? d + f * 0.06 : d));
            break;
        }
    }
    strokeWedge(p, shape, s);
    const QPointF iconAt = pointOnWedgeAxis(centre, index, n, (ri + ro) / 2);
    const double side = DialMetrics::kIconSide;
    QRectF box(iconAt.x() - side / 2, iconAt.y() - side / 2, side, side);
    if (item.icon.isNull()) {
        paintSymbol(p, "questionmark", box, toQColor(pal.placeholderIconTint));
    } else {
        QSizeF fitted = item.icon.deviceIndependentSize().scaled(box.size(), Qt::KeepAspectRatio);
        p.drawImage(QRectF(iconAt.x() - fitted.width() / 2, iconAt.y() - fitted.height() / 2, fitted.width(),
                           fitted.height()),
                    item.icon);
    }
    p.restore();
}

void paintVolumeWedge(QPainter& p, QPointF centre, const DialViewState& s, int index) {
    const int n = static_cast<int>(s.wedges.size());
    const WedgeItem& item = s.wedges[static_cast<std::size_t>(index)];
    const double level = s.draggedVolume.value_or(item.level);
    const double ri = innerOf(s), ro = s.menuRadius;
    const QPainterPath shape = slotPath(centre, index, n, ri, ro);
    const VolumeRegions regions = volumeRegions(centre, n, ro, level);
    const bool h = s.isHighlighted(index);
    const double f = effectiveFillStrength(s.appearance.wedgeFillStrength);
    const DialPalette& pal = s.palette;
    auto region = [&](const QRectF& rect) {
        QPainterPath mask;
        mask.addRect(rect);
        QPainterPath r = shape.intersected(mask);
        r.setFillRule(Qt::OddEvenFill);
        return r;
    };
    const bool showLevel = regions.levelWidth > 0.5;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    switch (s.appearance.slotStyle) {
        case SlotStyle::liquidGlass:
            paintSheen(p, shape, pal.isDark);
            // Lit, the whole wedge takes the highlight and the level shows darker or lighter still.
            if (regions.restWidth > 0.5)
                p.fillPath(region(regions.restRect), h ? hoverGlass(pal, f) : toQColor(pal.wedgeGlassTint, f * 0.06));
            if (showLevel)
                p.fillPath(region(regions.levelRect), toQColor(pal.wedgeGlassHoverTint, f * (h ? 0.45 : 0.22)));
            break;
        case SlotStyle::filled:
            p.fillPath(region(regions.restRect), toQColor(pal.wedgeFilledTint));
            if (showLevel) p.fillPath(region(regions.levelRect), brightnessShifted(pal.wedgeFilledTint, f * 0.14));
            break;
        case SlotStyle::normal: {
            const double d = (pal.isDark ? 1 : -1) * f * 0.1;
            p.fillPath(region(regions.restRect), brightnessShifted(pal.backdropFill, d));
            if (showLevel) p.fillPath(region(regions.levelRect), brightnessShifted(pal.backdropFill, d + f * 0.06));
            break;
        }
    }
    strokeWedge(p, shape, s);
    const QPointF at = pointOnWedgeAxis(centre, index, n, (ri + ro) / 2);
    const double side = DialMetrics::kIconSide;
    paintSymbol(p, volumeSymbolName(level, item.isMuted), QRectF(at.x() - side / 2, at.y() - side / 2, side, side),
                toQColor(pal.labelText));
    p.restore();
}

namespace {
std::string wedgeLabelText(const DialViewState& s, const WedgeItem& item) {
    return item.isVolume ? volumeLabelText(s.draggedVolume.value_or(item.level), item.isMuted) : item.title;
}
double pillWidthLimit(const DialViewState& s) { return DialMetrics{s.menuRadius}.backdropDiameter(); }
// A wedge's outline's bounds, kept per thread for the few dials drawn: the
// outline is built of arcs, and every opening and highlight change asks.
QRectF slotBounds(QPointF centre, int index, int count, double inner, double outer) {
    thread_local KeptAnswers<std::tuple<double, double, int, int, double, double>, QRectF, 64> kept;
    return kept.get({centre.x(), centre.y(), index, count, inner, outer},
                    [&] { return slotPath(centre, index, count, inner, outer).boundingRect(); });
}
QPointF wedgeLabelCentre(QPointF centre, const DialViewState& s, int index) {
    return pointOnWedgeAxis(centre, index, int(s.wedges.size()), DialMetrics{s.menuRadius}.pillRadius());
}
}  // namespace

void paintWedgeLabel(QPainter& p, QPointF centre, const DialViewState& s, int index) {
    const WedgeItem& item = s.wedges[static_cast<std::size_t>(index)];
    const bool h = s.isHighlighted(index);
    if (!(h || (item.isVolume && s.isVolumeDragging))) return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    paintPill(p, wedgeLabelCentre(centre, s, index), wedgeLabelText(s, item), pillWidthLimit(s), s.palette);
    p.restore();
}

QRectF wedgeLabelBounds(QPointF centre, const DialViewState& s, int index) {
    const WedgeItem& item = s.wedges[static_cast<std::size_t>(index)];
    return pillBounds(wedgeLabelCentre(centre, s, index), wedgeLabelText(s, item), pillWidthLimit(s));
}

QRectF wedgeBounds(QPointF centre, const DialViewState& s, int index) {
    const int n = static_cast<int>(s.wedges.size());
    const WedgeItem& item = s.wedges[static_cast<std::size_t>(index)];
    QRectF bounds = slotBounds(centre, index, n, innerOf(s), s.menuRadius);
    const std::string text = item.isVolume ? std::string("Muted100%") : item.title;
    bounds |= pillBounds(pointOnWedgeAxis(centre, index, n, DialMetrics{s.menuRadius}.pillRadius()), text, pillWidthLimit(s));
    return bounds.adjusted(-3, -3, 3, 3);
}

void paintKnob(QPainter& p, QPointF centre, const KnobStyle& k) {
    const double size = k.size, r = size / 2;
    const bool effDark = k.palette ? k.palette->isDark : k.isDark;
    QPainterPath disc;
    disc.addEllipse(centre, r, r);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // Drop shadow: radius 18 (a deviation of 9), 7 down.
    paintDiscShadow(p, centre, size, 40, 7, QColor::fromRgbF(0, 0, 0, k.isDark ? 0.34f : 0.16f), 9);
    const double a = std::isnan(k.appearance.backdropOpacity) ? 1.0 : std::clamp(k.appearance.backdropOpacity, 0.0, 1.0);
    const QColor shade = QColor::fromRgbF(0, 0, 0, effDark ? 0.04f : 0.055f);
    switch (k.appearance.backdrop) {
        case Backdrop::liquidGlass: {
            // Glass over the backdrop's glass: a clearer, lighter layer.
            p.fillPath(disc, effDark ? QColor(70, 70, 76, 120) : QColor(255, 255, 255, 110));
            paintSheen(p, disc, effDark);
            const QColor tint = k.palette ? toQColor(k.palette->wedgeGlassTint) : QColor(Qt::white);
            QColor t = tint;
            t.setAlphaF(effDark ? 0.12f : 0.05f);
            p.fillPath(disc, t);
            p.fillPath(disc, shade);
            break;
        }
        case Backdrop::translucent: {
            p.setOpacity(a);
            p.fillPath(disc, effDark ? QColor(30, 30, 32, 235) : QColor(236, 236, 238, 235));
            p.setOpacity(1);
            QColor t = k.palette ? toQColor(k.palette->backdropFill) : QColor(Qt::white);
            t.setAlphaF(effDark ? 0.14f : 0.16f);
            p.fillPath(disc, t);
            p.fillPath(disc, shade);
            break;
        }
        case Backdrop::filled:
            if (k.palette) p.fillPath(disc, brightnessShifted(k.palette->backdropFill, k.palette->isDark ? 0.08 : -0.06));
            else p.fillPath(disc, QColor::fromRgbF(effDark ? 0.22f : 0.88f, effDark ? 0.22f : 0.88f, effDark ? 0.22f : 0.88f));
            break;
    }
    // Top highlight, added light.
    {
        QRadialGradient g(QPointF(centre.x(), centre.y() - r + 0.05 * size), 0.55 * size);
        g.setColorAt(0, QColor::fromRgbF(1, 1, 1, k.isDark ? 0.22f : 0.46f));
        g.setColorAt(1, QColor(255, 255, 255, 0));
        p.setCompositionMode(QPainter::CompositionMode_Plus);
        p.fillPath(disc, g);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    // Bottom shade.
    {
        QRadialGradient g(QPointF(centre.x(), centre.y() - r + 0.95 * size), 0.6 * size);
        const double start = 0.15 / 0.6;
        g.setColorAt(0, QColor(0, 0, 0, 0));
        g.setColorAt(start, QColor(0, 0, 0, 0));
        g.setColorAt(1, QColor::fromRgbF(0, 0, 0, effDark ? 0.12f : 0.045f));
        p.fillPath(disc, g);
    }
    // Rim, inside the edge.
    {
        const QColor rim = k.palette ? toQColor(k.palette->backdropBorder)
                                     : (k.isDark ? QColor::fromRgbF(1, 1, 1, 0.16f) : QColor::fromRgbF(0, 0, 0, 0.14f));
        QPainterPath edge;
        edge.addEllipse(centre, r - 0.35, r - 0.35);
        p.strokePath(edge, QPen(rim, 0.7));
    }
    // Glyph.
    QColor glyph;
    if (k.palette) glyph = k.palette->isDark ? QColor::fromRgbF(1, 1, 1, 0.92f) : QColor::fromRgbF(0, 0, 0, 0.78f);
    else glyph = k.isDark ? QColor::fromRgbF(0.92f, 0.92f, 0.92f) : QColor::fromRgbF(0.18f, 0.18f, 0.18f);
    if (k.content == CenterKind::Back) {
        const double s = 0.22 * size;
        paintSymbol(p, "arrow.left", QRectF(centre.x() - s / 2, centre.y() - s / 2, s, s), glyph);
    } else {
        const double s = 0.46 * size;
        paintSymbol(p, "circle.grid.3x3", QRectF(centre.x() - s / 2, centre.y() - s / 2, s, s), glyph);
    }
    p.restore();
}

QRectF trackCaptionBox(QPointF centre, const DialViewState& s, const QFont& font) {
    const QSizeF size = MusicTrackLabel::sizeFor(QString::fromStdString(s.centre.title),
                                                 QString::fromStdString(s.centre.artist), font);
    const QPointF at(centre.x(), centre.y() + DialMetrics{s.menuRadius}.captionOffset());
    return QRectF(at.x() - size.width() / 2, at.y() - size.height() / 2, size.width(), size.height());
}

void paintTrackCaption(QPainter& p, QPointF centre, const DialViewState& s) {
    if (s.centre.kind != CenterKind::AlbumArt || (s.centre.title.empty() && s.centre.artist.empty())) return;
    const QFont font;
    MusicTrackLabel::paint(p, trackCaptionBox(centre, s, font), QString::fromStdString(s.centre.title),
                           QString::fromStdString(s.centre.artist), s.palette.isDark, font);
}

void paintDial(QPainter& p, QPointF centre, const DialViewState& s, const QImage& glass) {
    const DialMetrics m{s.menuRadius};
    paintBackdropShadow(p, centre, m.backdropDiameter(), s.palette.isDark);
    paintBackdrop(p, centre, m.backdropDiameter(), s.appearance, s.palette, glass);
    const int n = static_cast<int>(s.wedges.size());
    for (int i = 0; i < n; ++i) {
        if (s.wedges[static_cast<std::size_t>(i)].isVolume) paintVolumeWedge(p, centre, s, i);
        else paintWedge(p, centre, s, i);
    }
    for (int i = 0; i < n; ++i) paintWedgeLabel(p, centre, s, i);
    if (s.centre.kind == CenterKind::AlbumArt) {
        paintMusicKnob(p, centre, m.knobSize(), s.centre.artwork, s.centre.discAngle);
    } else {
        paintKnob(p, centre, KnobStyle{m.knobSize(), s.centre.kind, s.palette.isDark, s.appearance, s.palette});
    }
    paintTrackCaption(p, centre, s);
}

}  // namespace orbel::dial
