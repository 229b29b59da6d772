// X servers set up unlike the shared test desktop, each started by the test
// that needs it; the checks run in a copy of this program connected to it.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/event_poster.h"
#include "platform/linux/x11_session.h"
#include "platform/screen_capture.h"
#include "system_helpers.h"

namespace orbel {
namespace {

using systemtest::ExtraXServer;

// On the server without MIT-SHM: the dial's picture of the screen comes
// through plain requests, and the connection every service shares lives on.
TEST(XSetupsOnExtraServer, CapturesWithoutSharedMemoryAndKeepsTheConnection) {
    ORBEL_REQUIRE_EXTRA_SERVER();
    auto* x = platform::x11::Session::shared();
    ASSERT_TRUE(x);
    ASSERT_FALSE(x->hasExtension("MIT-SHM"));
    for (int i = 0; i < 2; ++i) {
        const QImage picture = platform::ScreenCapture::shared().capture(QRect(10, 10, 200, 120), 1.0);
        EXPECT_EQ(picture.size(), QSize(200, 120));
    }
    EXPECT_EQ(xcb_connection_has_error(x->connection()), 0);
    EXPECT_NE(x->atom("ORBEL_STILL_TALKING"), XCB_ATOM_NONE);
    EXPECT_TRUE(platform::EventPoster::shared().postChord(53, 0));  // Escape
}

TEST(XSetups, WithoutMitShm) {
    ORBEL_REQUIRE_DISPLAY();
    ExtraXServer server({"-screen", "0", "1280x800x24", "-extension", "MIT-SHM"});
    ASSERT_TRUE(server.ready());
    QString output;
    EXPECT_EQ(server.runTestHere("XSetupsOnExtraServer.CapturesWithoutSharedMemoryAndKeepsTheConnection", {}, &output), 0)
        << output.toStdString();
}

// 3840x1080 split into two monitors, each at a device pixel ratio of 2.
std::unique_ptr<ExtraXServer> splitServer() {
    auto server = std::make_unique<ExtraXServer>(QStringList{"-screen", "0", "3840x1080x24", "+extension", "RANDR"});
    if (server->ready()) {
        // The left one takes over the server's own monitor (its output "screen").
        EXPECT_EQ(server->runHere("xrandr", {"--setmonitor", "LEFT", "1920/508x1080/286+0+0", "screen"}), 0);
        EXPECT_EQ(server->runHere("xrandr", {"--setmonitor", "RIGHT", "1920/508x1080/286+1920+0", "none"}), 0);
    }
    return server;
}

QProcessEnvironment atRatioTwo() {
    QProcessEnvironment env;
    env.insert("QT_SCALE_FACTOR", "2");
    return env;
}

// A dial on the right monitor is backed by that monitor's pixels.
TEST(XSetupsOnExtraServer, CapturesTheRightMonitorAtRatioTwo) {
    ORBEL_REQUIRE_EXTRA_SERVER();
    const auto screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2);
    ASSERT_EQ(screens[1]->geometry(), QRect(1920, 0, 960, 540));
    QWidget right;
    right.setWindowFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    right.setAutoFillBackground(true);
    right.setPalette(QPalette(QColor(30, 140, 90)));
    right.setGeometry(screens[1]->geometry());
    right.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&right));
    systemtest::spin(300);
    const QImage picture = platform::ScreenCapture::shared().capture(QRect(2200, 100, 300, 300), 2.0);
    ASSERT_EQ(picture.size(), QSize(600, 600));
    QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts/system");
    picture.save(ORBEL_BINARY_DIR "/test-artifacts/system/capture-right-monitor-dpr2.png");
    EXPECT_EQ(picture.pixelColor(300, 300), QColor(30, 140, 90));
    EXPECT_EQ(picture.pixelColor(5, 595), QColor(30, 140, 90));
}

