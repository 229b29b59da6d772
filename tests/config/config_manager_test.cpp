#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QThread>
#include <atomic>
#include <thread>

#include "config/cycling_index_store.h"
#include "config_fixture.h"

using namespace orbel;
using namespace orbel::testing;

namespace {

class ConfigManagerTest : public ConfigFixture {
protected:
    std::string rejectedPath(int attempt = 1) const { return keptCopy(configPath(), attempt); }
    const std::string defaultBytes = AppConfig::defaultConfig().encodeDocument();
};

SlotConfig slot(SlotType type, std::string title) { return SlotConfig::make(std::move(type), std::move(title)); }

}  // namespace

TEST_F(ConfigManagerTest, RejectedFilesAreKeptAsDatedCopiesBeforeTheDefaultsReplaceThem) {
    clock.seconds = 1700000000.5;
    // The seconds since 1970, as the shortest decimal that reads back as the
    // same number; a taken name gives way to the next later time's.
    const QRegularExpression shape(QStringLiteral("^config\\.json\\.backup\\.[0-9]+\\.[0-9]+$"));
    const struct {
        double seconds;
        int attempt;
        const char* name;
    } names[] = {{1700000000.9, 1, "config.json.backup.1700000000.9"},
                 {1765185123.456789, 1, "config.json.backup.1765185123.456789"},
                 {1700000000.0, 1, "config.json.backup.1700000000.0"},
                 {1700000000.0, 2, "config.json.backup.1700000000.0000002"},
                 {1700000000.5, 3, "config.json.backup.1700000000.5000005"}};
    for (const auto& n : names) {
        const std::string path = ConfigManager::rejectedCopyPath("/x/config.json", n.seconds, n.attempt);
        EXPECT_EQ(path, std::string("/x/") + n.name);
        EXPECT_TRUE(shape.match(QFileInfo(QString::fromStdString(path)).fileName()).hasMatch()) << path;
    }
    // A folder where the file should be cannot be read: it is moved aside.
    QDir().mkpath(QString::fromStdString(configPath()));
    make();
    EXPECT_TRUE(QFileInfo(QString::fromStdString(rejectedPath())).isDir());
    EXPECT_EQ(readFile(configPath()), defaultBytes);
    // The copy cannot be written (every name it may take is taken): no overwrite.
    for (int attempt = 2; attempt <= ConfigManager::kRejectedCopyNames; ++attempt)
        QDir().mkpath(QString::fromStdString(rejectedPath(attempt)));
    writeFile(configPath(), "not json");
    EXPECT_EQ(make()->config().encodeDocument(), defaultBytes);
    EXPECT_EQ(readFile(configPath()), "not json");
    for (int attempt = 1; attempt <= ConfigManager::kRejectedCopyNames; ++attempt)
        QDir(QString::fromStdString(rejectedPath(attempt))).removeRecursively();

    activate("Work");
    writeFile(profilePath("Work"), "work profile bytes");
    // Undecodable, then decodable but invalid: the first is replaced by the
    // defaults, the second left in place; neither touches the active profile.
    // All at the same moment, each copy is kept under a name of its own.
    const struct {
        const char* text;
        bool replaced;
    } cases[] = {{"[1, 2]", true}, {R"({"menu":[{"snippet":"x","title":""}]})", false}, {R"({"hotkey":"mouse:1"})", false}};
    int attempt = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        writeFile(configPath(), c.text);
        EXPECT_EQ(make()->config().encodeDocument(), defaultBytes);
        EXPECT_EQ(readFile(rejectedPath(++attempt)), c.text);
        EXPECT_EQ(readFile(configPath()), c.replaced ? defaultBytes : c.text);
        EXPECT_EQ(readFile(profilePath("Work")), "work profile bytes");
    }
}

TEST_F(ConfigManagerTest, ValidationTextsInOrder) {
    using HB = HoldBinding;
    auto hotkeyErrors = [&](ActivationMode mode) {
        AppConfig c = withSnippets(0);
        c.activation = mode;
        return live().validate(c).size();
    };
    // Key code 0 is the A key; a combination carrying a mouse button has code 0 too.
    EXPECT_EQ(hotkeyErrors(ActivationMode::tap(HB::keyCombination({0, 0x100, std::nullopt}))), 0u);
    EXPECT_EQ(hotkeyErrors(ActivationMode::hold(HB::keyCombination({0, 0, 3}))), 0u);
    EXPECT_EQ(hotkeyErrors(ActivationMode::tap(HB::keyCombination({0, 0, std::nullopt}))), 1u);

    SlotConfig emptyGroup = SlotConfig::makeGroup("", {});
    emptyGroup.title = "G";
    AppConfig c = withSnippets(0);
    c.rootGroup.title = "";
    c.rootGroup.slots = {
        slot(SlotType::cycling({emptyGroup, slot(SlotType::cycling({}), "C"), slot(SlotType::volumeScrub(), "V")}), "Cy"),
        slot(SlotType::keystroke({MacroStep::text(""), MacroStep::waitForWindow(" ", std::nullopt, 500)}), ""),
        slot(SlotType::script(ScriptInvocation{ScriptLanguage::shell, "\n\n"}), "S"),
        slot(SlotType::profileTarget(""), "T"),
    };
    std::vector<std::string> texts;
    for (const auto& e : live().validate(c)) texts.push_back(e.what());
    const std::vector<std::string> expected{
        "Missing required field: rootGroup.title",
        "Invalid slot configuration: Cycling slot children cannot be groups",
        "Invalid slot configuration: Cycling slots cannot be nested",
        "Invalid slot configuration: Cycling slot cannot host music-mode children",
        "Missing required field: group.title",
        "Invalid slot configuration: Cycling slot must have at least one child",
        "Missing required field: slot.title",
        "Invalid slot configuration: Macro text step cannot be empty",
        "Invalid slot configuration: Macro waitForWindow must specify a bundleId",
        "Invalid slot configuration: Script slot must have non-empty source",
        "Invalid slot configuration: Profile target slot must reference a non-empty profile name",
    };
    EXPECT_EQ(texts, expected);
    EXPECT_TRUE(live().validate(withSnippets(0)).empty());  // an empty root group is valid
}

