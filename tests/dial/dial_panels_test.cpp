#include <gtest/gtest.h>

#include <QAccessible>
#include <QDir>
#include <QScreen>
#include <QTest>
#include <cmath>
#include <chrono>
#include <numbers>
#include <tuple>

#include "dial/dial_panels.h"
#include "dial/radial_menu_controller.h"
#include "dial_fixture.h"
#include "fakes/fake_global_hotkeys.h"
#include "fakes/fake_permissions.h"
#include "fakes/fake_pointer_watch.h"
#include "platform/capture_guard.h"
#include "support/offscreen_screens.h"

// The real panels on the offscreen platform: where they go, what they
// catch, that they are kept between showings, and that a capture waits for
// them to leave the screen. Several screens and high-density screens run in
// a child process started with an offscreen screen configuration.

using namespace orbel;
using orbel::testing::offscreenMode;
using orbel::testing::runWithScreens;

namespace {

class DialPanelsTest : public orbel::testing::DialConfigFixture {
protected:
    DialPanelsTest() : DialConfigFixture("Slot ") {
        dial.loadSlots(manager.config().rootGroup.slots);
        panels.setController(&dial);
    }
    ~DialPanelsTest() override { dial.hide(); }
    QPointF screenCentre(int i) const { return QRectF(QGuiApplication::screens().at(i)->geometry()).center(); }
    // Shows the dial with the pointer `r` points from the centre of screen i
    // in the direction of wedge w of six.
    void showAt(int screen, int w, double r = 150) {
        const double a = w * std::numbers::pi / 3;
        QCursor::setPos((screenCentre(screen) + QPointF(r * std::sin(a), -r * std::cos(a))).toPoint());
        dial.show();
        QCoreApplication::processEvents();
        // The catchers follow the dial a moment later.
        (void)QTest::qWaitFor([&] { return !watch.catchers.empty(); }, 2000);
    }

