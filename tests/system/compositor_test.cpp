// The real `orbel` on a white desktop under compositors that draw shadows
// for windows (xcompmgr -c, picom --shadow): the dial's own soft shadow is
// the only one. No square shadow of its window darkens the corners of the
// window outside the disc or the desktop along the window's edges, at the
// start's dial, a later one, and the first hot key after a start at login.
#include <QDir>
#include <QStandardPaths>
#include <QWidget>

#include "dial/dial_panels.h"
#include "dial/radial_menu_controller.h"
#include "orbel_process.h"
#include "platform/screen_capture.h"

namespace orbel {
namespace {

using systemtest::spinUntil;

class CompositorShadows : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ORBEL_REQUIRE_DISPLAY();
        if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
        if (QStandardPaths::findExecutable(GetParam()).isEmpty()) GTEST_SKIP() << "needs " << GetParam();
        desktop_.setWindowFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        desktop_.setStyleSheet("background: white");
        desktop_.setGeometry(QGuiApplication::primaryScreen()->geometry());
        desktop_.show();
        // picom without a configuration file; xrender, as Xvfb has no GL.
        const bool picom = QString(GetParam()) == "picom";
        compositor_.start(GetParam(), picom ? QStringList{"--shadow", "--backend", "xrender", "--config", "/dev/null"}
                                            : QStringList{"-c"});
        ASSERT_TRUE(spinUntil([] { return platform::ScreenCapture::shared().compositorRunning(); }));
        systemtest::xdotool({"mousemove", "960", "540"});
        const int side = int(std::ceil(dial::DialPanels::panelSide(RadialMenuController::kDefaultRadius)));
        square_ = QRect(0, 0, side, side);
        square_.moveCenter(desktop_.geometry().center());
        orbel_.write("config.json", R"({"version":1,"hotkey":"ctrl+opt+o","showInTray":false})");
    }
    void TearDown() override {
        orbel_.stop();
        compositor_.terminate();
        compositor_.waitForFinished(5000);
    }
    // Once the dial shows, the corners of its square and the desktop just
    // outside the square's edges are white.
    void expectNoSquareShadow(const QString& opening) {
        auto white = [](QColor c) { return std::min({c.red(), c.green(), c.blue()}) >= 249; };
        const QRect around = square_.adjusted(-40, -40, 40, 40);
        QImage shot;
        ASSERT_TRUE(spinUntil([&] {
            shot = platform::ScreenCapture::shared().capture(around, 1.0);
            return !shot.isNull() && !white(shot.pixelColor(shot.rect().center()));
        })) << "no dial";
        QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts/system");
        shot.save(ORBEL_BINARY_DIR "/test-artifacts/system/compositor-" + QString(GetParam()) + "-" + opening + ".png");
        const QRect r = square_.translated(-around.topLeft());
        const QPoint c = r.center();
        for (QPoint p : {r.topLeft() + QPoint(6, 6), r.topRight() + QPoint(-6, 6), r.bottomLeft() + QPoint(6, -6),
                         r.bottomRight() + QPoint(-6, -6), QPoint(c.x(), r.top() - 3), QPoint(r.right() + 3, c.y()),
                         QPoint(c.x(), r.bottom() + 3), QPoint(r.left() - 3, c.y()), r.bottomRight() + QPoint(4, 4)})
            EXPECT_TRUE(white(shot.pixelColor(p))) << opening.toStdString() << ": grey " << shot.pixelColor(p).red()
                                                   << " at " << p.x() - r.x() << "," << p.y() - r.y();
    }

    QWidget desktop_;
    QProcess compositor_;
    systemtest::Orbel orbel_{systemtest::Orbel::Deferred{}};
    QRect square_;
};

TEST_P(CompositorShadows, TheStartsDialAndALaterOneCastNone) {
    orbel_.start();
    ASSERT_TRUE(orbel_.waitForLog("ShowMenuVisible")) << orbel_.log().toStdString();
    expectNoSquareShadow("start");
    ASSERT_TRUE(orbel_.openDial("ctrl+alt+o")) << orbel_.log().toStdString();
    expectNoSquareShadow("later");
}

TEST_P(CompositorShadows, TheFirstHotKeyAfterAStartAtLoginCastsNone) {
    orbel_.startWith({"--login-item"});
    // The window the warm-up made ahead of the first hot key.
    ASSERT_TRUE(spinUntil([] { return !systemtest::run("xdotool", {"search", "--name", "^Orbel$"}).isEmpty(); }));
    ASSERT_TRUE(orbel_.openDial("ctrl+alt+o")) << orbel_.log().toStdString();
    expectNoSquareShadow("first-hot-key");
}

INSTANTIATE_TEST_SUITE_P(Compositors, CompositorShadows, ::testing::Values("xcompmgr", "picom"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace orbel
