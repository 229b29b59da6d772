// The real `orbel` started a second time while one runs: the session's
// autostart (`--login-item`) leaves the running one as it is, a user's second
// start opens its dial.
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include "orbel_process.h"

namespace orbel {
namespace {

using systemtest::kOrbel;
using systemtest::Orbel;
using systemtest::spin;
using systemtest::xdotool;

TEST(SecondStartSystem, ASecondStartAtLoginShowsNothingAndAPlainOneOpensTheDial) {
    ORBEL_REQUIRE_DISPLAY();
    if (!QFile::exists(kOrbel)) GTEST_SKIP() << "orbel is not built";
    Orbel orbel(Orbel::Deferred{});
    orbel.write("config.json", R"({"version":1,"hotkey":"ctrl+opt+o","showInTray":false})");
    orbel.startWith({"--login-item"});  // a restored session brought it back
    ASSERT_TRUE(orbel.waitForLog("step first dial"));
    for (const QStringList& arguments : {QStringList{"--login-item"}, QStringList{}}) {
        QProcess second;
        orbel.start(second, arguments);
        ASSERT_TRUE(second.waitForFinished(10000));
        EXPECT_EQ(second.exitCode(), 0) << arguments.join(' ').toStdString();
    }
    // The plain start's request comes after whatever the one at login asked.
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible")) << orbel.log().toStdString();
    spin(300);
    EXPECT_EQ(orbel.count("ReopenRequested"), 1) << orbel.log().toStdString();
    EXPECT_EQ(orbel.count("ShowMenuVisible"), 1);
    xdotool({"key", "Escape"});
    EXPECT_TRUE(orbel.waitForLog("HideMenuComplete"));
}

}  // namespace
}  // namespace orbel
