// The real program's "Check Now" against a release feed served by the test:
// the update window offers the newer version, and its button opens the
// release's address in the browser. The build's own feed is empty; the
// tests' own build of the program (orbel_with_test_feed) takes the address
// from ORBEL_TEST_UPDATE_FEED_URL, which the shipped `orbel` never reads.
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "orbel_process.h"
#include "settings/feed_server.h"

namespace orbel {
namespace {

using systemtest::Orbel;
using systemtest::run;
using systemtest::windowNamed;
using systemtest::spin;
using systemtest::spinUntil;
using systemtest::xdotool;

// Starts `orbel` with the feed at `feed` in ORBEL_TEST_UPDATE_FEED_URL,
// opens its settings window, goes to the Advanced tab (a picture of it goes
// to `picture`) and clicks "Check Now". The settings window's id.
QString checkNow(Orbel& orbel, const QString& feed, const char* picture) {
    orbel.write("config.json", R"({"version":1,"hotkey":"ctrl+opt+o","showInTray":false})");
    orbel.setEnvironment("ORBEL_TEST_UPDATE_FEED_URL", feed);
    orbel.start();
    if (!orbel.waitForLog("ShowMenuVisible")) return {};
    xdotool({"key", "ctrl+comma"});  // the dial opens the settings window
    QString settings;
    if (!spinUntil([&] { return !(settings = windowNamed("Orbel Settings")).isEmpty(); }, 10000)) return {};
    if (!orbel.controls().click("^Orbel Settings$", "Advanced")) return {};
    spin(500);
    systemtest::savePicture(picture);
    if (!orbel.controls().click("^Orbel Settings$", "checkForUpdates")) return {};
    return settings;
}

TEST(UpdateCheckSystem, CheckNowAgainstALocalFeedShowsTheNewerVersion) {
    ORBEL_REQUIRE_DISPLAY();
    if (!QFile::exists(ORBEL_WITH_TEST_FEED)) GTEST_SKIP() << "orbel_with_test_feed is not built";
    testing::FeedServer server;
    ASSERT_TRUE(server.isListening());
    const QByteArray release = "http://127.0.0.1:" + QByteArray::number(server.serverPort()) + "/releases/99.1";
    server.answers["/feed.json"] = {200, R"({"version": "99.1", "url": ")" + release + R"("})"};
    // The browser: a script that notes the address it is given, whole (the
    // test reads the note as soon as it is there).
    QTemporaryDir scratch;
    const QString browser = scratch.filePath("browser"), opened = scratch.filePath("opened");
    systemtest::writeFile(browser, "#!/bin/sh\nprintf '%s' \"$1\" > '" + opened.toUtf8() + ".part' && mv '" +
                                       opened.toUtf8() + ".part' '" + opened.toUtf8() + "'\n");
    QFile::setPermissions(browser, QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    Orbel orbel(Orbel::Deferred{});
    orbel.setProgram(ORBEL_WITH_TEST_FEED);
    orbel.setEnvironment("DEFAULT_BROWSER", browser);
    orbel.setEnvironment("BROWSER", browser);
    const QString settings = checkNow(orbel, server.url("/feed.json").toString(), "update-advanced-tab");
    ASSERT_FALSE(settings.isEmpty()) << orbel.log().toStdString();
    QString window;
    ASSERT_TRUE(spinUntil([&] { return !(window = windowNamed("^Software Update")).isEmpty(); }, 10000));
    ASSERT_TRUE(spinUntil([&] { return server.requests > 0; }, 10000));
    spin(1000);
    // Above the settings window and centred over it, its title bar on the screen.
    const QStringList stacking =
        run("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"}).section('#', 1).split(',', Qt::SkipEmptyParts);
    const auto stackedAt = [&](const QString& id) {
        for (int i = 0; i < stacking.size(); ++i)
            if (stacking[i].trimmed().toULongLong(nullptr, 16) == id.toULongLong()) return i;
        return -1;
    };
    EXPECT_GT(stackedAt(window), stackedAt(settings)) << stacking.join(',').toStdString();
    const auto frame = [](const QString& id) {
        const QString info = run("xwininfo", {"-id", id});
        const auto value = [&](const char* key) { return info.section(key, 1).section('\n', 0, 0).trimmed().toInt(); };
        return QRect(value("Absolute upper-left X:"), value("Absolute upper-left Y:"), value("Width:"), value("Height:"));
    };
    EXPECT_TRUE(frame(settings).contains(frame(window).center()));
    EXPECT_GT(frame(window).top(), frame(settings).top());
    EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).save(
        ORBEL_BINARY_DIR "/test-artifacts/system/update-newer-version.png"));

    // Its default button opens the newer release's page.
    xdotool({"windowactivate", "--sync", window});
    xdotool({"key", "Return"});
    EXPECT_TRUE(spinUntil([&] { return QFile::exists(opened); }, 10000)) << orbel.log().toStdString();
    QFile file(opened);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), release);
    EXPECT_EQ(orbel.stop(), 0);
}

// The shipped program takes no feed from its environment: neither "Check
// Now" nor the automatic check (due 10 s after the start) asks the server.
// It runs as the tests' build of it, which adds only the control map (the
// installed one holds no test setting at all: ControlMapSystem).
TEST(UpdateCheckSystem, TheShippedProgramReadsNoTestFeed) {
    ORBEL_REQUIRE_DISPLAY();
    if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
    testing::FeedServer server;
    ASSERT_TRUE(server.isListening());
    server.answers["/feed.json"] = {200, R"({"version": "99.1", "url": "http://127.0.0.1/releases/99.1"})"};
    QElapsedTimer sinceStart;
    sinceStart.start();
    Orbel orbel(Orbel::Deferred{});
    ASSERT_FALSE(checkNow(orbel, server.url("/feed.json").toString(), "update-without-feed").isEmpty())
        << orbel.log().toStdString();
    // It says where updates come from.
    EXPECT_TRUE(spinUntil([] { return !systemtest::visibleDialogs().isEmpty(); }, 10000));
    systemtest::savePicture("update-without-feed-check-now");
    spin(static_cast<int>(std::max<qint64>(1000, 14000 - sinceStart.elapsed())));
    EXPECT_EQ(server.requests, 0);
    EXPECT_TRUE(windowNamed("^Software Update").isEmpty());
    EXPECT_EQ(orbel.stop(), 0);
}

}  // namespace
}  // namespace orbel
