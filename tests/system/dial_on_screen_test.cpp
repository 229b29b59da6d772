// The dial on a real X server with openbox and a compositor: xdotool moves
// the pointer and the highlight follows, a click fires the highlighted slot,
// Escape closes, and a full-screen screenshot fired from the dial shows what
// was behind the dial, not the dial.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>
#include <QPaintEvent>
#include <atomic>
#include <utility>
#include <thread>
#include <xcb/xcb.h>

#include "config/config_manager.h"
#include "dial/dial_panels.h"
#include "dial/radial_menu_controller.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/replace_shared.h"
#include "platform/linux/x11_session.h"
#include "platform/screen_capture.h"
#include "platform/screen_grabber.h"
#include "platform/workspace.h"
#include "system_helpers.h"

using namespace orbel;
using orbel::systemtest::spin;
using orbel::systemtest::spinUntil;
using orbel::systemtest::xdotool;

namespace {

const QColor kBehind(200, 30, 40);

class DialOnScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ORBEL_REQUIRE_DISPLAY();
        if (QStandardPaths::findExecutable("xcompmgr").isEmpty()) GTEST_SKIP() << "needs xcompmgr";
        compositor_.start("xcompmgr", {});
        ASSERT_TRUE(spinUntil([] { return platform::ScreenCapture::shared().compositorRunning(); }));
        // A known picture behind the dial.
        behind_.setWindowTitle("behind");
        behind_.setStyleSheet(QStringLiteral("background: %1").arg(kBehind.name()));
        behind_.setGeometry(QGuiApplication::primaryScreen()->geometry());
        behind_.show();
        ASSERT_TRUE(spinUntil([&] { return behind_.isVisible(); }));
        spin(300);
        // And on the screen where the dial opens: a test before may have left
        // something of the window manager's over it (the name of the desktop
        // it switched to shows there for a moment).
        ASSERT_TRUE(spinUntil([&] { return atCentre() == kBehind; }, 10000)) << atCentre().name().toStdString();
        marker_ = dir_.filePath("fired");
        AppConfig c;
        c.rootGroup.slots = {
            SlotConfig::make(SlotType::action(SystemAction::Kind::screenshotFull), "Screenshot"),
            SlotConfig::make(SlotType::script({ScriptLanguage::shell, "touch '" + marker_.toStdString() + "'"}), "Mark"),
            SlotConfig::make(SlotType::snippet("x"), "Snippet"), SlotConfig::make(SlotType::snippet("y"), "Other")};
        manager_.setConfig(c);
        dial_.loadSlots(c.rootGroup.slots);
        panels_.setController(&dial_);
    }
    void TearDown() override {
        dial_.hide();
        compositor_.kill();
        compositor_.waitForFinished(2000);
    }
    QPoint centre() const { return QGuiApplication::primaryScreen()->geometry().center(); }
    void pointTo(QPoint offset) {
        const QPoint p = centre() + offset;
        xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())});
    }
    // Shows the dial with the pointer at `offset` from the centre.
    void showAt(QPoint offset) {
        pointTo(offset);
        spin(100);
        dial_.show();
    }
    // The colour on the screen at the centre; invalid when it cannot be read.
    QColor atCentre() const {
        const QImage shot = platform::ScreenCapture::shared().capture(QRect(centre(), QSize(1, 1)), 1);
        return shot.isNull() ? QColor() : QColor(shot.pixel(0, 0));
    }
    bool dialPainted() {
        return spinUntil([&] {
            const QColor now = atCentre();
            return now.isValid() && now != kBehind;
        });
    }

    QTemporaryDir dir_;
    QString marker_;
    QProcess compositor_;
    QWidget behind_;
    fakes::Installed<fakes::FakeKeyValueStore, platform::KeyValueStore> defaults_;
    ConfigManager manager_{dir_.filePath("config.json").toStdString(),
                           ProfileStore(dir_.filePath("profiles").toStdString())};
    dial::DialPanels panels_;
    RadialMenuController dial_{&manager_, panels_};
};

