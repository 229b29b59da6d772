#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include "support/offscreen_screens.h"
#include "ui/confirmation.h"
#include "ui/popup_placement.h"

namespace orbel::ui {
namespace {

// Real setups: a 1920x1080 screen, a 1024x600 one, a laptop at a ratio of
// two (960x540 points), a second monitor to the right with a panel on top.
const QRect kFullHd(0, 0, 1920, 1080), kSmall(0, 0, 1024, 600), kDense(0, 0, 960, 540),
    kRightMonitor(1920, 28, 1280, 572);

struct PopupCase {
    const char* name;
    QRect wanted, anchor, available, expected;
};

TEST(PopupPlacement, KeepsPopupsOnTheScreenBesideWhatOpenedThem) {
    const QRect addSlot(271, 560, 90, 28);  // a button near the bottom of the small screen
    const QRect libraryRow(100, 150, 300, 44);
    const PopupCase cases[] = {
        {"room below: as wanted", centredBelow(QRect(500, 300, 90, 28), QSize(280, 340)), QRect(500, 300, 90, 28),
         kFullHd, QRect(405, 332, 280, 340)},
        {"no room below: above, the same gap", centredBelow(addSlot, QSize(280, 340)), addSlot, kSmall,
         QRect(176, 216, 280, 340)},
        {"off the left edge: moved right", centredBelow(QRect(10, 100, 40, 20), QSize(280, 200)),
         QRect(10, 100, 40, 20), kSmall, QRect(0, 124, 280, 200)},
        {"off the right edge: moved left", centredBelow(QRect(1000, 100, 20, 20), QSize(240, 200)),
         QRect(1000, 100, 20, 20), kSmall, QRect(784, 124, 240, 200)},
        {"left of a row with no room there: right of it", QRect(libraryRow.left() - 280, 150, 280, 120), libraryRow,
         kSmall, QRect(400, 150, 280, 120)},
        {"left of a row near the bottom: level with its bottom", QRect(400, 500, 280, 160), QRect(680, 500, 300, 44),
         kSmall, QRect(400, 384, 280, 160)},
        {"room neither below nor above: the larger side, inside", centredBelow(QRect(400, 250, 90, 28), QSize(280, 400)),
         QRect(400, 250, 90, 28), kDense, QRect(305, 140, 280, 400)},
        {"taller than the screen: cut to it", QRect(100, 100, 300, 900), QRect(100, 80, 50, 20), kDense,
         QRect(100, 0, 300, 540)},
        {"second monitor under a panel: below the panel", QRect(2400, 10, 200, 100), QRect(2400, 0, 10, 10),
         kRightMonitor, QRect(2400, 28, 200, 100)},
        {"a context menu at the screen's corner: up and to the left", QRect(1019, 595, 180, 90), QRect(1019, 595, 1, 1),
         kSmall, QRect(840, 506, 180, 90)},
    };
    for (const auto& c : cases) {
        const QRect placed = keepPopupOnScreen(c.wanted, c.anchor, c.available);
        EXPECT_EQ(placed, c.expected) << c.name;
        EXPECT_TRUE(c.available.contains(placed)) << c.name;
    }
}

struct WindowCase {
    const char* name;
    QSize wanted;
    QMargins frame;
    QRect available, expected;
};

TEST(PopupPlacement, FitsTheWindowWithItsTitleBarOnTheScreen) {
    const QMargins openbox(1, 21, 1, 1);
    const WindowCase cases[] = {
        {"room enough: full size, centred", QSize(920, 640), openbox, kFullHd, QRect(500, 230, 920, 640)},
        {"a 1024x600 screen: as tall as fits", QSize(920, 640), openbox, kSmall, QRect(52, 21, 920, 578)},
        {"960x540 points: both ways", QSize(1000, 640), openbox, kDense, QRect(1, 21, 958, 518)},
        {"a panel on top: under it", QSize(920, 640), openbox, kRightMonitor, QRect(2100, 49, 920, 550)},
    };
    for (const auto& c : cases) {
        const QRect client = placeWindow(c.wanted, c.frame, c.available);
        EXPECT_EQ(client, c.expected) << c.name;
        EXPECT_TRUE(c.available.contains(client.marginsAdded(c.frame))) << c.name << ": the frame is on the screen";
    }
}

// Run in a child whose offscreen platform has a 1024x600 screen and, to its
// right, a 1920x1080 one at a ratio of two (960x540 points).
TEST(ScreenBound, ChildAWindowNeverOutgrowsTheScreenItIsOn) {
    if (testing::offscreenMode() != "two") GTEST_SKIP() << "runs in a child process";
    const auto screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2);
    // A window that asks for more than either screen has.
    QDialog window;
    window.setMinimumSize(1200, 900);
    window.resize(1300, 1000);
    window.move(0, 0);
    keepOnScreen(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // 1024 x 600 less 4 + 4 across and 32 + 4 down kept for the frame.
    EXPECT_EQ(window.maximumSize(), QSize(1016, 564));
    EXPECT_EQ(window.minimumSize(), QSize(1016, 564));
    EXPECT_EQ(window.size(), QSize(1016, 564));

    // Moved onto the other screen it takes that screen's bound: 960 x 540
    // points less the frame.
    window.move(1100, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.size() == QSize(952, 504); }))
        << window.width() << " x " << window.height();
    EXPECT_EQ(window.maximumSize(), QSize(952, 504));
    // What the window asks for itself within the bound stays its own, and
    // back on the larger screen it may grow again.
    window.setMinimumSize(400, 300);
    window.move(0, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.maximumSize() == QSize(1016, 564); }));
    EXPECT_EQ(window.minimumSize(), QSize(400, 300));
}

TEST(ScreenBound, AWindowNeverOutgrowsTheScreenItIsOn) {
    testing::runWithScreens("ScreenBound.ChildAWindowNeverOutgrowsTheScreenItIsOn", "two",
                   R"({"windowFrameMargins": false, "screens": [
        {"name": "small", "x": 0, "y": 0, "width": 1024, "height": 600, "logicalDpi": 96, "dpr": 1},
        {"name": "dense", "x": 1024, "y": 0, "width": 960, "height": 540, "logicalDpi": 96, "dpr": 2}]})");
}

// A confirmation's title bar names the application as every alert's does,
// not the executable "orbel" that Qt falls back to for an untitled window.
TEST(Confirmation, IsTitledAsEveryAlertIs) {
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("orbel"));
    QWidget parent;
    parent.show();
    QMessageBox* box = openConfirmation(&parent, QStringLiteral("confirm"), "Delete?", "Gone for good.", "Delete", {});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
    EXPECT_EQ(box->windowHandle()->title(), "Orbel");
    EXPECT_NE(box->windowHandle()->title(), "orbel");
    box->close();
    QCoreApplication::setApplicationName(name);
}

}  // namespace
}  // namespace orbel::ui
