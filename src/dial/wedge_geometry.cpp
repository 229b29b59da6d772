#include "dial/wedge_geometry.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace orbel::dial {
namespace {

constexpr double kPi = std::numbers::pi;

std::string tr(const char* text) { return QCoreApplication::translate("RadialMenu", text).toStdString(); }

QPointF polar(QPointF centre, double radius, double angle) {
    return {centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle)};
}

QPointF unit(double angle) { return {std::cos(angle), std::sin(angle)}; }

double length(QPointF v) { return std::hypot(v.x(), v.y()); }

// Qt measures arc angles in degrees, counter-clockwise on screen; ours are
// radians, clockwise on screen.
void appendArc(QPainterPath& path, QPointF centre, double radius, double from, double to) {
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    path.arcTo(box, -from * 180.0 / kPi, -(to - from) * 180.0 / kPi);
}

}  // namespace

void appendTangentArc(QPainterPath& path, QPointF corner, QPointF towards, double radius) {
    const QPointF from = path.currentPosition();
    const QPointF a = from - corner, b = towards - corner;
    const double la = length(a), lb = length(b);
    if (!(radius > 0) || la < 1e-9 || lb < 1e-9) {
        path.lineTo(corner);
        return;
    }
    const QPointF v1 = a / la, v2 = b / lb;
    const double cosTheta = std::clamp(v1.x() * v2.x() + v1.y() * v2.y(), -1.0, 1.0);
    const double theta = std::acos(cosTheta);  // angle between the two legs
    if (theta < 1e-6 || kPi - theta < 1e-6) {
        path.lineTo(corner);
        return;
    }
    // Corner to each tangent point. When the current point lies inside the
    // first tangent point the arc starts at the current point instead: a
    // line back to the tangent point would leave a spike in the outline.
    const double d = std::min(radius / std::tan(theta / 2), la);
    const QPointF t1 = corner + v1 * d, t2 = corner + v2 * d;
    // One cubic for the arc: its sweep, pi - theta, is below a half turn.
    const double handle = 4.0 / 3.0 * std::tan((kPi - theta) / 4) * radius;
    path.lineTo(t1);
    path.cubicTo(t1 - v1 * handle, t2 - v2 * handle, t2);
}

QPainterPath WedgeShape::path(QPointF centre) const {
    const double ro = outerRadius, ri = innerRadius, c = cornerRadius, g = gapOffset;
    const double a0 = startAngle, a1 = endAngle;
    const double ao = std::asin(std::clamp(g / ro, 0.0, 0.999));
    const double ai = std::asin(std::clamp(g / ri, 0.0, 0.999));
    const QPointF u0 = unit(a0), u1 = unit(a1);
    const QPointF os = polar(centre, ro, a0 + ao), oe = polar(centre, ro, a1 - ao);
    const QPointF ie = polar(centre, ri, a1 - ai), is = polar(centre, ri, a0 + ai);
    const QPointF start = polar(centre, ro, a0 + ao + c / ro);

    QPainterPath p;
    p.moveTo(start);
    appendArc(p, centre, ro, a0 + ao + c / ro, a1 - ao - c / ro);
    appendTangentArc(p, oe, oe - c * u1, c);
    p.lineTo(ie + c * u1);
    appendTangentArc(p, ie, polar(centre, ri, a1 - ai - c / ri), c);
    appendArc(p, centre, ri, a1 - ai - c / ri, a0 + ai + c / ri);
    appendTangentArc(p, is, is + c * u0, c);
    p.lineTo(os - c * u0);
    appendTangentArc(p, os, start, c);
    p.closeSubpath();
    return p;
}

double wedgeGapOffset(double innerRadius, double outerRadius, int count) {
    if (count < 1) count = 1;
    const double g = std::min({0.7 * innerRadius * std::sin(kPi / count), 0.85 * innerRadius,
                               0.032 * outerRadius * 0.5});
    return std::max(0.0, g);
}

