#include <gtest/gtest.h>

#include <QFile>
#include <QTest>
#include <tuple>

#include "config/config_manager.h"
#include "fakes/replace_shared.h"
#include "slots/fake_producer_runner.h"
#include "fakes/fake_alerts.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/fake_system_platform.h"
#include "slots/slot_classes.h"
#include "slots/slot_factory.h"

using namespace orbel;

namespace {

// Records what slots ask of the dial.
class FakeDialController : public DialController {
public:
    std::optional<std::string> previousFrontmostBundleId() const override { return front; }
    void hide() override { calls.push_back("hide"); }
    void pushGroup(const MenuGroup& group) override {
        calls.push_back("pushGroup " + group.title);
        pushed.push_back(group);
    }
    void switchMode(DialMode mode) override { calls.push_back("switchMode " + std::string(rawValue(mode))); }

    std::optional<std::string> front;
    std::vector<std::string> calls;
    std::vector<MenuGroup> pushed;
};

class SlotTest : public ::testing::Test, protected fakes::ProducerRig {
protected:
    SlotTest() { DynamicTitleCache::setShared(cache.get()); }
    ~SlotTest() override {
        DynamicTitleCache::setShared(nullptr);
        ConfigManager::setCurrent(nullptr);
    }

    std::string alertText(std::size_t i) const { return alerts.shown.at(i).alert.title + " | " + alerts.shown.at(i).alert.text; }

    fakes::Installed<fakes::FakeAlerts, platform::Alerts> alerts;
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    fakes::Installed<fakes::FakeMainQueue, platform::MainQueue> queue;
    FakeDialController controller;
};

}  // namespace

// Every stored kind the dial shows builds a slot that keeps the configured
// identity and title and always has a symbol to fall back on; a configured
// icon shows, except on app and action slots, whose icons come from the
// application or the action.
TEST_F(SlotTest, EveryKindBuildsAndShowsItsConfiguredIconOrASymbol) {
    const DynamicSlotConfig dyn = fakes::producing("date");
    const SlotIcon star = SlotIcon::symbolPack(IconPack{"sf"}, "star");
    const std::vector<SlotConfig> configs = {
        SlotConfig::make(SlotType::app("org.example.Missing"), "Missing", star),
        SlotConfig::make(SlotType::action(SystemAction(SystemAction::Kind::volumeMute)), "Mute", star),
        SlotConfig::make(SlotType::group(MenuGroup{}), "Tools", star),
        SlotConfig::make(SlotType::keystroke({}), "Keys", star),
        SlotConfig::make(SlotType::script({}), "Run", star),
        SlotConfig::make(SlotType::snippet("x"), "Snip", star),
        SlotConfig::make(SlotType::dynamic(dyn), "Clock", star),
        SlotConfig::make(SlotType::cycling({}), "Cycle", star),
        SlotConfig::make(SlotType::modeSwitch(DialMode::music), "Music", star),
        SlotConfig::make(SlotType::profileTarget("Work"), "Work", star),
        SlotConfig::make(SlotType::profileSwitch(), "", star),
    };
    std::vector<SlotConfig> withMusic = configs;
    withMusic.push_back(SlotConfig::make(SlotType::transport(TransportCommand::next), "Next"));
    withMusic.push_back(SlotConfig::make(SlotType::volumeScrub(), "Volume"));
    const auto slots = SlotFactory::makeSlots(withMusic);
    ASSERT_EQ(slots.size(), configs.size());  // the music dial's kinds are not made here
    for (std::size_t i = 0; i < configs.size(); ++i) {
        SCOPED_TRACE(configs[i].title);
        EXPECT_EQ(slots[i]->id(), configs[i].id);
        EXPECT_EQ(slots[i]->type(), configs[i].type);
        EXPECT_EQ(slots[i]->title(), configs[i].title);
        const SlotImage image = slots[i]->icon();
        EXPECT_FALSE(image.fallbackSymbol.empty());
        EXPECT_EQ(image.icon.isAuto(), i < 2);
        // A mode switch whose own icon cannot be drawn shows a plain circle.
        EXPECT_EQ(image.fallbackSymbol == "circle", configs[i].type.is<SlotType::ModeSwitch>());
        EXPECT_EQ(SlotFactory::imageFor(configs[i]), image);
    }
    EXPECT_TRUE(SlotFactory::makeSlots({}).empty());
}