    // Saves the dial's middle for a person to look at.
    static QPixmap savePanel(QWidget* overlay, const char* name) {
        const QPixmap shot = overlay->grab(QRect(overlay->rect().center() - QPoint(260, 260), QSize(520, 520)));
        QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts/dial");
        EXPECT_TRUE(shot.save(QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts/dial/%1.png").arg(name)));
        return shot;
    }
    QRect squareAbout(QPointF centre) const {
        const double side = dial::DialPanels::panelSide(200);
        return QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side).toAlignedRect();
    }

    fakes::FakePermissions permissions;
    fakes::FakePointerWatch watch;
    fakes::ReplaceShared<platform::Permissions> usePermissions{permissions};
    fakes::ReplaceShared<platform::PointerWatch> useWatch{watch};  // before the panels connect to it
    dial::DialPanels panels;
    RadialMenuController dial{&manager, panels};
};

TEST_F(DialPanelsTest, OneScreenOverlayCatcherCoversItAndPanelIsKeptBetweenShowings) {
    // Warmed up in idle time: the native window is made, nothing is shown.
    panels.warmUp();
    EXPECT_EQ(panels.overlayPanel(), nullptr);
    showAt(0, 2);
    QWidget* overlay = panels.overlayPanel();
    ASSERT_NE(overlay, nullptr);
    EXPECT_TRUE(overlay->isVisible());
    EXPECT_EQ(overlay->geometry(), squareAbout(screenCentre(0)));
    // One catcher: the overlay's own screen, beneath the panel.
    EXPECT_EQ(watch.catchers, std::vector<QRect>{QGuiApplication::primaryScreen()->geometry()});
    EXPECT_TRUE(watch.watching);
    EXPECT_EQ(panels.view().dialCentre(), QRectF(overlay->rect()).center());
    EXPECT_EQ(dial.highlightedIndex(), 2);
    EXPECT_TRUE(overlay->windowFlags() & Qt::X11BypassWindowManagerHint);
    EXPECT_TRUE(overlay->testAttribute(Qt::WA_ShowWithoutActivating));

    dial.hide();
    EXPECT_FALSE(overlay->isVisible());
    EXPECT_EQ(panels.overlayPanel(), nullptr);
    EXPECT_TRUE(watch.catchers.empty());
    EXPECT_FALSE(watch.watching);
    // Without listen access the input is not watched (the panel's own
    // events still track the pointer).
    permissions.inputMonitoring = false;
    showAt(0, 4);
    EXPECT_EQ(panels.overlayPanel(), overlay);  // the same panel, shown again
    EXPECT_EQ(dial.highlightedIndex(), 4);
    EXPECT_FALSE(watch.watching);
    savePanel(overlay, "panel-offscreen");
}

// Mapping a window over the whole screen keeps the server busy: the
// catchers go up after the dial's first frame, never before it.
TEST_F(DialPanelsTest, TheCatchersGoUpAfterTheDial) {
    QCursor::setPos(screenCentre(0).toPoint());
    dial.show();
    EXPECT_TRUE(watch.catchers.empty());
    EXPECT_FALSE(panels.catcherAreas().empty());  // where they will go is known
    EXPECT_TRUE(QTest::qWaitFor([&] { return !watch.catchers.empty(); }, 2000));
    EXPECT_EQ(watch.catchers, std::vector<QRect>{QGuiApplication::primaryScreen()->geometry()});
    // Gone before their time: they never go up.
    dial.hide();
    QCursor::setPos(screenCentre(0).toPoint());
    dial.show();
    dial.hide();
    QTest::qWait(100);
    EXPECT_TRUE(watch.catchers.empty());
}

// A click on the overlay's screen outside the panel is a ring click there.
TEST_F(DialPanelsTest, CatchersTakeClicksOutsideThePanel) {
    showAt(0, 0);
    const QPoint farRight = (screenCentre(0) + QPointF(390, 0)).toPoint();
    // Raw motion says nothing of where, and with catchers up their own
    // motion will: the server is not asked. Motion over a catcher brings its
    // position, taken as it is.
    QCursor::setPos(farRight);
    Q_EMIT watch.pointerMoved(std::nullopt);
    EXPECT_EQ(dial.highlightedIndex(), 0);
    Q_EMIT watch.pointerMoved(farRight);
    Q_EMIT watch.catcherPressed(0, 0, farRight);  // fires the app slot, which closes the dial
    QTRY_VERIFY(!dial.isVisible());
}

// While a hold is down another window may hold the pointer and no motion
// reaches us: the panels ask where it is (once a frame), and the release
// fires the wedge under the pointer, not the one the dial opened on.
// A widget's hide and move events, in order.
struct HideAndMove : QObject {
    std::vector<QEvent::Type> seen;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Hide || e->type() == QEvent::Move) seen.push_back(e->type());
        return false;
    }
};

// The warm-up shows the panel once where no screen is and hides it again; a
// dial opened meanwhile stays up.
TEST_F(DialPanelsTest, TheWarmUpShowsThePanelOnceOutOfSight) {
    panels.warmUp();
    QWidget* panel = panels.view().window();
    EXPECT_TRUE(panel->isVisible());
    for (QScreen* screen : QGuiApplication::screens()) EXPECT_FALSE(screen->geometry().intersects(panel->geometry()));
    EXPECT_EQ(panels.overlayPanel(), nullptr);
    QTRY_VERIFY(!panel->isVisible());
    EXPECT_FALSE(dial.isVisible());

    // Opened while the warm-up's showing is still up: it goes down first,
    // never moved on screen as it is (into its own capture).
    panels.warmUp();
    HideAndMove order;
    panel->installEventFilter(&order);
    showAt(0, 2);
    panel->removeEventFilter(&order);
    ASSERT_FALSE(order.seen.empty());
    EXPECT_EQ(order.seen.front(), QEvent::Hide);
    QTest::qWait(300);
    EXPECT_TRUE(dial.isVisible());
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->geometry(), squareAbout(screenCentre(0)));
}