TEST_F(DialOnScreenTest, PointerHighlightsClickFiresEscapeCloses) {
    pointTo({150, 5});  // right: wedge 1 of 4
    spin(100);
    dial_.show();
    EXPECT_EQ(dial_.highlightedIndex(), 1);
    ASSERT_TRUE(dialPainted());
    pointTo({-20, 160});  // below: wedge 2
    ASSERT_TRUE(spinUntil([&] { return dial_.highlightedIndex() == 2; }));
    pointTo({-170, -4});  // left: wedge 3
    ASSERT_TRUE(spinUntil([&] { return dial_.highlightedIndex() == 3; }));
    spin(150);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QImage shot = platform::ScreenCapture::shared().capture(screen, 1);
    QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts/dial");
    EXPECT_TRUE(shot.copy(QRect(centre() - QPoint(300, 300), QSize(600, 600)))
                    .save(ORBEL_BINARY_DIR "/test-artifacts/dial/system-dial.png"));

    pointTo({150, 5});
    ASSERT_TRUE(spinUntil([&] { return dial_.highlightedIndex() == 1; }));
    xdotool({"click", "1"});
    EXPECT_TRUE(spinUntil([&] { return QFileInfo::exists(marker_); })) << "the script slot ran";
    EXPECT_TRUE(spinUntil([&] { return !dial_.isVisible(); }));

    // A click far outside the dial's square lands on the invisible catcher
    // and still fires the highlighted slot.
    QFile::remove(marker_);
    showAt({520, 8});
    ASSERT_TRUE(dialPainted());
    EXPECT_EQ(dial_.highlightedIndex(), 1);
    xdotool({"click", "1"});
    EXPECT_TRUE(spinUntil([&] { return QFileInfo::exists(marker_); })) << "fired from the catcher";
    EXPECT_TRUE(spinUntil([&] { return !dial_.isVisible(); }));

    // Keys reach the dial while the window in front stays the active one.
    const auto active = platform::x11::Session::shared()->activeWindow();
    dial_.show();
    ASSERT_TRUE(dialPainted());
    xdotool({"key", "Right"});
    EXPECT_TRUE(spinUntil([&] { return dial_.highlightedIndex() == 2; }));
    EXPECT_EQ(platform::x11::Session::shared()->activeWindow(), active);
    xdotool({"key", "Escape"});
    EXPECT_TRUE(spinUntil([&] { return !dial_.isVisible(); }));
}

TEST_F(DialOnScreenTest, ScreenshotFiredFromTheDialDoesNotShowTheDial) {
    const QString folder = QString::fromStdString(platform::ScreenGrabber::shared().screenshotFolder());
    const auto before = QDir(folder).entryList({"*.png"}, QDir::Files);
    pointTo({3, -150});  // up: wedge 0, the screenshot
    spin(100);
    dial_.show();
    ASSERT_TRUE(dialPainted());
    ASSERT_EQ(dial_.highlightedIndex(), 0);
    xdotool({"click", "1"});
    QString written;
    ASSERT_TRUE(spinUntil(
        [&] {
            for (const QString& f : QDir(folder).entryList({"*.png"}, QDir::Files))
                if (!before.contains(f)) written = QDir(folder).filePath(f);
            return !written.isEmpty() && QImage(written).width() > 0;
        },
        10000));
    const QImage image(written);
    // Where the dial was, the picture shows what is behind it.
    for (QPoint offset : {QPoint(0, 0), QPoint(0, -132), QPoint(120, 60), QPoint(-205, 0)})
        EXPECT_EQ(QColor(image.pixel(centre() + offset)), kBehind) << offset.x() << "," << offset.y();
    QFile::remove(written);
}