TEST(XSetups, HighDensityMonitorsCaptureThroughTheirOwnGeometry) {
    ORBEL_REQUIRE_DISPLAY();
    const auto server = splitServer();
    ASSERT_TRUE(server->ready());
    QString output;
    EXPECT_EQ(server->runTestHere("XSetupsOnExtraServer.CapturesTheRightMonitorAtRatioTwo", atRatioTwo(), &output), 0)
        << output.toStdString();
}

// A picture of the screen is the shared memory the server wrote it into: a
// picture still held keeps what it showed while later ones are taken, and
// the memory of one let go serves the next.
TEST(XSetups, AHeldCaptureKeepsItsPixelsAndOneLetGoLendsItsMemory) {
    ORBEL_REQUIRE_DISPLAY();
    QWidget patch;
    patch.setWindowFlags(Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint);
    patch.setGeometry(40, 40, 120, 80);
    auto paint = [&](const QColor& colour) {
        patch.setStyleSheet(QStringLiteral("background: %1").arg(colour.name()));
        patch.show();
        patch.repaint();
        platform::x11::Session::shared()->sync();
        systemtest::spin(200);
    };
    auto& capture = platform::ScreenCapture::shared();
    const QRect area(60, 60, 40, 30);
    paint(QColor(200, 30, 40));
    const QImage first = capture.capture(area, 1.0);
    ASSERT_EQ(first.size(), area.size());
    ASSERT_EQ(first.pixel(5, 5), qRgb(200, 30, 40));
    paint(QColor(20, 160, 60));
    QImage second = capture.capture(area, 1.0);
    EXPECT_EQ(second.pixel(5, 5), qRgb(20, 160, 60));
    EXPECT_EQ(first.pixel(5, 5), qRgb(200, 30, 40)) << "a later capture wrote into a picture still held";
    EXPECT_EQ(qAlpha(second.pixel(39, 29)), 255);
    const uchar* memory = second.constBits();
    second = QImage();
    const QImage third = capture.capture(area, 1.0);
    EXPECT_EQ(third.constBits(), memory);
    EXPECT_EQ(third.pixel(5, 5), qRgb(20, 160, 60));
}

// The real program with its first dial on the left monitor: a click on the
// right one lands on a click catcher and closes the dial.
TEST(XSetups, HighDensityMonitorsCatchClicksOnTheOtherMonitor) {
    ORBEL_REQUIRE_DISPLAY();
    const QString orbel = QStringLiteral(ORBEL_BINARY_DIR "/src/orbel");
    if (!QFile::exists(orbel)) GTEST_SKIP() << "orbel is not built";
    const auto split = splitServer();
    ExtraXServer& server = *split;
    ASSERT_TRUE(server.ready());
    server.runHere("xdotool", {"mousemove", "900", "500"});
    QTemporaryDir home;
    systemtest::writeFile(home.path() + "/orbel/config.json", R"({"version":1,"hotkey":"ctrl+opt+o","showInTray":false})");
    QProcess program;
    QString log;
    QObject::connect(&program, &QProcess::readyReadStandardError, [&] { log += program.readAllStandardError(); });
    auto env = server.environment();
    env.insert("QT_SCALE_FACTOR", "2");
    env.insert("XDG_CONFIG_HOME", home.path());
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");  // the run's own kept
    env.insert("QT_LOGGING_RULES", "orbel.signpost.info=true");  // the dial's signposts are off by default
    program.setProcessEnvironment(env);
    program.start(orbel, {});
    ASSERT_TRUE(systemtest::spinUntil([&] { return log.contains("ShowMenuVisible"); }, 20000)) << log.toStdString();
    systemtest::spin(500);
    server.runHere("xdotool", {"mousemove", "2900", "500", "click", "1"});
    EXPECT_TRUE(systemtest::spinUntil([&] { return log.contains("HideMenuComplete"); }, 5000)) << log.toStdString();
    program.terminate();
    EXPECT_TRUE(program.waitForFinished(10000));
}

}  // namespace
}  // namespace orbel
