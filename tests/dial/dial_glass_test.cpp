#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>

#include "dial/wedge_geometry.h"
#include "dial/dial_painter.h"
#include "dial/radial_menu_controller.h"
#include "dial/radial_menu_view.h"
#include "dial_fixture.h"
#include "fakes/fake_dial_surface.h"

// The glass of each showing is made aside while the panel is shown: what
// the first paint draws is still the glass of what lies behind this
// showing, in the look the dial has when it paints.

using namespace orbel;

namespace {

class DialGlassTest : public orbel::testing::DialConfigFixture {
protected:
    DialGlassTest() : DialConfigFixture("Slot ") {
        dial.loadSlots(manager.config().rootGroup.slots);
        view.setController(&dial);
        view.resize(520, 520);
    }
    ~DialGlassTest() override { QApplication::setPalette(original); }

    QImage desk(const QColor& colour) const {
        QImage image(view.size(), QImage::Format_RGB32);
        image.fill(colour);
        return image;
    }
    // What the view paints over `behind`, sampled on the ring under a wedge.
    QRgb paintedOver(const QImage& behind) {
        view.setBehind(behind, QRectF(QPointF(0, 0), view.size()), false);
        return sample();
    }
    QRgb sample() {
        QImage shot(view.size(), QImage::Format_ARGB32_Premultiplied);
        shot.fill(Qt::transparent);
        view.render(&shot);
        const double r = dial::DialMetrics{dial.menuRadius()}.backdropDiameter() / 2;
        return shot.pixel((view.dialCentre() + QPointF(0, r * 0.8)).toPoint());
    }
    static void useScheme(bool dark) {
        QPalette p = QApplication::palette();
        p.setColor(QPalette::Window, dark ? QColor(30, 30, 32) : QColor(236, 236, 236));
        QApplication::setPalette(p);
    }

    QPalette original = QApplication::palette();
    fakes::FakeDialSurface surface;
    RadialMenuController dial{&manager, surface};
    dial::RadialMenuView view;
};

TEST_F(DialGlassTest, TheFirstPaintShowsThisShowingsDeskInTheLookItHasThen) {
    useScheme(false);
    const QRgb overRed = paintedOver(desk(Qt::red)), overBlue = paintedOver(desk(Qt::blue));
    EXPECT_GT(qRed(overRed), qBlue(overRed));
    EXPECT_GT(qBlue(overBlue), qRed(overBlue));

    // A second desk before any paint: the glass of the first is dropped.
    view.setBehind(desk(Qt::red), QRectF(QPointF(0, 0), view.size()), false);
    EXPECT_EQ(paintedOver(desk(Qt::blue)), overBlue);

    // The scheme turns dark between the capture and the paint: the glass is
    // the dark one, as if it had been dark all along.
    view.setBehind(desk(Qt::red), QRectF(QPointF(0, 0), view.size()), false);
    useScheme(true);
    const QRgb turned = sample();
    const QRgb darkAllAlong = paintedOver(desk(Qt::red));
    EXPECT_EQ(turned, darkAllAlong);
    EXPECT_LT(qGray(darkAllAlong), qGray(overRed));
}

}  // namespace
