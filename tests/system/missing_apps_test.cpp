// The default dial with the real orbel on a desktop that has a browser and
// nothing else: Safari's slot starts the desktop's browser, Messages (which
// has no counterpart here) says it is not installed instead of closing
// without a word. Entries that are a pipe or a device freeze neither the
// dial nor quitting.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <cmath>
#include <numbers>
#include <sys/stat.h>

#include "model/app_config.h"
#include "platform/linux/app_index.h"
#include "slots/slot_factory.h"
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

// Points at wedge `w` of six of the dial on screen until the dial
// highlights it (saving the screen then when `shot` names one), and clicks.
void clickWedge(systemtest::Orbel& orbel, int w, const char* shot = nullptr) {
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

// Opens the dial at the middle of the screen and clicks wedge `w` of six.
void fireWedge(systemtest::Orbel& orbel, int w, const char* shot = nullptr) {
    const int shown = orbel.count("ShowMenuVisible");
    xdotool({"mousemove", "960", "540"});
    xdotool({"key", "ctrl+alt+o"});
    ASSERT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") > shown; })) << orbel.log().toStdString();
    clickWedge(orbel, w, shot);
}

TEST(MissingApplications, TheBrowserStandsInAndMessagesSaysItIsNotInstalled) {
    ORBEL_REQUIRE_DISPLAY();
    systemtest::XdgFixture xdg;
    systemtest::writeFile(xdg.root() + "/data/applications/test-browser.desktop",
                          "[Desktop Entry]\nType=Application\nName=Test browser\nMimeType=x-scheme-handler/https;\n"
                          "Exec=" + systemtest::execArgument(ORBEL_TEST_PROGRAM_DIR "/orbel_test_window") +
                              " Browser --detached\n");
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

// The default browser's and the terminal's entries name a pipe as their
// icon (one by path, one through the icon theme), beside an application
// whose icon the theme holds: the dial opens, draws what it can, opens its
// Apps group and starts the terminal, and the program still ends when asked.
TEST(MissingApplications, AnIconThatIsAPipeFreezesNeitherTheDialNorQuitting) {
    ORBEL_REQUIRE_DISPLAY();
    systemtest::XdgFixture xdg;
    const QString fifo = xdg.root() + "/data/browser-icon.png";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString theme = xdg.root() + "/data/icons/hicolor";
    systemtest::writeFile(theme + "/index.theme", "[Icon Theme]\nName=Hicolor\nDirectories=48x48/apps\n\n[48x48/apps]\nSize=48\n");
    ASSERT_TRUE(QDir().mkpath(theme + "/48x48/apps"));
    ASSERT_EQ(mkfifo(QFile::encodeName(theme + "/48x48/apps/test-terminal.png").constData(), 0600), 0);
    QImage mail(48, 48, QImage::Format_ARGB32);
    mail.fill(QColor(0xe0, 0x40, 0x30));
    ASSERT_TRUE(mail.save(theme + "/48x48/apps/test-mail.png"));
    const auto entry = [&](const char* id, const QByteArray& keys) {
        systemtest::writeFile(xdg.root() + "/data/applications/" + id + ".desktop",
                              "[Desktop Entry]\nType=Application\nName=" + QByteArray(id) + "\n" + keys);
    };
    entry("test-browser", "Icon=" + fifo.toUtf8() + "\nMimeType=x-scheme-handler/https;\nExec=true\n");
    entry("test-terminal", "Icon=test-terminal\nCategories=TerminalEmulator;\nExec=" +
                               systemtest::execArgument(ORBEL_TEST_PROGRAM_DIR "/orbel_test_window") +
                               " Terminal --detached\n");
    entry("test-mail", "Icon=test-mail\nMimeType=x-scheme-handler/mailto;\nExec=true\n");
    systemtest::Orbel orbel(systemtest::Orbel::Deferred{});
    orbel.write("config.json", stockDialConfig());
    orbel.write("../xdg-terminals.list", "test-terminal.desktop\n");
    orbel.write("../mimeapps.list", "[Default Applications]\nx-scheme-handler/https=test-browser.desktop\n");
    orbel.startWith({"--login-item"});
    ASSERT_TRUE(orbel.waitForLog("step first dial")) << orbel.log().toStdString();

    fireWedge(orbel, 2);  // Apps
    const int pushedAt = int(orbel.log().size());
    spin(1000);  // the icons come in
    EXPECT_LT(orbel.log().indexOf("HideMenuComplete", pushedAt), 0) << "the Apps group is open";
    clickWedge(orbel, 4, "icon-that-is-a-pipe-apps-group");  // Terminal
    EXPECT_TRUE(spinUntil([] { return windowTitled("Terminal").has_value(); }, 10000)) << orbel.log().toStdString();
    xdotool({"search", "--name", "^Terminal$", "windowclose"});
    EXPECT_TRUE(orbel.waitForLog("HideMenuComplete", pushedAt));
    // Generous: a frozen program never ends.
    EXPECT_EQ(orbel.stop(3000), 0) << orbel.log().toStdString();
}

// The stock dial on a desktop with no application at all: the browser's
// wedge is titled and drawn as the role it stands for, and firing it says
// that no application for the role is installed.
TEST(MissingApplications, WithoutABrowserTheDefaultDialNamesTheRole) {
    ORBEL_REQUIRE_DISPLAY();
    systemtest::XdgFixture xdg;
    // The titles the dial's slots take through this desktop's application
    // index, once it has read every change made so far (an earlier test's
    // entries, removed, may not have been read out of it yet).
    ASSERT_TRUE(spinUntil([] { return platform::xdg::AppIndex::shared().settled(); }, 10000));
    std::vector<std::string> titles;
    for (const MenuSlotPtr& slot : SlotFactory::makeSlots(AppConfig::defaultMenu().slots)) titles.push_back(slot->title());
    EXPECT_EQ(titles, (std::vector<std::string>{"Web Browser", "Messages", "Apps", "System", "Music", "Profiles"}));

    systemtest::Orbel orbel(systemtest::Orbel::Deferred{});
    orbel.write("config.json", stockDialConfig());
    orbel.startWith({"--login-item"});
    ASSERT_TRUE(orbel.waitForLog("step first dial")) << orbel.log().toStdString();
    const QStringList before = visibleDialogs();
    fireWedge(orbel, 0, "default-dial-without-browser");  // the pill reads "Web Browser"
    EXPECT_TRUE(spinUntil([&] { return visibleDialogs().size() == before.size() + 1; })) << orbel.log().toStdString();
    spin(300);
    saveScreen("default-dial-no-browser-alert");
    EXPECT_TRUE(orbel.waitForLog("HideMenuComplete", orbel.log().lastIndexOf("ShowMenuVisible")));
}

}  // namespace
}  // namespace orbel
