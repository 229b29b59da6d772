// What the shell says: the start-up's permission lines and the alert about
// a configuration file.
#include <QLoggingCategory>
#include <cstdio>
#include <gtest/gtest.h>

#include "app/configuration_alert.h"
#include "app/orbel_application.h"
#include "fakes/fake_permissions.h"
#include "settings/settings_fixture.h"

namespace orbel {
namespace {

std::vector<std::string>* captured = nullptr;
void capture(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (captured && QByteArray(context.category) == "orbel.launch") captured->push_back(message.toStdString());
}

TEST(StartUp, LogsThePreflightAndWhatTheRequestChanged) {
    for (const bool granted : {true, false}) {
        SCOPED_TRACE(granted);
        fakes::FakePermissions permissions;
        permissions.inputMonitoring = granted;
        std::vector<std::string> lines;
        captured = &lines;
        const auto previous = qInstallMessageHandler(capture);
        OrbelApplication::preflightInputMonitoring(permissions, [&](std::function<void()> task) {
            permissions.inputMonitoring = true;  // the user says yes while the request runs
            task();
        });
        qInstallMessageHandler(previous);
        captured = nullptr;
        std::vector<std::string> expected = {"[orbel-launch] input monitoring preflight = true"};
        if (!granted) {
            expected = {"[orbel-launch] input monitoring preflight = false",
                        "[orbel-launch] requesting input monitoring in the background",
                        "[orbel-launch] input monitoring request returned true",
                        "[orbel-launch] post-request preflight = true"};
        }
        EXPECT_EQ(lines, expected);
    }
}

TEST(ConfigurationAlert, SaysWhatWasWrongWhereTheFileIsAndWhatIsInUse) {
    using Kind = ConfigManager::LoadNotice::Kind;
    const std::string path = "/home/ann/.config/orbel/config.json";
    const std::string kept = path + ".backup.1700000000.5";
    const struct {
        ConfigManager::LoadNotice notice;
        std::string title;
        std::vector<std::string> says;
    } cases[] = {
        {{Kind::rejected, "Unknown SlotType payload (at menu[1])", kept, path},
         "Orbel couldn't use its configuration",
         {path, "Unknown SlotType payload (at menu[1])", "kept as " + kept, "default dial",
          "choose Reload in Settings \u203a Advanced"}},
        {{Kind::rejected, "The given data was not valid JSON.", kept, path, std::nullopt, true},
         "Orbel couldn't use its configuration",
         {"kept as " + kept, "goes on using the dial it had"}},
        {{Kind::unreadable, "Permission denied", kept, path},
         "Orbel couldn't read its configuration",
         {"Permission denied", "moved to " + kept, "default dial"}},
        {{Kind::cut, "the group \"Tools\" (7 slots)", std::nullopt, "/p/Work.json"},
         "Orbel shortened a dial to six slots",
         {"in /p/Work.json the group \"Tools\" (7 slots) had more", "first six", "No copy of the original"}},
        {{Kind::keptAside, path + " was saved by another program ... It is kept in " + path + ".kept-a1b2c3.",
          path + ".kept-a1b2c3", path},
         "Orbel kept another program's save aside",
         {"It is kept in " + path + ".kept-a1b2c3."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notice.reason);
        const platform::Alert alert = configurationAlert(c.notice);
        EXPECT_EQ(alert.title, c.title);
        EXPECT_EQ(alert.style, platform::AlertStyle::warning);
        for (const auto& text : c.says) EXPECT_NE(alert.text.find(text), std::string::npos) << alert.text;
    }
}

// The alert about a file that could not be used says how to bring it back;
// doing just what it says, step by step, brings the user's own text into use,
// whether the defaults or a stored profile stood in.
class BrokenFileTest : public testing::SettingsFixture {
protected:
    BrokenFileTest() { clock.seconds = 1700000000.5; }
    // The alert of a start with `text` as config.json.
    std::string startWith(const std::string& text) {
        model.reset();
        manager.reset();
        testing::writeFile(configPath(), text);
        const auto notice = live().loadNotice();
        live().clearLoadNotice();  // read, and answered
        return notice ? configurationAlert(*notice).text : "<no notice>";
    }
    static constexpr const char* kBroken = R"({"menu": [{"snippet": "mine", "title": "Mine"}, {"teleport": "x"}]})";
    static constexpr const char* kCorrected = R"({"menu": [{"snippet": "mine", "title": "Mine"}]})";
};

TEST_F(BrokenFileTest, TheAlertsWordsBringTheFileBack) {
    for (const bool profileStandsIn : {false, true}) {
        SCOPED_TRACE(profileStandsIn);
        if (profileStandsIn) {
            testing::writeFile(profilePath("Work"), testing::withSnippets(2, "work").encodeDocument());
            activate("Work");
        }
        const std::string text = startWith(kBroken);
        const std::string copy = dir() + "/config.json.backup.1700000000.5";
        EXPECT_NE(text.find("The original file was kept as " + copy + "."), std::string::npos) << text;
        EXPECT_NE(text.find(" To use your file, correct the copy, move it back to " + configPath() +
                            ", then choose Reload in Settings \u203a Advanced."),
                  std::string::npos)
            << text;
        EXPECT_NE(testing::readFile(configPath()), kBroken);  // what is in use was written over it
        // "correct the copy,"
        testing::writeFile(copy, kCorrected);
        // "move it back to .../config.json,"
        ASSERT_EQ(std::rename(copy.c_str(), configPath().c_str()), 0);  // as mv does
        // "then choose Reload in Settings > Advanced."
        open().reloadConfig();
        EXPECT_EQ(testing::firstSnippet(live().config()), "mine");
        EXPECT_FALSE(live().loadNotice());
    }

    // No copy could be made: the file was left as it is, and is corrected there.
    for (int attempt = 1; attempt <= ConfigManager::kRejectedCopyNames; ++attempt)
        QDir().mkpath(QString::fromStdString(keptCopy(configPath(), attempt)));
    const std::string text = startWith(kBroken);
    EXPECT_NE(text.find("No copy of it could be made, so the file was left as it is."), std::string::npos) << text;
    EXPECT_NE(text.find(" Correct " + configPath() + ", then choose Reload in Settings \u203a Advanced to use it."),
              std::string::npos)
        << text;
    EXPECT_EQ(testing::readFile(configPath()), kBroken);
    testing::writeFile(configPath(), kCorrected);
    open().reloadConfig();
    EXPECT_EQ(testing::firstSnippet(live().config()), "mine");
}

}  // namespace
}  // namespace orbel
