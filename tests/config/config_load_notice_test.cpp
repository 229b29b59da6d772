// What loading tells the user about a file it could not use as written, what
// it logs about values it corrected, and the dial's profile switch that keeps
// the live configuration.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "config_fixture.h"
#include "fakes/log_capture.h"

using namespace orbel;
using namespace orbel::testing;

namespace {

class ConfigLoadTest : public ConfigFixture {
protected:
    ConfigLoadTest() { clock.seconds = 1700000000.5; }
    std::string keptPath() const { return keptCopy(configPath()); }
};

TEST_F(ConfigLoadTest, AFileThatCannotBeUsedAsWrittenIsKeptAndExplained) {
    using Kind = ConfigManager::LoadNotice::Kind;
    AppConfig nested = withSnippets(1);
    nested.rootGroup.slots.push_back(SlotConfig::makeGroup("Tools", withSnippets(8, "t").rootGroup.slots));
    const struct {
        std::string text;
        Kind kind;
        std::string reason;  // what the notice says was wrong
        bool rewritten;      // the file now holds what is live
    } cases[] = {
        {"{not json", Kind::rejected, "The given data was not valid JSON.", true},
        {R"({"menu": 5})", Kind::rejected, "(at menu)", true},
        {R"({"menu": [{"snippet": "x"}, {"teleport": "x"}]})", Kind::rejected, "(at menu[1])", true},
        {R"({"menu": [{"snippet": "x", "title": ""}]})", Kind::rejected, "Missing required field: slot.title", false},
        {withSnippets(8).encodeDocument(), Kind::cut, "the main dial (8 slots)", true},
        {nested.encodeDocument(), Kind::cut, "the group \"Tools\" (8 slots)", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        QFile::remove(QString::fromStdString(keptPath()));
        writeFile(configPath(), c.text);
        auto manager = make();
        const auto notice = manager->loadNotice();
        ASSERT_TRUE(notice);
        EXPECT_EQ(notice->kind, c.kind);
        EXPECT_NE(notice->reason.find(c.reason), std::string::npos) << notice->reason;
        EXPECT_EQ(notice->file, configPath());
        EXPECT_EQ(notice->keptAt, keptPath());
        EXPECT_EQ(readFile(keptPath()), c.text);
        EXPECT_EQ(readFile(configPath()) != c.text, c.rewritten);
        manager->clearLoadNotice();  // answered
    }

    // A clean load leaves no notice; a later load that cuts publishes one.
    writeFile(configPath(), withSnippets(2).encodeDocument());
    EXPECT_FALSE(live().loadNotice());
    QSignalSpy noticed(&live(), &ConfigManager::loadNoticeChanged);
    writeFile(configPath(), withSnippets(7).encodeDocument());
    live().load();
    EXPECT_EQ(noticed.count(), 1);
    ASSERT_TRUE(live().loadNotice());
    live().clearLoadNotice();
    EXPECT_FALSE(live().loadNotice());

    // A profile switched to is rewritten cut: its original is kept too.
    const std::string big = withSnippets(8, "b").encodeDocument();
    writeFile(profilePath("Big"), big);
    live().switchToProfile("Big");
    live().flushSaves();
    ASSERT_TRUE(live().loadNotice());
    EXPECT_EQ(live().loadNotice()->file, profilePath("Big"));
    EXPECT_EQ(readFile(keptCopy(profilePath("Big"))), big);
    EXPECT_EQ(readFile(profilePath("Big")), withSnippets(6, "b").encodeDocument());
    EXPECT_EQ(store().list(), std::vector<std::string>{"Big"});  // the copy is no profile
}

TEST_F(ConfigLoadTest, CorrectedValuesAreLoggedWithTheValueInUse) {
    writeFile(configPath(), R"({"hotkey": "ctrl+banana", "menuRadius": 20, "appearance": {"mode": "darkk", "backdropOpacity": 3},
        "menu": [{"dynamic": {"producer": {"language": "shell", "source": "date"},
                              "refresh": {"kind": "interval", "seconds": 1}}, "title": "Clock"},
                 {"keystroke": [{"wait": {"milliseconds": 0}}], "title": "Wait"}],
        "appOverrides": {"big.app": {"menuRadius": 5000}}})");
    fakes::LogCapture logs;
    const auto manager = make();
    EXPECT_EQ(manager->config().menuRadius, AppConfig::kMinRadius);
    std::vector<std::string> lines;
    for (const auto& l : logs.lines())
        if (l.category == platform::LogCategory::config) lines.push_back(l.text);
    const std::vector<std::string> expected = {
        "[orbel-config] config.json: menuRadius 20 is not allowed; using 50",
        "[orbel-config] config.json: appearance.mode \"darkk\" is not allowed; using \"auto\"",
        "[orbel-config] config.json: appearance.backdropOpacity 3 is not allowed; using 1",
        "[orbel-config] config.json: menu[0].dynamic.refresh.seconds 1 is not allowed; using 5",
        "[orbel-config] config.json: menu[1].keystroke[0].wait.milliseconds 0 is not allowed; using 1",
        "[orbel-config] config.json: appOverrides.big.app.menuRadius 5000 is not allowed; using 1000",
        "[orbel-config] config.json: hotkey \"ctrl+banana\" is not allowed; using \"opt+space\"",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_FALSE(manager->loadNotice());  // used, not rejected: the file stays as written
}

// With no profile active the live configuration lives only in config.json,
// which a switch overwrites: the dial's switch keeps it as "Default" first.
TEST_F(ConfigLoadTest, TheDialsProfileSwitchKeepsTheLiveConfigurationAsDefault) {
    live().setConfig(withSnippets(3, "mine"));
    live().save();
    EXPECT_THROW(live().switchToProfileKeepingLive("Missing"), ProfileStoreError);
    EXPECT_TRUE(store().list().empty());  // a failed switch writes nothing

    store().save(withSnippets(2, "work"), "Work");
    live().switchToProfileKeepingLive("Work");
    EXPECT_EQ(live().activeProfile(), "Work");
    EXPECT_EQ(firstSnippet(live().config()), "work0");
    live().switchToProfileKeepingLive("Default");
    EXPECT_EQ(firstSnippet(live().config()), "mine0");
    EXPECT_EQ(live().config().rootGroup.slots.size(), 3u);

    // A live configuration that a profile holds already is not kept again.
    live().switchToProfileKeepingLive("Work");
    defaults.remove(ConfigManager::kActiveProfileKey);
    live().flushSaves();
    QFile::remove(QString::fromStdString(profilePath("Default")));
    live().switchToProfileKeepingLive("Work");
    EXPECT_EQ(live().activeProfile(), "Work");
    EXPECT_EQ(store().list(), std::vector<std::string>{"Work"});
}

}  // namespace
