// The real `orbel` on an X server of its own with openbox: one monitor of
// 1920x1080, or 3840x1080 split into two such monitors, at Xft.dpi 192 (a
// device pixel ratio of 2) and at 96. The first opening after a start at
// login and the second land on the pointer's monitor with the wedge in the
// pointer's direction lit, and the dial is drawn at twice its width at 1x.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "model/app_config.h"
#include "model/json_writer.h"
#include "orbel_process.h"
#include "platform/screen_capture.h"

namespace orbel {
namespace {

using systemtest::ExtraXServer;
using systemtest::Orbel;
using systemtest::spin;
using systemtest::spinUntil;
using systemtest::xdotool;

// Six script slots, the dial on Ctrl+Alt+O unless told otherwise.
QByteArray sixSlots(const QTemporaryDir& dir,
                    ActivationMode activation = ActivationMode::tap(HoldBinding::keyCombination(
                        KeyCombination{31, modifier::kControl | modifier::kOption, std::nullopt}))) {
    AppConfig c;
    c.activation = std::move(activation);
    c.rootGroup.slots.clear();
    for (int i = 0; i < 6; ++i)
        c.rootGroup.slots.push_back(SlotConfig::make(
            SlotType::script({ScriptLanguage::shell, "true '" + dir.filePath(QString::number(i)).toStdString() + "'"}),
            "Slot " + std::to_string(i)));
    return QByteArray::fromStdString(json::write(c.toJson()));
}

// The dial's width along the row through `centre` (device pixels): the run
// of lit pixels about it, over the black root window.
int litWidth(const QImage& shot, QPoint centre) {
    auto lit = [&](int x) { return qGray(shot.pixel(x, centre.y())) > 12; };
    int left = centre.x(), right = centre.x();
    while (left > 0 && lit(left - 1)) --left;
    while (right < shot.width() - 1 && lit(right + 1)) ++right;
    return lit(centre.x()) ? right - left + 1 : 0;
}

// Runs on the extra server (the parent test starts it), connected at a device
// pixel ratio of 1 itself so that its coordinates are the server's pixels;
// orbel gets the desktop's own scaling from Xft.dpi.
TEST(DialScalesOnExtraServer, TwoOpeningsOnThePointersMonitorWithItsWedgeLit) {
    ORBEL_REQUIRE_EXTRA_SERVER();
    const QString scale = qEnvironmentVariable("ORBEL_TEST_SCALE");
    const bool split = qEnvironmentVariable("ORBEL_TEST_MONITORS") == "2";
    QTemporaryDir dir;
    Orbel orbel(Orbel::Deferred{});
    orbel.setEnvironment("QT_ENABLE_HIGHDPI_SCALING", "1");
    orbel.write("config.json", sixSlots(dir));
    orbel.startWith({"--login-item"});
    ASSERT_TRUE(orbel.waitForLog("[orbel-launch] step first dial")) << orbel.log().toStdString();
    spin(300);

    // The pointer's monitor: the right one of two, or the only one.
    const QPoint centre = split ? QPoint(2880, 540) : QPoint(960, 540);
    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE(opening);
        const int from = int(orbel.log().size());
        xdotool({"mousemove", QString::number(centre.x()), "240"});  // straight above the centre
        xdotool({"key", "ctrl+alt+o"});
        ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible", from)) << orbel.log().mid(from).toStdString();
        // The highlight the opening lit, before any motion.
        const QString opened = orbel.log().mid(from, orbel.log().indexOf("ShowMenuVisible", from) - from);
        EXPECT_TRUE(opened.contains("HoverUpdated slot=0")) << opened.toStdString();
        EXPECT_FALSE(opened.contains(QRegularExpression("HoverUpdated slot=[1-5]"))) << opened.toStdString();
        spin(400);
        const QImage shot = platform::ScreenCapture::shared().capture(QRect(0, 0, split ? 3840 : 1920, 1080), 1);
        ASSERT_EQ(shot.size(), QSize(split ? 3840 : 1920, 1080));
        QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts/system");
        shot.save(QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts/system/dial-%1-monitors-%2x-opening-%3.png")
                      .arg(split ? 2 : 1)
                      .arg(scale)
                      .arg(opening));
        if (split) {
            EXPECT_EQ(litWidth(shot, QPoint(960, 540)), 0) << "the dial is on the left monitor";
        }
        const int width = litWidth(shot, centre);
        EXPECT_GT(width, 0) << "no dial on the pointer's monitor";
        std::printf("dial width: %d\n", width);
        xdotool({"key", "Escape"});
        ASSERT_TRUE(spinUntil([&] { return orbel.log().indexOf("HideMenuComplete", from) >= 0; }));
        spin(200);
    }
}

// The dial's width (device pixels) at each opening of the test above, run
// on a server of one or two monitors at this Xft.dpi.
// An extra server of one 1920x1080 monitor, or two side by side, at this
// Xft.dpi, with openbox; nothing when it did not start.
std::unique_ptr<ExtraXServer> serverOf(int monitors, int dpi) {
    auto server = std::make_unique<ExtraXServer>(
        QStringList{"-screen", "0", monitors == 2 ? "3840x1080x24" : "1920x1080x24", "+extension", "RANDR", "-br"});
    EXPECT_TRUE(server->ready());
    if (!server->ready()) return nullptr;
    if (monitors == 2) {
        EXPECT_EQ(server->runHere("xrandr", {"--setmonitor", "LEFT", "1920/508x1080/286+0+0", "screen"}), 0);
        EXPECT_EQ(server->runHere("xrandr", {"--setmonitor", "RIGHT", "1920/508x1080/286+1920+0", "none"}), 0);
    }
    EXPECT_TRUE(server->mergeResources(QStringLiteral("Xft.dpi: %1").arg(dpi)));
    EXPECT_TRUE(server->startWindowManager());
    return server;
}

std::vector<int> dialWidthsAt(int monitors, int dpi, int scale) {
    const std::unique_ptr<ExtraXServer> server = serverOf(monitors, dpi);
    if (!server) return {};
    QProcessEnvironment extra;
    extra.insert("QT_ENABLE_HIGHDPI_SCALING", "0");
    extra.insert("ORBEL_TEST_SCALE", QString::number(scale));
    extra.insert("ORBEL_TEST_MONITORS", QString::number(monitors));
    QString output;
    EXPECT_EQ(server->runTestHere("DialScalesOnExtraServer.TwoOpeningsOnThePointersMonitorWithItsWedgeLit", extra, &output),
              0)
        << output.toStdString();
    std::vector<int> widths;
    const QRegularExpression line("dial width: (\\d+)");
    for (auto it = line.globalMatch(output); it.hasNext();) widths.push_back(it.next().captured(1).toInt());
    return widths;
}

// A hold of mouse button 8 with the pointer on the right monitor's last
// column, then on its last row, and a plain second start from its corner
// (device pixels; at a ratio of 2 each is half a point short of the
// monitor's edge): the dial opens on the right monitor and lights the wedge
// seen from its centre.
TEST(DialScalesOnExtraServer, OpeningsFromTheRightMonitorsLastColumnOrRowAreThere) {
    ORBEL_REQUIRE_EXTRA_SERVER();
    QTemporaryDir dir;
    Orbel orbel(Orbel::Deferred{});
    orbel.setEnvironment("QT_ENABLE_HIGHDPI_SCALING", "1");
    orbel.write("config.json", sixSlots(dir, ActivationMode::hold(HoldBinding::mouseButton(3))));
    orbel.startWith({"--login-item"});
    ASSERT_TRUE(orbel.waitForLog("[orbel-launch] step first dial")) << orbel.log().toStdString();
    spin(300);
    // From the right monitor's centre (2880, 540): up and right is wedge 1;
    // (3000, 1079) is straight down, wedge 3 (from the left one's, wedge 2).
    for (const auto& [x, y, wedge, secondStart] :
         {std::tuple{3839, 300, 1, false}, std::tuple{3000, 1079, 3, false}, std::tuple{3839, 1079, 2, true}}) {
        SCOPED_TRACE(QStringLiteral("%1,%2").arg(x).arg(y).toStdString());
        const int from = int(orbel.log().size());
        xdotool({"mousemove", QString::number(x), QString::number(y)});
        spin(200);
        if (secondStart) {
            QProcess second;
            orbel.start(second, {});
            EXPECT_TRUE(second.waitForFinished(10000));
        } else {
            xdotool({"mousedown", "8"});
        }
        ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible", from)) << orbel.log().mid(from).toStdString();
        const QString opened = orbel.log().mid(from, orbel.log().indexOf("ShowMenuVisible", from) - from);
        EXPECT_TRUE(opened.contains(QStringLiteral("HoverUpdated slot=%1").arg(wedge))) << opened.toStdString();
        spin(400);
        const QImage shot = platform::ScreenCapture::shared().capture(QRect(0, 0, 3840, 1080), 1);
        ASSERT_FALSE(shot.isNull());
        QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts/system");
        shot.save(QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts/system/dial-opened-from-%1-%2.png").arg(x).arg(y));
        EXPECT_EQ(litWidth(shot, QPoint(960, 540)), 0) << "the dial is on the left monitor";
        EXPECT_GT(litWidth(shot, QPoint(2880, 540)), 0) << "no dial on the pointer's monitor";
        xdotool(secondStart ? QStringList{"key", "Escape"} : QStringList{"mouseup", "8"});
        ASSERT_TRUE(spinUntil([&] { return orbel.log().indexOf("HideMenuComplete", from) >= 0; }));
        spin(200);
    }
}

TEST(DialScales, AHoldOrASecondStartFromAHighDensityMonitorsLastPixelOpensOnThatMonitor) {
    ORBEL_REQUIRE_DISPLAY();
    if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
    const std::unique_ptr<ExtraXServer> server = serverOf(2, 192);
    ASSERT_TRUE(server);
    QProcessEnvironment extra;
    extra.insert("QT_ENABLE_HIGHDPI_SCALING", "0");
    QString output;
    EXPECT_EQ(server->runTestHere("DialScalesOnExtraServer.OpeningsFromTheRightMonitorsLastColumnOrRowAreThere", extra,
                                 &output),
              0)
        << output.toStdString();
}

TEST(DialScales, OneOrTwoMonitorsAtTwiceTheDensityOpenOnThePointersMonitorAtTwiceTheWidth) {
    ORBEL_REQUIRE_DISPLAY();
    if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
    for (const int monitors : {1, 2}) {
        SCOPED_TRACE(monitors);
        const std::vector<int> single = dialWidthsAt(monitors, 96, 1), twice = dialWidthsAt(monitors, 192, 2);
        ASSERT_EQ(single.size(), 2u);
        ASSERT_EQ(twice.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) EXPECT_NEAR(twice[i], 2.0 * single[i], 0.05 * 2.0 * single[i]) << i;
    }
}

}  // namespace
}  // namespace orbel
