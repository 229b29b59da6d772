#pragma once

// The dial's geometry, shared by the controller (hit testing) and the views
// (drawing). Angles are radians in a y-down space; wedge i of n spans 2π/n
// and is centred i × 2π/n clockwise from straight up, so wedge 0 sits at
// 12 o'clock and indices grow clockwise. Pure functions, no state.

#include <QPointF>
#include <cmath>
#include <numbers>

namespace orbel::dial {

// Distance from the centre within which a click on the dial is a hub click.
// Fixed: it does not follow the radius (it equals the ring's inner radius
// only at the default radius 200).
inline constexpr double kHubRadius = 64.0;
// The ring's inner radius and the centre knob's size as fractions of the
// outer radius.
inline constexpr double kInnerRadiusFactor = 0.32;
inline constexpr double kKnobSizeFactor = kInnerRadiusFactor * 1.7;
// A volume-wedge press and release at most this far apart is a click.
inline constexpr double kVolumeClickTolerance = 4.0;

// The clockwise angle from straight up of the direction (dx, dy), dy growing
// downwards, in [0, 2π]. The centre itself (0, 0) gives π/2.
inline double clockwiseAngleFromUp(double dx, double dy) {
    double a = std::atan2(dy, dx) + std::numbers::pi / 2;
    if (a < 0) a += 2 * std::numbers::pi;
    return a;
}

// The wedge of n holding the clockwise angle `a` from straight up: the
// nearest wedge centre, an exact border going to the wedge with the larger
// angle (half away from zero), the last border wrapping to wedge 0.
// -1 when n < 1.
inline int slotIndexForAngle(double a, int n) {
    if (n < 1) return -1;
    const auto k = static_cast<long long>(std::round(a / (2 * std::numbers::pi / n)));
    return static_cast<int>(k % n);
}

// The wedge the pointer at `cursor` points at, seen from `centre` (both in
// the same top-left-origin coordinates). Distance plays no part.
inline int slotIndex(QPointF cursor, QPointF centre, int n) {
    return slotIndexForAngle(clockwiseAngleFromUp(cursor.x() - centre.x(), cursor.y() - centre.y()), n);
}

// A click at `point` is on the hub (not on the ring) when it is at most
// kHubRadius from the centre.
inline bool isHubPoint(QPointF point, QPointF centre) {
    return std::hypot(point.x() - centre.x(), point.y() - centre.y()) <= kHubRadius;
}

// The direction of wedge i's centre, as an angle for drawing (0 = 3 o'clock,
// growing clockwise in y-down space).
inline double wedgeCentreAngle(int i, int n) {
    return i * 2 * std::numbers::pi / n - std::numbers::pi / 2;
}

// The chord of one wedge at the outer radius: the horizontal travel that
// spans the whole volume range. n = 0 counts as one wedge.
inline double wedgeChord(double radius, int n) {
    if (n < 1) n = 1;
    return 2 * radius * std::abs(std::sin(std::numbers::pi / n));
}

}  // namespace orbel::dial
