#pragma once

// Paints the dial's layers with QPainter: the backdrop disc, the slot
// wedges, the volume wedge, the centre knob and the track caption (the
// music dial's turning disc is in dial/music_knob.h). Every
// function draws about a given dial centre in logical coordinates, so the
// same code serves the live panel (any device pixel ratio) and offscreen
// renders. Nothing here keeps state: the panel view caches what it paints.

#include <QImage>
#include <QPainter>
#include <string_view>

#include "dial/dial_view_state.h"

namespace orbel::dial {

QColor toQColor(const Rgba& color, double opacity = 1.0);

// The disc behind the wedges. `glass` is the blurred, tinted picture of
// what lies behind the disc's square (logical size diameter x diameter); a
// null image falls back to a tinted fill.
void paintBackdrop(QPainter& p, QPointF centre, double diameter, const AppearanceConfig& appearance,
                   const DialPalette& palette, const QImage& glass);
// Its two parts: the disc's material (glass, blur or colour), and what lies
// on it (the glass's sheen and the border), which does not change with the
// picture behind.
void paintBackdropDisc(QPainter& p, QPointF centre, double diameter, const AppearanceConfig& appearance,
                       const DialPalette& palette, const QImage& glass);
void paintBackdropChrome(QPainter& p, QPointF centre, double diameter, const AppearanceConfig& appearance,
                         const DialPalette& palette);
// The backdrop's soft drop shadow alone, drawn under the disc.
void paintBackdropShadow(QPainter& p, QPointF centre, double diameter, bool dark);

void paintWedge(QPainter& p, QPointF centre, const DialViewState& state, int index);
void paintVolumeWedge(QPainter& p, QPointF centre, const DialViewState& state, int index);
// The title pill (or the volume label) of a highlighted wedge.
void paintWedgeLabel(QPainter& p, QPointF centre, const DialViewState& state, int index);
// Where a wedge draws, label included: what must be repainted when its
// highlight changes.
QRectF wedgeBounds(QPointF centre, const DialViewState& state, int index);
// The title pill (or volume label) of a wedge, wherever it shows.
QRectF wedgeLabelBounds(QPointF centre, const DialViewState& state, int index);

struct KnobStyle {
    double size = 108.8;
    CenterKind content = CenterKind::AppLogo;
    bool isDark = false;
    AppearanceConfig appearance;
    std::optional<DialPalette> palette;
};
void paintKnob(QPainter& p, QPointF centre, const KnobStyle& knob);
// The music dial's track label under the ring, fully shown (the live view
// shows it as a widget that fades), and where it goes.
void paintTrackCaption(QPainter& p, QPointF centre, const DialViewState& state);
QRectF trackCaptionBox(QPointF centre, const DialViewState& state, const QFont& font);

// A system symbol ("questionmark", "arrow.left", "speaker.wave.2.fill", ...)
// in `box`, every mark in `color`.
void paintSymbol(QPainter& p, std::string_view name, QRectF box, const QColor& color);

// The whole dial, back to front, centred at `centre`.
void paintDial(QPainter& p, QPointF centre, const DialViewState& state, const QImage& glass = {});

}  // namespace orbel::dial