// The keyboard is asked for without waiting on the answer; while another
// client holds it, the dial asks again until it gets it.
TEST_F(DialOnScreenTest, TheDialTakesTheKeyboardOnceAnotherClientLetsItGo) {
    xcb_connection_t* other = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
    auto* held = xcb_grab_keyboard_reply(
        other, xcb_grab_keyboard(other, 1, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr);
    ASSERT_TRUE(held && held->status == XCB_GRAB_STATUS_SUCCESS);
    free(held);
    showAt({150, 5});
    ASSERT_TRUE(dialPainted());
    spin(200);
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr) << "the other client holds the keyboard";
    xcb_ungrab_keyboard(other, XCB_CURRENT_TIME);
    xcb_disconnect(other);  // flushes
    ASSERT_TRUE(spinUntil([] { return QWidget::keyboardGrabber() != nullptr; }));
    xdotool({"key", "Escape"});
    EXPECT_TRUE(spinUntil([&] { return !dial_.isVisible(); }));
}

TEST_F(DialOnScreenTest, WithoutCompositorTheSquareShowsTheCapturedPicture) {
    compositor_.kill();
    compositor_.waitForFinished(2000);
    ASSERT_TRUE(spinUntil([] { return !platform::ScreenCapture::shared().compositorRunning(); }));
    spin(300);
    showAt({0, 150});
    ASSERT_TRUE(dialPainted());
    spin(150);
    const QImage shot = platform::ScreenCapture::shared().capture(
        QRect(centre() - QPoint(300, 300), QSize(600, 600)), 1);
    QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts/dial");
    EXPECT_TRUE(shot.save(ORBEL_BINARY_DIR "/test-artifacts/dial/system-dial-no-compositor.png"));
    // The square's corners show what was behind (no black), the disc the dial.
    EXPECT_EQ(QColor(shot.pixel(20, 20)), kBehind);
    EXPECT_EQ(QColor(shot.pixel(580, 580)), kBehind);
    EXPECT_NE(QColor(shot.pixel(300, 300)), kBehind);
    xdotool({"key", "Escape"});
    EXPECT_TRUE(spinUntil([&] { return !dial_.isVisible(); }));
}

// Every distinct picture a line through the screen's centre shows, read by
// another client from the moment it starts until stopped.
class FrameWatch {
public:
    explicit FrameWatch(QPoint centre) : centre_(centre) {
        thread_ = std::thread([this] {
            xcb_connection_t* c = xcb_connect(nullptr, nullptr);
            const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
            while (!stop_) {
                auto* reply = xcb_get_image_reply(
                    c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, std::int16_t(centre_.x()),
                                     std::int16_t(centre_.y() - 250), 1, 501, ~0u), nullptr);
                if (!reply) break;
                std::string line(reinterpret_cast<const char*>(xcb_get_image_data(reply)),
                                 std::size_t(xcb_get_image_data_length(reply)));
                free(reply);
                for (std::size_t i = 3; i < line.size(); i += 4) line[i] = 0;  // the padding byte
                if (frames_.empty() || frames_.back() != line) frames_.push_back(std::move(line));
            }
            xcb_disconnect(c);
        });
    }
    // The pictures seen, the first being what was there before.
    std::vector<std::string> stop() {
        stop_ = true;
        thread_.join();
        return frames_;
    }

private:
    QPoint centre_;
    std::atomic<bool> stop_{false};
    std::vector<std::string> frames_;
    std::thread thread_;
};