TEST_F(ConfigManagerTest, SixSlotCutRewritesTheFileOnlyWhenALevelWasCut) {
    writeFile(configPath(), withSnippets(8).encodeDocument());
    EXPECT_EQ(live().config().rootGroup.slots.size(), 6u);
    EXPECT_EQ(readFile(configPath()), withSnippets(6).encodeDocument());

    AppConfig perApp = withSnippets(0);
    perApp.setAppMenus({{"a.app", MenuGroup{Uuid::random(), "A", withSnippets(7).rootGroup.slots, SlotIcon::automatic()}}});
    writeFile(configPath(), perApp.encodeDocument());
    live().load();
    live().flushSaves();
    EXPECT_EQ(live().config().appMenus().at("a.app").slots.size(), 6u);
    EXPECT_NE(readFile(configPath()), perApp.encodeDocument());

    // Applying a configuration cuts it the same way and saves it, to the
    // active profile too; loading waits for the queued saves.
    activate("Work");
    live().applyConfig(withSnippets(8));
    live().load();
    EXPECT_EQ(live().config().rootGroup.slots.size(), 6u);
    EXPECT_EQ(readFile(profilePath("Work")), withSnippets(6).encodeDocument());
}

TEST_F(ConfigManagerTest, RootEditsIgnoreOutOfRangeAndFullGroup) {
    live().setConfig(withSnippets(4));
    QSignalSpy changed(&live(), &ConfigManager::configChanged);
    const auto one = [](const char* text) { return SlotConfig::make(SlotType::snippet(text), text); };
    live().addSlot(one("at2"), 2);
    live().addSlot(one("end"), 9);
    live().addSlot(one("seventh"));
    live().updateSlot(6, one("x"));
    live().swapSlots(3, 3);
    live().swapSlots(0, 6);
    EXPECT_EQ(changed.count(), 2);
    live().swapSlots(0, 5);
    EXPECT_EQ(live().config().rootGroup.slots[0].title, "end");
    EXPECT_EQ(live().config().rootGroup.slots[2].title, "at2");
    live().setAppMenu(MenuGroup{Uuid::random(), "Editor", {}, SlotIcon::automatic()}, "code.app");
    live().setAppMenu(std::nullopt, "code.app");
    EXPECT_TRUE(live().config().appOverrides.empty());
    live().flushSaves();
    EXPECT_EQ(readFile(configPath()), live().config().encodeDocument());

    // A screen's change: an invalid one publishes and saves nothing.
    changed.clear();
    const auto refused = live().change([](AppConfig& c) {
        c.menuRadius = 250;
        c.activation = ActivationMode::tap(HoldBinding::mouseButton(0));
    });
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->kind(), ConfigError::Kind::invalidHotkey);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_FALSE(live().change([](AppConfig& c) { c.menuRadius = 250; }));
    EXPECT_EQ(changed.count(), 1);
    live().flushSaves();
    EXPECT_EQ(readFile(configPath()), live().config().encodeDocument());
}

TEST_F(ConfigManagerTest, ProfileSwitchingAndDefaults) {
    live().setConfig(withSnippets(1));
    EXPECT_THROW(live().switchToProfile("Nope"), ProfileStoreError);  // changes nothing
    EXPECT_FALSE(live().activeProfile());
    EXPECT_EQ(live().config().rootGroup.slots.size(), 1u);

    live().ensureDefaultProfile();
    live().ensureDefaultProfile();
    EXPECT_EQ(live().activeProfile(), "Default");
    EXPECT_EQ(store().list(), std::vector<std::string>{"Default"});
    EXPECT_EQ(readFile(profilePath("Default")), withSnippets(1).encodeDocument());

    // Switching to a profile of eight root slots publishes six and rewrites it.
    writeFile(profilePath("Big"), withSnippets(8).encodeDocument());
    live().switchToProfile("Big");
    live().flushSaves();
    EXPECT_EQ(live().activeProfile(), "Big");
    EXPECT_EQ(readFile(profilePath("Big")), withSnippets(6).encodeDocument());
    try {
        live().deleteProfile("Big");
        FAIL();
    } catch (const ProfileMutationError& e) {
        EXPECT_STREQ(e.what(), "Cannot delete \"Big\" while it's the active profile. Switch to another profile first.");
    }
    live().deleteProfile("Default");
    EXPECT_EQ(store().list(), std::vector<std::string>{"Big"});
}