WedgeShape wedgeShape(int index, int count, double innerRadius, double outerRadius) {
    const double slice = 2 * kPi / std::max(count, 1);
    const double mid = wedgeCentreAngle(index, std::max(count, 1));
    return {mid - slice / 2, mid + slice / 2, innerRadius, outerRadius, DialMetrics::kCornerRadius,
            wedgeGapOffset(innerRadius, outerRadius, count)};
}

QPainterPath annulusPath(QPointF centre, double innerRadius, double outerRadius) {
    QPainterPath p;
    p.setFillRule(Qt::OddEvenFill);
    p.addEllipse(centre, outerRadius, outerRadius);
    p.addEllipse(centre, innerRadius, innerRadius);
    return p;
}

QPainterPath slotPath(QPointF centre, int index, int count, double innerRadius, double outerRadius) {
    if (count <= 1) return annulusPath(centre, innerRadius, outerRadius);
    QPainterPath p = wedgeShape(index, count, innerRadius, outerRadius).path(centre);
    p.setFillRule(Qt::OddEvenFill);
    return p;
}

QPointF pointOnWedgeAxis(QPointF centre, int index, int count, double radius) {
    return polar(centre, radius, count <= 1 ? -kPi / 2 : wedgeCentreAngle(index, count));
}

double effectiveFillStrength(double strength) {
    if (std::isnan(strength)) return 1.5;
    return std::clamp(strength, 0.5, 1.5);
}

WedgeStroke wedgeStroke(double strength) {
    if (!(strength > 0.001)) return {};
    const double k = std::min(strength, 1.5);
    return {true, std::min(0.45 * k, 0.85), std::clamp(0.6 * k + 0.2, 0.4, 1.8)};
}

VolumeRegions volumeRegions(QPointF centre, int count, double outerRadius, double level) {
    const double chord = wedgeChord(outerRadius, count >= 2 ? count : 1);
    const double half = chord / 2;
    const double lvl = std::isnan(level) ? 0.0 : std::clamp(level, 0.0, 1.0);
    VolumeRegions r;
    r.chord = chord;
    r.levelWidth = std::max(0.0, lvl * chord);
    r.restWidth = std::max(0.0, chord - r.levelWidth);
    const double side = 2 * outerRadius + 2 * DialMetrics::kWedgeFrameMargin;
    const double top = centre.y() - side / 2, left = centre.x() - half;
    r.levelRect = QRectF(left, top, r.levelWidth, side);
    r.restRect = QRectF(left + r.levelWidth, top, r.restWidth, side);
    return r;
}

std::string_view volumeSymbolName(double level, bool muted) {
    if (muted || level <= 0.001) return "speaker.slash.fill";
    if (level < 0.34) return "speaker.wave.1.fill";
    if (level < 0.67) return "speaker.wave.2.fill";
    return "speaker.wave.3.fill";
}

long long volumePercent(double level) {
    const double p = std::round(level * 100.0);  // halves away from zero
    if (!std::isfinite(p)) return 0;
    return static_cast<long long>(std::clamp(p, -1e15, 1e15));
}

std::string volumeLabelText(double level, bool muted) {
    if (muted) return tr("Muted");
    const double lvl = std::isnan(level) ? 0.0 : std::clamp(level, 0.0, 1.0);
    return std::to_string(volumePercent(lvl)) + "%";
}

std::string dialAccessibilityLabel() { return tr("Orbel radial menu"); }

std::string dialAccessibilityValue(const std::vector<std::string>& titles, int highlightedIndex) {
    const int n = static_cast<int>(titles.size());
    std::string value = n == 1 ? tr("1 slot") : std::to_string(n) + tr(" slots");
    if (highlightedIndex >= 0 && highlightedIndex < n)
        value += ", " + titles[static_cast<std::size_t>(highlightedIndex)] + tr(" highlighted");
    return value;
}

std::string wedgeAccessibilityHint(const std::string& title) { return tr("Activates ") + title; }

std::string volumeAccessibilityLabel() { return tr("Volume"); }

std::string volumeAccessibilityValue(double level, bool muted) {
    if (muted) return tr("Muted");
    return std::to_string(volumePercent(level)) + tr(" percent");
}

std::string volumeAccessibilityHint() { return tr("Drag left or right to change volume; click to toggle mute"); }

}  // namespace orbel::dial