TEST_F(SlotTest, AppSlotsLaunchInstalledApplicationsOnly) {
    workspace.install("org.gnome.TextEditor", "Text Editor");
    auto found = SlotFactory::makeSlot(SlotConfig::make(SlotType::app("org.gnome.TextEditor"), "Editor"));
    EXPECT_EQ(found->icon().appIcon, "org.gnome.TextEditor");
    found->execute(&controller);
    auto missing = SlotFactory::makeSlot(SlotConfig::make(SlotType::app("com.example.Nothing"), "Nothing"));
    missing->execute(nullptr);
    EXPECT_EQ(workspace.calls, std::vector<std::string>{"launch org.gnome.TextEditor"});
    EXPECT_TRUE(alerts.shown.empty());
    EXPECT_EQ(alerts.beeps, 0);

    // A running application comes to the front instead of starting again.
    workspace.calls.clear();
    workspace.running = {{41, "org.gnome.Other"}, {42, "org.gnome.TextEditor"}};
    found->execute(&controller);
    EXPECT_EQ(workspace.calls, std::vector<std::string>{"activate org.gnome.TextEditor"});
}

TEST_F(SlotTest, AMissingApplicationFiredFromTheDialSaysSoAndIsDimmed) {
    auto messages = SlotFactory::makeSlot(SlotConfig::make(SlotType::app("com.apple.MobileSMS"), "Messages"));
    EXPECT_TRUE(messages->icon().unavailable);
    messages->execute(&controller);
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].alert.title, "Messages is not installed");
    EXPECT_TRUE(workspace.calls.empty());
    workspace.install("org.gnome.TextEditor", "Text Editor");
    EXPECT_FALSE(SlotFactory::makeSlot(SlotConfig::make(SlotType::app("org.gnome.TextEditor"), "Editor"))->icon().unavailable);
}

TEST_F(SlotTest, AStockSlotWhoseRoleNoApplicationPlaysIsTitledAndDrawnByTheRole) {
    const std::tuple<const char*, const char*, const char*, const char*> rows[] = {
        {"com.apple.Safari", "Safari", "Web Browser", "globe"},
        {"com.apple.finder", "Finder", "File Manager", "folder"},
        {"com.apple.mail", "Mail", "Mail", "envelope"},
        {"com.apple.Terminal", "Terminal", "Terminal", "terminal"},
        {"com.apple.systempreferences", "Settings", "Settings", "gearshape"},
        {"com.apple.Notes", "Notes", "Notes", "app"},  // no counterpart: its own title, the window symbol
    };
    for (const auto& [id, stored, title, symbol] : rows) {
        const SlotConfig config = SlotConfig::make(SlotType::app(id), stored);
        auto slot = SlotFactory::makeSlot(config);
        EXPECT_EQ(slot->title(), title) << id;
        EXPECT_EQ(SlotFactory::titleFor(config), title) << id;
        EXPECT_EQ(slot->icon().fallbackSymbol, symbol) << id;
        EXPECT_TRUE(slot->icon().unavailable) << id;
    }
    SlotFactory::makeSlot(SlotConfig::make(SlotType::app("com.apple.Safari"), "Safari"))->execute(&controller);
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].alert.title, "No application for Web Browser is installed");
    EXPECT_TRUE(workspace.calls.empty());
    // A title of the user's own stays while no application plays the role.
    for (const auto& [id, stored] : {std::pair{"com.apple.Safari", "Internet"}, {"com.apple.systempreferences", "Prefs"}}) {
        EXPECT_EQ(SlotFactory::makeSlot(SlotConfig::make(SlotType::app(id), stored))->title(), stored) << id;
        EXPECT_EQ(SlotFactory::titleFor(SlotConfig::make(SlotType::app(id), stored)), stored) << id;
    }
    EXPECT_EQ(SlotFactory::titleFor(SlotConfig::make(SlotType::app("com.apple.SystemPreferences"), "System Preferences")),
              "Settings");
    // Where an application plays the role, the stored title stays.
    workspace.install("com.apple.Safari", "Firefox");
    EXPECT_EQ(SlotFactory::makeSlot(SlotConfig::make(SlotType::app("com.apple.Safari"), "Safari"))->title(), "Safari");
}

// Fired before the installed applications have been read, a slot is
// answered once they have been: missing, it says so; installed, it starts.
TEST_F(SlotTest, ASlotFiredBeforeTheApplicationsAreReadIsAnsweredOnceTheyAre) {
    workspace.known = false;
    auto safari = SlotFactory::makeSlot(SlotConfig::make(SlotType::app("com.apple.Safari"), "Safari"));
    EXPECT_EQ(safari->title(), "Safari");
    EXPECT_EQ(safari->icon().fallbackSymbol, "app");
    safari->execute(&controller);
    EXPECT_TRUE(alerts.shown.empty());
    workspace.becomeKnown();
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].alert.title, "No application for Web Browser is installed");
    EXPECT_EQ(safari->title(), "Web Browser");  // not kept from before
    // One whose application is installed by then starts.
    workspace.known = false;
    workspace.install("com.apple.Safari", "Firefox");
    safari->execute(&controller);
    workspace.becomeKnown();
    EXPECT_EQ(workspace.calls, std::vector<std::string>{"launch com.apple.Safari"});
}