// A hot-key press carries the pointer's position: the dial it opens opens
// there without asking. A press of long ago, or one already used, does not
// count, and the dial asks where the pointer is.
TEST_F(DialPanelsTest, TheDialOpensWhereTheHotKeyPressSaysThePointerWas) {
    fakes::FakeGlobalHotkeys hotkeys;
    fakes::ReplaceShared<platform::GlobalHotkeys> useHotkeys{hotkeys};
    const QPointF centre = screenCentre(0);
    QCursor::setPos((centre + QPointF(-150, 20)).toPoint());  // the left: wedge 4
    const auto now = std::chrono::steady_clock::now();
    hotkeys.pressPointer = {(centre + QPointF(150, 20)).toPoint(), now};  // the right: wedge 2
    dial.show();
    ASSERT_NE(panels.overlayPanel(), nullptr);
    EXPECT_EQ(panels.overlayPanel()->geometry(), squareAbout(centre));
    EXPECT_EQ(dial.highlightedIndex(), 2);
    dial.hide();
    EXPECT_EQ(panels.openingPointerPosition(), QPointF(QCursor::pos())) << "a press is used once";
    hotkeys.pressPointer = {(centre + QPointF(150, 0)).toPoint(), now - std::chrono::seconds(1)};
    EXPECT_EQ(panels.openingPointerPosition(), QPointF(QCursor::pos())) << "a press of a second ago";
}

TEST_F(DialPanelsTest, HoldFollowsThePointerWithoutEventsAndReleaseFiresTheWedgeUnderIt) {
    dial.openedViaHold = true;
    showAt(0, 3);
    ASSERT_EQ(dial.highlightedIndex(), 3);
    const double a = 5 * std::numbers::pi / 3;
    QCursor::setPos((screenCentre(0) + QPointF(150 * std::sin(a), -150 * std::cos(a))).toPoint());
    QTRY_COMPARE(dial.highlightedIndex(), 5);
    // Moved again and released at once: the release looks for itself.
    QCursor::setPos((screenCentre(0) + QPointF(0, -150)).toPoint());
    dial.holdRelease();  // wedge 0 is an app slot: fired, and the dial closes
    EXPECT_FALSE(dial.isVisible());
    EXPECT_EQ(workspace.calls, std::vector<std::string>{"launch Slot 0"});
}

TEST_F(DialPanelsTest, CaptureWaitsUntilTheDialIsOffTheScreen) {
    auto& guard = platform::CaptureGuard::shared();
    showAt(0, 1);
    bool grabbed = false, dialOnScreenAtGrab = true;
    guard.whenClear([&] {
        grabbed = true;
        dialOnScreenAtGrab = panels.overlayPanel() != nullptr;
    });
    QCoreApplication::processEvents();
    EXPECT_FALSE(grabbed);
    dial.hide();
    EXPECT_FALSE(grabbed);  // not before the screen has settled
    QTRY_VERIFY(grabbed);
    EXPECT_FALSE(dialOnScreenAtGrab);
    EXPECT_TRUE(guard.isClear());
}

// Child-process cases: the screens come from the offscreen configuration.
TEST_F(DialPanelsTest, ChildOverlayOnThePointersScreen) {
    const QString mode = offscreenMode();
    if (mode.isEmpty()) GTEST_SKIP() << "runs in a child process";
    const auto screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), mode == "three" ? 3 : 2);
    const int middle = 1;
    showAt(middle, 3);
    QWidget* overlay = panels.overlayPanel();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(QPointF(overlay->pos()) + panels.view().dialCentre(), QRectF(screens[middle]->geometry()).center());
    EXPECT_EQ(dial.highlightedIndex(), 3);
    // Catchers: the overlay's screen, then the others, in device pixels:
    // the screens' own, where Qt keeps each origin unscaled.
    const auto device = [](const QScreen* s) {
        return QRect(s->geometry().topLeft(), s->geometry().size() * s->devicePixelRatio());
    };
    std::vector<QRect> expected{device(screens[middle])};
    for (int i = 0; i < screens.size(); ++i)
        if (i != middle) expected.push_back(device(screens[i]));
    EXPECT_EQ(watch.catchers, expected);
    EXPECT_EQ(panels.catcherAreas().size(), expected.size());
    if (mode == "hidpi") {
        EXPECT_EQ(expected, (std::vector<QRect>{{1440, 0, 2560, 1600}, {0, 0, 2880, 1800}}));
        EXPECT_EQ(overlay->devicePixelRatioF(), 2.0);
        EXPECT_EQ(savePanel(overlay, "panel-offscreen-dpr2").devicePixelRatio(), 2.0);
    }
}