// What a person sees first is the painted dial: no empty square, no frame
// before the one painted, with and without a compositor.
TEST_F(DialOnScreenTest, TheFirstFrameOnTheScreenIsThePaintedDial) {
    for (const bool composited : {true, false}) {
        SCOPED_TRACE(composited ? "with a compositor" : "without a compositor");
        if (!composited) {
            compositor_.kill();
            compositor_.waitForFinished(2000);
            ASSERT_TRUE(spinUntil([] { return !platform::ScreenCapture::shared().compositorRunning(); }));
        }
        for (int opening = 0; opening < 3; ++opening) {
            pointTo({0, 150});
            spin(300);
            FrameWatch watch(centre());
            spin(50);
            dial_.show();
            ASSERT_TRUE(dialPainted());
            spin(400);
            const auto frames = watch.stop();
            ASSERT_GE(frames.size(), 2u);
            // Later frames may differ where the highlight or a label settles;
            // the first one shown must already be the dial: the line through
            // the disc changes nowhere else but there.
            const std::string& first = frames[1];
            const std::string& last = frames.back();
            std::size_t same = 0;
            for (std::size_t i = 0; i < first.size(); ++i) same += first[i] == last[i];
            EXPECT_GT(double(same) / double(first.size()), 0.97) << "opening " << opening << ": " << frames.size() - 1
                                                                  << " frames, the first unlike the painted dial";
            dial_.hide();
            ASSERT_TRUE(spinUntil([&] { return !dial_.isVisible(); }));
            spin(200);
        }
    }
}

// The paint events that reach a widget, and the areas they asked for.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    std::vector<QRect> take() { return std::exchange(rects_, {}); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) rects_.push_back(static_cast<QPaintEvent*>(event)->rect());
        return false;
    }

private:
    std::vector<QRect> rects_;
};

// An opening paints the dial once, from the layers kept since the last
// one; a pointer moving within a wedge paints nothing, and one crossing
// into the next repaints the two wedges alone.
TEST_F(DialOnScreenTest, OnePaintPerOpeningAndHoverRepaintsOnlyOnAWedgeChange) {
    // The installed applications read first: their arrival repaints an open
    // dial (its application slots' pictures), which is not what is counted.
    // Told after the dial, which asked first.
    bool known = false;
    platform::Workspace::shared().whenApplicationsKnown([&known] { known = true; });
    ASSERT_TRUE(spinUntil([&] { return known; }, 20000));
    dial::RadialMenuView& view = panels_.view();
    PaintCounter paints(&view);
    qint64 plate = 0;
    for (int opening = 0; opening < 3; ++opening) {
        showAt({150, 5});  // wedge 1
        ASSERT_TRUE(dialPainted());
        spin(300);
        const auto rects = paints.take();
        ASSERT_EQ(rects.size(), 1u) << "opening " << opening;
        EXPECT_EQ(rects[0], view.rect());
        if (opening > 0) {
            EXPECT_EQ(view.plateKey(), plate) << "the plate is painted once, not at each opening";
        }
        plate = view.plateKey();
        EXPECT_NE(plate, 0);

        for (QPoint at : {QPoint(165, 12), QPoint(140, -6), QPoint(170, 20)}) pointTo(at);
        spin(200);
        EXPECT_EQ(dial_.highlightedIndex(), 1);
        EXPECT_TRUE(paints.take().empty()) << "moves within one wedge";
        pointTo({-20, 160});  // wedge 2
        ASSERT_TRUE(spinUntil([&] { return dial_.highlightedIndex() == 2; }));
        spin(200);
        const auto lit = paints.take();
        ASSERT_FALSE(lit.empty());
        for (const QRect& r : lit) EXPECT_LT(r.width() * r.height(), view.width() * view.height() / 2);
        dial_.hide();
        ASSERT_TRUE(spinUntil([&] { return !dial_.isVisible(); }));
        spin(100);
        paints.take();
    }
}

TEST_F(DialOnScreenTest, SwitchingTheDesktopClosesTheDial) {
    showAt({0, -150});
    ASSERT_TRUE(dialPainted());
    xdotool({"set_desktop", "1"});
    EXPECT_TRUE(spinUntil([&] { return !dial_.isVisible(); }));
    xdotool({"set_desktop", "0"});
    EXPECT_TRUE(spinUntil([] { return systemtest::run("xdotool", {"get_desktop"}) == "0"; }));
}

}  // namespace
