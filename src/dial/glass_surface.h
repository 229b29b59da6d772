#pragma once

// Frosted glass without a blur-behind from the window system: the dial
// takes a picture of what lies behind its square just before it shows,
// and these functions turn it into the material its backdrop, knob and
// wedges are painted with. Also the blurred soft shadows.

#include <QImage>
#include <QPainterPath>

namespace orbel::dial {

// A Gaussian-like blur (three box passes) of `radius` device pixels. Large
// radii work on a reduced copy, so the cost stays near-constant.
QImage blurred(const QImage& image, double radius);

// The glass material: `behind` blurred and tinted for the scheme (darker in
// the dark scheme than in the light one), at a reduced size (its device
// pixel ratio keeps its size in points). Null when `behind` is null.
QImage frostedGlass(const QImage& behind, bool dark);

// A soft shadow of `shape` (logical coordinates) covering `size` logical
// points, blurred like a Gaussian of `deviation` points. A shadow of radius
// R in the usual sense reaches about R beyond its shape: its deviation is
// R / 2. Large blurs leave it at a reduced pixel size (its device pixel
// ratio keeps its size in points): draw it into a rectangle of `size` with
// smooth scaling.
QImage softShadow(const QPainterPath& shape, QSizeF size, double dpr, const QColor& color, double deviation);
// The soft shadow of a disc of `diameter` centred in a square of
// `diameter + 2 * margin` points; made once per size, density and colour.
QImage discShadow(double diameter, double margin, double dpr, const QColor& color, double deviation);

}  // namespace orbel::dial
