#pragma once

// The drawing geometry of the dial as pure functions, on top of the shared
// angles of dial_geometry.h: the sizes that follow from the dial's radius,
// the wedge and ring outlines, where icons, title pills and the volume
// wedge's regions go, and the texts assistive technologies read.
//
// Angle t at radius r about a centre c is c + r * (cos t, sin t) (y down),
// so angles grow clockwise on screen and -pi/2 is straight up.

#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "dial/dial_geometry.h"

namespace orbel::dial {

// Sizes derived from the dial's outer radius R (points).
struct DialMetrics {
    static constexpr double kBackdropRim = 12.0;
    static constexpr double kCaptionBelowRing = 60.0;
    static constexpr double kWedgeFrameMargin = 16.0;
    static constexpr double kCornerRadius = 9.0;
    static constexpr double kIconSide = 30.0;
    static constexpr double kPillDistance = 18.0;  // beyond the outer radius

    double outerRadius = 200.0;

    double innerRadius() const { return kInnerRadiusFactor * outerRadius; }
    double backdropDiameter() const { return 2.0 * outerRadius + 2.0 * kBackdropRim; }
    double knobSize() const { return kKnobSizeFactor * outerRadius; }
    double captionOffset() const { return outerRadius + kCaptionBelowRing; }
    double wedgeFrameSide() const { return 2.0 * outerRadius + 2.0 * kWedgeFrameMargin; }
    double iconRadius() const { return (innerRadius() + outerRadius) / 2.0; }
    double pillRadius() const { return outerRadius + kPillDistance; }

    // The square panel that carries the dial: the ring, the title pills and
    // room for their labels on either side.
    static constexpr double kLabelRoom = 130.0;
    double panelSide() const { return 2.0 * (pillRadius() + kLabelRoom); }
    // What must show beyond the ring on each side. Left and right: the
    // title pills of the side wedges, which stand beside the dial and may be
    // as wide as the label room. Above and below: only the top and bottom
    // wedges' pills, half a pill high at the pill distance; the panel may
    // reach past the screen there, where it draws nothing.
    static constexpr double kPillHalfHeight = 14.0;
    static constexpr double kRoomBeside = kPillDistance + kLabelRoom;
    static constexpr double kRoomAboveAndBelow = kPillDistance + kPillHalfHeight;
    // The music dial's track caption is centred kCaptionBelowRing under the
    // ring and is up to two lines high: below the ring it needs that much
    // room and half the caption.
    static constexpr double kCaptionHalfHeight = 28.0;
    static constexpr double kRoomBelowForCaption = kCaptionBelowRing + kCaptionHalfHeight;
    // The radius a dial of `wanted` radius is drawn at on a screen of
    // `screen` size: the largest up to `wanted` whose ring and titles (and,
    // `withCaption`, the track caption) fit the screen, never below `smallest`.
    static double fittingRadius(double wanted, QSizeF screen, double smallest, bool withCaption = false) {
        const double below = withCaption ? kRoomBelowForCaption : kRoomAboveAndBelow;
        const double room = std::min(screen.width() / 2.0 - kRoomBeside, screen.height() / 2.0 - below);
        return std::max(smallest, std::min(wanted, room));
    }
};

// The outline of one wedge: an annular sector with rounded corners whose
// straight sides run parallel to the boundary rays at `gapOffset`.
struct WedgeShape {
    double startAngle = 0;
    double endAngle = 0;
    double innerRadius = 0;
    double outerRadius = 0;
    double cornerRadius = DialMetrics::kCornerRadius;
    double gapOffset = 0;

    QPainterPath path(QPointF centre) const;
};

// The distance of a wedge's sides from its boundary rays; never negative.
double wedgeGapOffset(double innerRadius, double outerRadius, int count);
WedgeShape wedgeShape(int index, int count, double innerRadius, double outerRadius);

// Both circles in one path, to be filled with the odd-even rule.
QPainterPath annulusPath(QPointF centre, double innerRadius, double outerRadius);
// The outline of slot `index` of `count`: the ring for fewer than two
// slots, else its wedge. Fill with the odd-even rule.
QPainterPath slotPath(QPointF centre, int index, int count, double innerRadius, double outerRadius);

// A point at `radius` from `centre` in the direction of wedge `index`'s middle
// (straight up for fewer than two slots).
QPointF pointOnWedgeAxis(QPointF centre, int index, int count, double radius);

// Appends a line from the path's current point towards `corner` and a
// circular arc of `radius` tangent to that line and to the line from
// `corner` to `towards`. Degenerate corners (a zero radius, collinear or
// coincident points) become a plain line to `corner`.
void appendTangentArc(QPainterPath& path, QPointF corner, QPointF towards, double radius);

// Fill and outline strengths as the wedge views use them.
double effectiveFillStrength(double wedgeFillStrength);  // 0.5...1.5, NaN -> 1.5
struct WedgeStroke {
    bool visible = false;
    double opacity = 0;
    double width = 0;
};
WedgeStroke wedgeStroke(double wedgeStrokeStrength);

// The volume wedge: a level region growing left to right over the chord of
// the wedge's outer corners, and a rest region after it. Rectangles are in
// the coordinates of `centre`, tall enough to cover the whole wedge.
struct VolumeRegions {
    double chord = 0;
    double levelWidth = 0;
    double restWidth = 0;
    QRectF levelRect;
    QRectF restRect;
};
VolumeRegions volumeRegions(QPointF centre, int count, double outerRadius, double level);
// The speaker symbol's name for a level and mute state.
std::string_view volumeSymbolName(double level, bool muted);
// Whole percent, rounded half away from zero (not clamped).
long long volumePercent(double level);
// "Muted" or the percent followed by "%", for the label beside the wedge.
std::string volumeLabelText(double level, bool muted);

// Accessibility texts.
std::string dialAccessibilityLabel();  // "Orbel radial menu"
std::string dialAccessibilityValue(const std::vector<std::string>& titles, int highlightedIndex);
std::string wedgeAccessibilityHint(const std::string& title);
std::string volumeAccessibilityLabel();  // "Volume"
std::string volumeAccessibilityValue(double level, bool muted);
std::string volumeAccessibilityHint();

}  // namespace orbel::dial
