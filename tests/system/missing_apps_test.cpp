// The default dial with the real orbel on a desktop that has a browser and
// nothing else: Safari's slot starts the desktop's browser, Messages (which
// has no counterpart here) says it is not installed instead of closing
// without a word. Entries that are a pipe or a device freeze neither the
// dial nor quitting.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <numbers>
#include <sys/stat.h>

#include "model/app_config.h"
#include "orbel_process.h"
#include "system_helpers.h"

namespace orbel {
namespace {

using systemtest::spin;
using systemtest::spinUntil;
using systemtest::visibleDialogs;
using systemtest::windowTitled;
using systemtest::xdotool;

// The stock dial (its six root slots), opened with Ctrl+Alt+O: a file
// without "menu" would be an empty dial.
QByteArray stockDialConfig() {
    AppConfig c = AppConfig::defaultConfig();
    c.activation = ActivationMode::tap(
        HoldBinding::keyCombination(KeyCombination{31, modifier::kControl | modifier::kOption, std::nullopt}));
    return QByteArray::fromStdString(c.encodeDocument());
}

// Saves the screen as test-artifacts/system/<name>.png.
void saveScreen(const char* name) {
    QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts/system");
    EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).save(
        QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts/system/%1.png").arg(QLatin1String(name))));
}

// Opens the dial at the middle of the screen, points at wedge `w` of six
// until the dial highlights it (saving the screen then when `shot` names
// one), and clicks.
void fireWedge(systemtest::Orbel& orbel, int w, const char* shot = nullptr) {
    const int shown = orbel.count("ShowMenuVisible");
    xdotool({"mousemove", "960", "540"});
    xdotool({"key", "ctrl+alt+o"});
    ASSERT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") > shown; })) << orbel.log().toStdString();
    // A pointer moved before the dial's windows are up on the server sends
    // them no motion: move again until the dial has seen it.
    const QString hovered = QStringLiteral("HoverUpdated slot=%1").arg(w);
    const int from = int(orbel.log().size());
    const double a = w * std::numbers::pi / 3;
    for (int attempt = 0; attempt < 40 && orbel.log().indexOf(hovered, from) < 0; ++attempt) {
        const double r = 120 + attempt % 2 * 10;
        xdotool({"mousemove", QString::number(int(960 + r * std::sin(a))), QString::number(int(540 - r * std::cos(a)))});
        spinUntil([&] { return orbel.log().indexOf(hovered, from) >= 0; }, 250);
    }
    ASSERT_GE(orbel.log().indexOf(hovered, from), 0) << orbel.log().toStdString();
    if (shot) {
        spin(300);
        saveScreen(shot);
    }
    xdotool({"click", "1"});
}

TEST(MissingApplications, TheBrowserStandsInAndMessagesSaysItIsNotInstalled) {
    ORBEL_REQUIRE_DISPLAY();
    systemtest::XdgFixture xdg;
    systemtest::writeFile(xdg.root() + "/data/applications/test-browser.desktop",
                          "[Desktop Entry]\nType=Application\nName=Test browser\nMimeType=x-scheme-handler/https;\n"
                          "Exec=" ORBEL_TEST_PROGRAM_DIR "/orbel_test_window Browser --detached\n");
    systemtest::Orbel orbel(systemtest::Orbel::Deferred{});
    orbel.write("config.json", stockDialConfig());
    orbel.startWith({"--login-item"});  // as the session starts it: no first dial
    ASSERT_TRUE(orbel.waitForLog("step first dial")) << orbel.log().toStdString();
    const QStringList before = visibleDialogs();

    fireWedge(orbel, 0);  // Safari: the desktop's browser
    EXPECT_TRUE(spinUntil([] { return windowTitled("Browser").has_value(); }, 10000)) << orbel.log().toStdString();
    spin(500);
    EXPECT_EQ(visibleDialogs(), before);
    xdotool({"search", "--name", "^Browser$", "windowclose"});
    spin(1000);

    fireWedge(orbel, 1, "missing-app-dimmed-wedge");  // Messages
    EXPECT_TRUE(spinUntil([&] { return visibleDialogs().size() == before.size() + 1; })) << orbel.log().toStdString();
    spin(300);
    saveScreen("missing-app-alert");
    EXPECT_FALSE(windowTitled("Messages").has_value());
    EXPECT_TRUE(orbel.waitForLog("HideMenuComplete", orbel.log().lastIndexOf("ShowMenuVisible")));
}

// Opened as a reader opens a file, the pipe waits for a writer forever and
// the device never ends. "Within a second" only tells a freeze apart.
TEST(MissingApplications, AnEntryThatIsAPipeOrADeviceFreezesNeitherTheDialNorQuitting) {
    ORBEL_REQUIRE_DISPLAY();
    systemtest::XdgFixture xdg;
    const QString fifo = xdg.root() + "/data/applications/pipe";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(fifo, xdg.root() + "/data/applications/x.desktop"));
    ASSERT_TRUE(QFile::link("/dev/zero", xdg.root() + "/data/applications/zero.desktop"));
    systemtest::Orbel orbel(systemtest::Orbel::Deferred{});
    orbel.write("config.json", stockDialConfig());
    orbel.startWith({"--login-item"});
    ASSERT_TRUE(orbel.waitForLog("step first dial")) << orbel.log().toStdString();
    xdotool({"mousemove", "960", "540"});
    xdotool({"key", "ctrl+alt+o"});
    EXPECT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") > 0; }, 1000)) << orbel.log().toStdString();
    saveScreen("entry-that-is-a-pipe-dial");
    EXPECT_LT(systemtest::residentMegabytes(orbel.pid()), 1000);
    EXPECT_EQ(orbel.stop(1000), 0) << orbel.log().toStdString();
}

}  // namespace
}  // namespace orbel