// Two 1920x1080 monitors at a ratio of 2, side by side: the pointer on the
// right one's last column or row (half a point short of its edge) opens the
// dial there, lit from that screen's centre.
TEST_F(DialPanelsTest, ChildOverlayOnTheScreenOfTheLastDevicePixel) {
    if (offscreenMode() != "edge") GTEST_SKIP() << "runs in a child process";
    ASSERT_EQ(QGuiApplication::screens().size(), 2);
    const QPointF rightCentre(1920 + 480, 270);
    // Lit from the right screen's centre: wedge 1 up right, wedge 3 straight down
    // (from the left screen's centre the second would be wedge 2).
    // Qt's own answer is rounded to whole points: (2880, 50) and (2410, 540),
    // past the right screen's edge.
    for (const auto& [device, rounded, wedge] :
         {std::tuple{QPoint(3839, 100), QPoint(2880, 50), 1}, std::tuple{QPoint(2900, 1079), QPoint(2410, 540), 3}}) {
        watch.device = device;
        QCursor::setPos(rounded);
        dial.show();
        QWidget* overlay = panels.overlayPanel();
        ASSERT_NE(overlay, nullptr);
        EXPECT_EQ(QPointF(overlay->pos()) + panels.view().dialCentre(), rightCentre) << device.x() << "," << device.y();
        EXPECT_EQ(dial.highlightedIndex(), wedge) << device.x() << "," << device.y();
        dial.hide();
    }
}

void runChild(const char* mode, const QString& screensJson,
              const char* test = "DialPanelsTest.ChildOverlayOnThePointersScreen") {
    runWithScreens(test, mode, screensJson);
}

TEST(DialPanelsScreens, ThreeScreensOverlayOnTheMiddleAndTwoCatchers) {
    runChild("three", R"({"screens": [
        {"name": "left", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "dpr": 1},
        {"name": "middle", "x": 1280, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "dpr": 1},
        {"name": "right", "x": 3200, "y": 0, "width": 1600, "height": 900, "logicalDpi": 96, "dpr": 1}]})");
}

TEST(DialPanelsScreens, HighDensityScreensCentreTheDialOnThePointersScreen) {
    runChild("hidpi", R"({"screens": [
        {"name": "left", "x": 0, "y": 0, "width": 1440, "height": 900, "logicalDpi": 96, "dpr": 2},
        {"name": "right", "x": 1440, "y": 0, "width": 1280, "height": 800, "logicalDpi": 96, "dpr": 2}]})");
}

TEST(DialPanelsScreens, TheLastDevicePixelOfAHighDensityScreenIsOnThatScreen) {
    runChild("edge", R"({"screens": [
        {"name": "left", "x": 0, "y": 0, "width": 960, "height": 540, "logicalDpi": 96, "dpr": 2},
        {"name": "right", "x": 1920, "y": 0, "width": 960, "height": 540, "logicalDpi": 96, "dpr": 2}]})",
             "DialPanelsTest.ChildOverlayOnTheScreenOfTheLastDevicePixel");
}

TEST_F(DialPanelsTest, AssistiveTechnologiesReadTheDialAndItsWedges) {
    showAt(0, 1);
    QAccessibleInterface* dialIface = QAccessible::queryAccessibleInterface(&panels.view());
    ASSERT_NE(dialIface, nullptr);
    EXPECT_EQ(dialIface->text(QAccessible::Name), "Orbel radial menu");
    EXPECT_EQ(dialIface->text(QAccessible::Value), "6 slots, Slot 1 highlighted");
    ASSERT_EQ(dialIface->childCount(), 6);
    QAccessibleInterface* wedge = dialIface->child(1);
    ASSERT_NE(wedge, nullptr);
    EXPECT_EQ(wedge->role(), QAccessible::Button);
    EXPECT_EQ(wedge->text(QAccessible::Name), "Slot 1");
    EXPECT_EQ(wedge->text(QAccessible::Description), "Activates Slot 1");
    EXPECT_TRUE(wedge->state().selected);
    EXPECT_FALSE(dialIface->child(2)->state().selected);
    EXPECT_EQ(dialIface->indexOfChild(wedge), 1);
}

}  // namespace
