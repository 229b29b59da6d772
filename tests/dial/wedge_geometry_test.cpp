#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "dial/wedge_geometry.h"

namespace orbel::dial {
namespace {

constexpr double kPi = std::numbers::pi;
const QPointF kC(300, 300);

double dist(QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }

// Every wedge of n = 2..6 at the defaults: the icon centre inside, the
// boundary ray in the gap between neighbours, the outline touching both
// radii and keeping 3.2 from the start ray, never past either radius.
TEST(WedgeShapeTest, InvariantsForTwoToSixSlots) {
    for (int n = 2; n <= 6; ++n) {
        EXPECT_DOUBLE_EQ(wedgeGapOffset(64, 200, n), 3.2) << n;
        for (int i = 0; i < n; ++i) {
            SCOPED_TRACE(std::to_string(n) + "/" + std::to_string(i));
            const WedgeShape w = wedgeShape(i, n, 64, 200);
            EXPECT_NEAR(w.endAngle - w.startAngle, 2 * kPi / n, 1e-12);
            const QPainterPath path = slotPath(kC, i, n, 64, 200);
            const QPointF icon = pointOnWedgeAxis(kC, i, n, 132);
            EXPECT_TRUE(path.contains(icon));
            EXPECT_NEAR(dist(icon, kC), 132, 1e-9);
            const QPointF ray(std::cos(w.startAngle), std::sin(w.startAngle));
            for (double r : {80.0, 132.0, 190.0}) EXPECT_FALSE(path.contains(kC + r * ray)) << r;
            double nearest = 1e9, farthest = 0, nearestSide = 1e9;
            for (double t = 0; t <= 1.0; t += 0.0005) {
                const QPointF v = path.pointAtPercent(t) - kC;
                nearest = std::min(nearest, std::hypot(v.x(), v.y()));
                farthest = std::max(farthest, std::hypot(v.x(), v.y()));
                nearestSide = std::min(nearestSide, std::abs(v.x() * ray.y() - v.y() * ray.x()));
            }
            EXPECT_NEAR(nearest, 64, 0.1);
            EXPECT_NEAR(farthest, 200, 0.1);
            EXPECT_NEAR(nearestSide, 3.2, 0.05);
        }
    }
    // Clockwise from straight up: wedge 2 of six points 30 degrees below the right.
    EXPECT_NEAR(pointOnWedgeAxis(kC, 2, 6, 100).x() - kC.x(), 100 * std::cos(kPi / 6), 1e-9);
    EXPECT_NEAR(pointOnWedgeAxis(kC, 2, 6, 100).y() - kC.y(), 50, 1e-9);
}

TEST(WedgeShapeTest, ExtremeGapsAndRadiiStayFinite) {
    struct Case { double ri, ro, gap; } cases[] = {{64, 200, 500}, {0.5, 1, 0.9}, {64, 200, 64}, {10, 12, 11}};
    for (const auto& c : cases) {
        WedgeShape w = wedgeShape(0, 3, c.ri, c.ro);
        w.gapOffset = c.gap;
        const QPainterPath path = w.path(kC);
        for (int k = 0; k < path.elementCount(); ++k)
            ASSERT_TRUE(std::isfinite(path.elementAt(k).x) && std::isfinite(path.elementAt(k).y)) << c.gap;
    }
    EXPECT_GE(wedgeGapOffset(-5, 200, 6), 0);
}

TEST(WedgeShapeTest, OneSlotIsAnAnnulus) {
    for (int n : {0, 1}) {
        const QPainterPath ring = slotPath(kC, 0, n, 64, 200);
        EXPECT_EQ(ring.fillRule(), Qt::OddEvenFill);
        EXPECT_TRUE(ring.contains(kC + QPointF(0, -132)));
        EXPECT_TRUE(ring.contains(kC + QPointF(132, 0)));
        EXPECT_FALSE(ring.contains(kC));
        EXPECT_FALSE(ring.contains(kC + QPointF(0, -201)));
        EXPECT_EQ(pointOnWedgeAxis(kC, 0, n, 132), kC + QPointF(0, -132));
    }
}

TEST(TangentArcTest, DegenerateCornersBecomeLines) {
    QPainterPath p;
    p.moveTo(0, 0);
    appendTangentArc(p, QPointF(10, 0), QPointF(20, 0), 5);  // collinear
    EXPECT_EQ(p.currentPosition(), QPointF(10, 0));
    appendTangentArc(p, QPointF(10, 0), QPointF(10, 10), 5);  // corner on the current point
    EXPECT_EQ(p.currentPosition(), QPointF(10, 0));
    appendTangentArc(p, QPointF(20, 0), QPointF(20, 10), 0);  // no radius
    EXPECT_EQ(p.currentPosition(), QPointF(20, 0));
    // A right angle of radius 5 ends 5 along the second leg, tangent to it.
    QPainterPath q;
    q.moveTo(0, 0);
    appendTangentArc(q, QPointF(10, 0), QPointF(10, 10), 5);
    EXPECT_NEAR(dist(q.currentPosition(), QPointF(10, 5)), 0, 1e-9);
    EXPECT_NEAR(dist(q.pointAtPercent(0.85), QPointF(5, 5)), 5, 0.01);
}

TEST(WedgeStyleTest, StrengthsAreBounded) {
    struct { double in, out; } fills[] = {{0, 0.5}, {2, 1.5}, {1, 1}, {NAN, 1.5}};
    for (auto f : fills) EXPECT_DOUBLE_EQ(effectiveFillStrength(f.in), f.out) << f.in;
    EXPECT_FALSE(wedgeStroke(0.001).visible);
    EXPECT_FALSE(wedgeStroke(NAN).visible);
    EXPECT_NEAR(wedgeStroke(3).opacity, wedgeStroke(1.5).opacity, 1e-12);  // no stronger past 1.5
}

TEST(VolumeWedgeTest, RegionsSymbolsAndTexts) {
    struct Case { int n; double level; double chord, levelWidth; } cases[] = {
        {6, 0.5, 200, 100}, {4, 1.0, 282.8427, 282.8427}, {4, 0, 282.8427, 0}, {1, 0.7, 0, 0}, {6, 1.4, 200, 200}};
    for (const auto& c : cases) {
        const VolumeRegions r = volumeRegions(kC, c.n, 200, c.level);
        EXPECT_NEAR(r.chord, c.chord, 1e-3) << c.n << " " << c.level;
        EXPECT_NEAR(r.levelWidth, c.levelWidth, 1e-3);
        EXPECT_NEAR(r.levelWidth + r.restWidth, r.chord, 1e-9);
        EXPECT_NEAR(r.levelRect.left(), kC.x() - c.chord / 2, 1e-3);  // grows from the left
        EXPECT_NEAR(r.restRect.left(), r.levelRect.right(), 1e-9);
    }
    EXPECT_EQ(volumeSymbolName(0.8, true), "speaker.slash.fill");  // muted, or silent
    EXPECT_EQ(volumeSymbolName(0.001, false), "speaker.slash.fill");
    EXPECT_EQ(volumeLabelText(0.995, false), "100%");
    EXPECT_EQ(volumeLabelText(0.004, false), "0%");
    EXPECT_EQ(volumeLabelText(0.8, true), "Muted");
    EXPECT_EQ(volumeAccessibilityValue(0.425, false), "43 percent");
    EXPECT_EQ(volumeAccessibilityValue(1.2, false), "120 percent");  // not clamped
}

// The panels' test reads the common case; these are the edges.
TEST(AccessibilityTextTest, SingularAndNoHighlight) {
    EXPECT_EQ(dialAccessibilityValue({"Mail"}, -1), "1 slot");
    EXPECT_EQ(dialAccessibilityValue({"Mail", "Web"}, 2), "2 slots");
}

}  // namespace
}  // namespace orbel::dial