TEST_F(SlotTest, GroupAndModeSlotsDriveTheController) {
    SlotFactory::makeSlot(SlotConfig::makeGroup("Apps", {}))->execute(&controller);
    SlotFactory::makeSlot(SlotConfig::make(SlotType::modeSwitch(DialMode::music), "Music"))->execute(&controller);
    SlotFactory::makeSlot(SlotConfig::makeGroup("Apps", {}))->execute(nullptr);  // nothing without a controller
    EXPECT_EQ(controller.calls, (std::vector<std::string>{"pushGroup Apps", "switchMode music"}));
}

TEST_F(SlotTest, CyclingSlotsRunChildrenInTurnAndShowTheNextOne) {
    fakes::Installed<fakes::FakeKeyValueStore, platform::KeyValueStore> defaults;
    SlotConfig dynamicChild = SlotConfig::make(SlotType::dynamic(fakes::producing("date")), "Dyn", SlotIcon::monogram("D"));
    const SlotConfig config =
        SlotConfig::make(SlotType::cycling({SlotConfig::makeGroup("A", {}), SlotConfig::makeGroup("B", {}), dynamicChild}), "Cycle");
    CyclingSlot slot(config);

    EXPECT_EQ(slot.title(), "A");
    slot.execute(&controller);
    EXPECT_EQ(slot.title(), "B");
    EXPECT_EQ(slot.icon().fallbackSymbol, "folder");
    slot.execute(&controller);
    // Drawing the dynamic child does not build it: no registration, no producer run.
    EXPECT_EQ(slot.title(), "Dyn");
    EXPECT_EQ(slot.icon().icon, SlotIcon::monogram("D"));
    EXPECT_TRUE(producers->runs.empty());
    slot.execute(&controller);  // runs the dynamic child: built, run, gone again
    ASSERT_EQ(producers->runs.size(), 1u);
    producers->succeed(0, "late");
    EXPECT_FALSE(cache->state(dynamicChild.id));
    slot.execute(&controller);
    EXPECT_EQ(controller.calls, (std::vector<std::string>{"pushGroup A", "pushGroup B", "pushGroup A"}));

    // An explicit icon always wins; no children shows the configured title.
    CyclingSlot custom(SlotConfig::make(SlotType::cycling({SlotConfig::makeGroup("A", {})}), "C", SlotIcon::monogram("C")));
    EXPECT_EQ(custom.icon().icon, SlotIcon::monogram("C"));
    EXPECT_EQ(custom.icon().description, "A");  // described by the title it shows
    // A child no slot is made from leaves the cycling slot's own symbol.
    CyclingSlot music(SlotConfig::make(SlotType::cycling({SlotConfig::make(SlotType::transport(TransportCommand::next), "Next")}), "M"));
    EXPECT_EQ(music.icon().fallbackSymbol, "arrow.triangle.2.circlepath");
    EXPECT_EQ(music.icon().description, "Next");
    CyclingSlot empty(SlotConfig::make(SlotType::cycling({}), "Nothing"));
    EXPECT_EQ(empty.title(), "Nothing");
    empty.execute(&controller);
    EXPECT_EQ(controller.calls.size(), 3u);
}

TEST_F(SlotTest, DynamicSlotsShowTheProducedTitleAndRegisterWhileAlive) {
    DynamicSlotConfig dyn = fakes::producing("date");
    dyn.clickAction = DynamicClickAction::rerunProducer();
    const SlotConfig config = SlotConfig::make(SlotType::dynamic(dyn), "Fallback");
    {
        auto slot = SlotFactory::makeSlot(config);
        EXPECT_EQ(slot->title(), "Fallback");
        ASSERT_EQ(producers->runs.size(), 1u);
        producers->succeed(0, "12:30\n");
        EXPECT_EQ(slot->title(), "12:30");
        slot->execute(&controller);
        EXPECT_EQ(producers->runs.size(), 2u);
    }
    EXPECT_FALSE(cache->state(config.id));
}

