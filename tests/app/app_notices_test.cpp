// What the shell says: the start-up's permission lines and the alert about
// a configuration file.
#include <QLoggingCategory>
#include <gtest/gtest.h>

#include "app/configuration_alert.h"
#include "app/orbel_application.h"
#include "fakes/fake_permissions.h"

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
        {{Kind::unreadable, "Permission denied", kept, path},
         "Orbel couldn't read its configuration",
         {"Permission denied", "moved to " + kept, "default dial"}},
        {{Kind::cut, "the group \"Tools\" (7 slots)", std::nullopt, "/p/Work.json"},
         "Orbel shortened a dial to six slots",
         {"in /p/Work.json the group \"Tools\" (7 slots) had more", "first six", "No copy of the original"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notice.reason);
        const platform::Alert alert = configurationAlert(c.notice);
        EXPECT_EQ(alert.title, c.title);
        EXPECT_EQ(alert.style, platform::AlertStyle::warning);
        for (const auto& text : c.says) EXPECT_NE(alert.text.find(text), std::string::npos) << alert.text;
    }
}

}  // namespace
}  // namespace orbel