// A switch asked for on another thread publishes on the GUI thread and
// returns once the new configuration is live.
TEST_F(ConfigManagerTest, ProfileSwitchFromAnotherThread) {
    store().save(withSnippets(2, "w"), "Work");
    QThread* publishedOn = nullptr;
    QObject::connect(&live(), &ConfigManager::configChanged, [&] { publishedOn = QThread::currentThread(); });
    std::atomic<bool> done = false;
    std::string seenAfterReturn;
    std::thread worker([&] {
        live().switchToProfile("Work");
        seenAfterReturn = firstSnippet(live().config());
        done = true;
    });
    while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_EQ(publishedOn, QCoreApplication::instance()->thread());
    EXPECT_EQ(seenAfterReturn, "w0");
    EXPECT_EQ(live().activeProfile(), "Work");
}

TEST_F(ConfigManagerTest, ProfileIcons) {
    const SlotIcon star = SlotIcon::monogram("★");
    live().setProfileIcon("Default", star);  // no profile at all: the live configuration takes it
    EXPECT_EQ(live().config().profileIcon, star);
    EXPECT_TRUE(store().list().empty());

    live().ensureDefaultProfile();
    writeFile(profilePath("Other"), withSnippets(2).encodeDocument());
    live().setProfileIcon("Other", SlotIcon::monogram("O"));
    EXPECT_EQ(live().config().profileIcon, star);  // an inactive profile leaves the live one alone
    EXPECT_EQ(store().load("Other").profileIcon, SlotIcon::monogram("O"));
    live().setProfileIcon("Default", SlotIcon::monogram("D"));
    EXPECT_EQ(live().config().profileIcon, SlotIcon::monogram("D"));
    EXPECT_EQ(store().load("Default").profileIcon, SlotIcon::monogram("D"));
    // A missing profile is made from the live configuration.
    live().setProfileIcon("Fresh", SlotIcon::monogram("F"));
    EXPECT_EQ(store().load("Fresh").rootGroup.slots.size(), live().config().rootGroup.slots.size());
    // A profile that exists but cannot be read is reported and left as it is.
    writeFile(profilePath("Broken"), "{broken");
    EXPECT_THROW(live().setProfileIcon("Broken", star), ProfileStoreError);
    EXPECT_EQ(readFile(profilePath("Broken")), "{broken");
}

TEST(CyclingIndexStore, PositionsFollowTheChildrenContent) {
    fakes::FakeKeyValueStore defaults;
    fakes::FakeMainQueue queue;
    platform::MainQueue::setShared(&queue);
    fakes::ReplaceShared<platform::KeyValueStore> useDefaults{defaults};
    CyclingIndexStore store;
    QSignalSpy changed(&store, &CyclingIndexStore::changed);
    std::vector<SlotConfig> children;
    for (const char* text : {"a", "b", "c"}) children.push_back(SlotConfig::make(SlotType::snippet(text), text));
    store.advance(children);
    EXPECT_EQ(store.currentIndex(children), 1);
    EXPECT_EQ(changed.count(), 0);  // announced on the GUI queue, not inline
    queue.runAll();
    EXPECT_EQ(changed.count(), 1);

    // Titles and icons do not matter; scope does.
    auto changedChildren = children;
    changedChildren[0].title = "Other";
    changedChildren[1].icon = SlotIcon::monogram("X");
    EXPECT_EQ(CyclingIndexStore::childrenKey(changedChildren), CyclingIndexStore::childrenKey(children));
    changedChildren[2].scope = SlotScope::app("x.app");
    EXPECT_NE(CyclingIndexStore::childrenKey(changedChildren), CyclingIndexStore::childrenKey(children));

    // The key is pinned: it must never change between builds or machines.
    EXPECT_EQ(CyclingIndexStore::childrenKey(children), "423d040a3d974e9ac287091f7fd1cd4925ed56d2092db7c6753124b626313edc");
    const std::string key = std::string(CyclingIndexStore::kDefaultsPrefix) + CyclingIndexStore::childrenKey(children);
    defaults.setInteger(key, -1);
    EXPECT_EQ(store.currentIndex(children), 2);
    defaults.setInteger(key, INT64_MAX);
    store.advance(children);
    EXPECT_EQ(*defaults.integer(key), (INT64_MAX % 3 + 1) % 3);
    // No children: index 0, nothing written.
    const auto stored = defaults.integers.size();
    store.advance({});
    EXPECT_EQ(store.currentIndex({}), 0);
    EXPECT_EQ(defaults.integers.size(), stored);
    platform::MainQueue::setShared(nullptr);
}