// A name holding a right-to-left override or a line break shows written out
// in the dial's profile list and its alerts, and still names its profile.
TEST_F(SlotTest, ProfileNamesShowTheirControlCharactersWrittenOut) {
    fakes::TempAppPaths paths;
    fakes::Installed<fakes::FakeKeyValueStore, platform::KeyValueStore> defaults;
    platform::MainQueue::setShared(nullptr);
    ConfigManager manager(paths.configDir() + "/config.json", ProfileStore(paths.configDir() + "/profiles"));
    ConfigManager::setCurrent(&manager);
    manager.profileStore().save(AppConfig{}, "Home");
    QFile::copy(QString::fromStdString(manager.profileStore().url("Home")),
                QString::fromStdString(manager.profileStore().directory() + "/Evil\u202Egnp.exe.json"));
    SlotFactory::makeSlot(SlotConfig::make(SlotType::profileSwitch(), ""))->execute(&controller);
    ASSERT_EQ(controller.pushed.size(), 1u);
    const MenuGroup& list = controller.pushed[0];
    ASSERT_EQ(list.slots.size(), 2u);
    EXPECT_EQ(list.slots[0].title, "Evil<U+202E>gnp.exe");
    EXPECT_EQ(list.slots[0].type, SlotType::profileTarget("Evil\u202Egnp.exe"));
    SlotFactory::makeSlot(SlotConfig::make(SlotType::profileTarget("Gone\nnow"), "Gone"))->execute(&controller);
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alertText(0),
              "Profile not found | No profile named \"Gone<U+000A>now\" exists. Create it in Settings → Profiles.");
    manager.flushSaves();
}

TEST_F(SlotTest, ScriptFailuresShowTheirAlert) {
    auto slot = SlotFactory::makeSlot(SlotConfig::make(SlotType::script({ScriptLanguage::shell, "echo boom >&2; exit 2"}), "Build"));
    platform::MainQueue::setShared(nullptr);  // the real queue: completions come from the event loop
    slot->execute(&controller);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !alerts.shown.empty(); }, 10000));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alertText(0), "Script slot \"Build\" failed | Exit 2\nboom\n");
    EXPECT_EQ(alerts.shown[0].alert.style, platform::AlertStyle::critical);
}

TEST_F(SlotTest, ProfileSlots) {
    // No configuration manager.
    SlotFactory::makeSlot(SlotConfig::make(SlotType::profileSwitch(), "P"))->execute(&controller);
    alerts.dismiss(0);  // while it is open, the same alert is not shown again
    SlotFactory::makeSlot(SlotConfig::make(SlotType::profileTarget("Work"), "Work"))->execute(&controller);
    ASSERT_EQ(alerts.shown.size(), 2u);
    EXPECT_EQ(alertText(0), "Cannot switch profile | The configuration manager is unavailable.");
    EXPECT_EQ(alertText(1), alertText(0));

    fakes::TempAppPaths paths;
    fakes::Installed<fakes::FakeKeyValueStore, platform::KeyValueStore> defaults;
    platform::MainQueue::setShared(nullptr);
    ConfigManager manager(paths.configDir() + "/config.json", ProfileStore(paths.configDir() + "/profiles"));
    ConfigManager::setCurrent(&manager);

    SlotFactory::makeSlot(SlotConfig::make(SlotType::profileSwitch(), "P"))->execute(&controller);
    EXPECT_EQ(alertText(2), "No profiles saved | Create a profile in Settings → Profiles, then this slot will list it.");
    EXPECT_EQ(alerts.shown[2].alert.style, platform::AlertStyle::informational) << "a state, not an error";

    for (const char* name : {"A", "B", "C", "D", "E", "F"}) {
        AppConfig c;
        if (std::string(name) == "B") c.profileIcon = SlotIcon::monogram("B");
        manager.profileStore().save(c, name);
    }
    // A file named with spaces around the name, and an eighth profile past the six shown.
    QFile::copy(QString::fromStdString(manager.profileStore().url("A")),
                QString::fromStdString(manager.profileStore().directory() + "/  At home .json"));
    SlotFactory::makeSlot(SlotConfig::make(SlotType::profileSwitch(), ""))->execute(&controller);
    ASSERT_EQ(controller.pushed.size(), 1u);
    const MenuGroup& list = controller.pushed[0];
    EXPECT_EQ(list.title, "Profiles");
    ASSERT_EQ(list.slots.size(), 6u);
    // Listed once, under the name that reaches its file.
    EXPECT_EQ(list.slots[1].title, "At home");
    EXPECT_EQ(list.slots[1].type, SlotType::profileTarget("At home"));
    EXPECT_EQ(list.slots[2].icon, SlotIcon::monogram("B"));
    EXPECT_TRUE(list.slots[1].icon.isAuto());

    // The live dial is in no profile and six exist: switching would lose it.
    SlotFactory::makeSlot(list.slots[3])->execute(&controller);
    EXPECT_FALSE(manager.activeProfile());
    EXPECT_EQ(alertText(3).substr(0, 60), "Profile switch failed | The current dial is not saved in any");
    defaults.setString(ConfigManager::kActiveProfileKey, "A");
    SlotFactory::makeSlot(list.slots[3])->execute(&controller);
    EXPECT_EQ(manager.activeProfile(), "C");
    SlotFactory::makeSlot(SlotConfig::make(SlotType::profileTarget("Gone"), "Gone"))->execute(&controller);
    EXPECT_EQ(alertText(4), "Profile not found | No profile named \"Gone\" exists. Create it in Settings → Profiles.");
    manager.flushSaves();
}
