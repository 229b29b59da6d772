#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include "config/config_manager.h"
#include "config/cycling_index_store.h"
#include "fakes/fake_platform_basics.h"
#include "model/json_writer.h"

using namespace orbel;

namespace {

std::string readFile(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll().toStdString();
}

void writeFile(const std::string& path, const std::string& bytes) {
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string pretty(const AppConfig& c) { return json::write(c.toJson(), json::kConfigDocument); }

SlotConfig snippet(const std::string& text) { return SlotConfig::make(SlotType::snippet(text), text); }

SlotConfig slot(SlotType type, std::string title) {
    SlotConfig s;
    s.type = std::move(type);
    s.title = std::move(title);
    return s;
}

std::vector<SlotConfig> snippets(int n) {
    std::vector<SlotConfig> out;
    for (int i = 0; i < n; ++i) out.push_back(snippet("s" + std::to_string(i)));
    return out;
}

AppConfig withRoot(std::vector<SlotConfig> slots) {
    AppConfig c;
    c.rootGroup.title = "Main Menu";
    c.rootGroup.slots = std::move(slots);
    return c;
}

class ConfigManagerTest : public ::testing::Test {
protected:
    void SetUp() override { platform::Clock::setShared(&clock); }
    void TearDown() override { platform::Clock::setShared(nullptr); }

    std::string dir() const { return paths.configDir(); }
    std::string configPath() const { return dir() + "/config.json"; }
    std::string profilePath(const std::string& name) const { return dir() + "/profiles/" + name + ".json"; }
    std::string rejectedPath() const { return configPath() + ".backup.1700000000.5"; }

    std::unique_ptr<ConfigManager> make() {
        auto m = std::make_unique<ConfigManager>(configPath(), ProfileStore(dir() + "/profiles"), &defaults);
        m->flushSaves();
        return m;
    }

    fakes::TempAppPaths paths;
    fakes::FakeKeyValueStore defaults;
    fakes::FakeClock clock;
};

}  // namespace

TEST_F(ConfigManagerTest, MissingOrUndecodableFileGivesSavedDefaultsAndADatedCopy) {
    clock.seconds = 1700000000.5;
    make();
    EXPECT_EQ(readFile(configPath()), pretty(AppConfig::defaultConfig()));

    writeFile(configPath(), "[1, 2]");
    defaults.setString(ConfigManager::kActiveProfileKey, "Work");
    writeFile(profilePath("Work"), "work profile bytes");
    auto m = make();
    EXPECT_EQ(pretty(m->config()), pretty(AppConfig::defaultConfig()));
    EXPECT_EQ(ConfigManager::rejectedCopyPath("/x/config.json", 1700000000.0), "/x/config.json.backup.1700000000.0");
    EXPECT_EQ(readFile(rejectedPath()), "[1, 2]");
    EXPECT_EQ(readFile(configPath()), pretty(AppConfig::defaultConfig()));
    // The fallback writes the configuration file only, never the active profile.
    EXPECT_EQ(readFile(profilePath("Work")), "work profile bytes");
}

TEST_F(ConfigManagerTest, TheFileIsOnlyReplacedOnceItsRejectedCopyIsMade) {
    clock.seconds = 1700000000.5;
    // A folder where the file should be cannot be read: it is moved aside.
    QDir().mkpath(QString::fromStdString(configPath()));
    make();
    EXPECT_TRUE(QFileInfo(QString::fromStdString(rejectedPath())).isDir());
    EXPECT_EQ(readFile(configPath()), pretty(AppConfig::defaultConfig()));

    // The copy cannot be written (its name is taken): no overwrite.
    writeFile(configPath(), "not json");
    auto m = make();
    EXPECT_EQ(pretty(m->config()), pretty(AppConfig::defaultConfig()));
    EXPECT_EQ(readFile(configPath()), "not json");
}

TEST_F(ConfigManagerTest, InvalidConfigurationsFallBackWithoutSaving) {
    clock.seconds = 1700000000.5;
    const char* invalid[] = {
        R"({"menu":[{"snippet":"x","title":""}]})",
        R"({"hotkey":"mouse:1"})",
    };
    for (const char* text : invalid) {
        SCOPED_TRACE(text);
        writeFile(configPath(), text);
        QFile::remove(QString::fromStdString(rejectedPath()));
        auto m = make();
        EXPECT_EQ(pretty(m->config()), pretty(AppConfig::defaultConfig()));
        EXPECT_EQ(readFile(configPath()), text);
        EXPECT_EQ(readFile(rejectedPath()), text);
    }
}

TEST_F(ConfigManagerTest, ValidHotkeysAreNotFlagged) {
    ConfigManager& m = *make();
    auto hotkeyErrors = [&](ActivationMode mode) {
        AppConfig c = withRoot({});
        c.activation = mode;
        return m.validate(c);
    };
    using HB = HoldBinding;
    // Key code 0 is the A key; a combination carrying a mouse button has code 0 too.
    EXPECT_TRUE(hotkeyErrors(ActivationMode::tap(HB::keyCombination({0, 0x100, std::nullopt}))).empty());
    EXPECT_TRUE(hotkeyErrors(ActivationMode::hold(HB::keyCombination({0, 0, 3}))).empty());
    EXPECT_TRUE(hotkeyErrors(ActivationMode::tap(HB::hidppButton(0xB034, 0x53))).empty());
    const std::vector<ConfigError> bad{ConfigError::invalidHotkey()};
    EXPECT_EQ(hotkeyErrors(ActivationMode::tap(HB::keyCombination({0, 0, std::nullopt}))), bad);
    EXPECT_EQ(hotkeyErrors(ActivationMode::hold(HB::mouseButton(0))), bad);
}

TEST_F(ConfigManagerTest, ValidationTextsInOrder) {
    SlotConfig emptyGroup = SlotConfig::makeGroup("", {});
    emptyGroup.title = "G";
    const SlotConfig cycling = slot(SlotType::cycling({emptyGroup, slot(SlotType::cycling({snippet("a")}), "C"),
                                                       slot(SlotType::volumeScrub(), "V")}),
                                    "Cycle");
    const SlotConfig macro = slot(SlotType::keystroke({MacroStep::text(""), MacroStep::waitForWindow(" ", std::nullopt, 500),
                                                       MacroStep::waitForWindow("\n", std::nullopt, 500)}),
                                  "");
    const SlotConfig script = slot(SlotType::script(ScriptInvocation{ScriptLanguage::shell, "\n\n"}), "S");
    const SlotConfig space = snippet(" ");
    const SlotConfig emptyCycle = slot(SlotType::cycling({}), "E");
    const SlotConfig target = slot(SlotType::profileTarget(""), "T");

    AppConfig c = withRoot({cycling, macro, script, space, emptyCycle, target});
    c.rootGroup.title = "";
    std::vector<std::string> texts;
    for (const auto& e : make()->validate(c)) texts.push_back(e.what());
    const std::vector<std::string> expected{
        "Missing required field: rootGroup.title",
        "Invalid slot configuration: Cycling slot children cannot be groups",
        "Invalid slot configuration: Cycling slots cannot be nested",
        "Invalid slot configuration: Cycling slot cannot host music-mode children",
        "Missing required field: group.title",
        "Missing required field: slot.title",
        "Invalid slot configuration: Macro text step cannot be empty",
        "Invalid slot configuration: Macro waitForWindow must specify a bundleId",
        "Invalid slot configuration: Script slot must have non-empty source",
        "Invalid slot configuration: Cycling slot must have at least one child",
        "Invalid slot configuration: Profile target slot must reference a non-empty profile name",
    };
    EXPECT_EQ(texts, expected);
    EXPECT_TRUE(make()->validate(withRoot({})).empty());  // an empty root group is valid
}

TEST_F(ConfigManagerTest, SixSlotCutAndWhenItRewritesTheFile) {
    const std::string eight = pretty(withRoot(snippets(8)));
    writeFile(configPath(), eight);
    auto m = make();
    EXPECT_EQ(m->config().rootGroup.slots.size(), 6u);
    EXPECT_EQ(readFile(configPath()), pretty(withRoot(snippets(6))));

    std::vector<SlotConfig> root = snippets(5);
    root.push_back(SlotConfig::makeGroup("Nested", snippets(8)));
    const std::string nested = pretty(withRoot(root));
    writeFile(configPath(), nested);
    m->load();
    m->flushSaves();
    EXPECT_EQ(m->config().rootGroup.slots[5].type.get<SlotType::Group>()->group->slots.size(), 6u);
    EXPECT_EQ(readFile(configPath()), nested);  // only a nested group was cut

    AppConfig perApp = withRoot({});
    perApp.setAppMenus({{"a.app", MenuGroup{Uuid::random(), "A", snippets(7), SlotIcon::automatic()}}});
    writeFile(configPath(), pretty(perApp));
    m->load();
    m->flushSaves();
    EXPECT_EQ(m->config().appMenus().at("a.app").slots.size(), 6u);
    EXPECT_NE(readFile(configPath()), pretty(perApp));
}

TEST_F(ConfigManagerTest, SavesMirrorTheActiveProfileInCallOrder) {
    auto m = make();
    m->setConfig(withRoot(snippets(1)));
    m->save();
    m->flushSaves();
    EXPECT_EQ(readFile(configPath()), pretty(withRoot(snippets(1))));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(profilePath("Work"))));

    defaults.setString(ConfigManager::kActiveProfileKey, "Work");
    m->setConfig(withRoot(snippets(2)));
    m->save();
    m->setConfig(withRoot(snippets(3)));
    m->save();
    // Loading waits for the queued saves and so reads the last one.
    m->load();
    EXPECT_EQ(m->config().rootGroup.slots.size(), 3u);
    EXPECT_EQ(readFile(profilePath("Work")), pretty(withRoot(snippets(3))));
}

TEST_F(ConfigManagerTest, RootEditsIgnoreOutOfRangeAndFullGroup) {
    auto m = make();
    m->setConfig(withRoot(snippets(4)));
    QSignalSpy changed(m.get(), &ConfigManager::configChanged);
    m->addSlot(snippet("at2"), 2);
    m->addSlot(snippet("end"), 9);
    EXPECT_EQ(m->config().rootGroup.slots[2].title, "at2");
    EXPECT_EQ(m->config().rootGroup.slots[5].title, "end");
    m->addSlot(snippet("seventh"));
    m->updateSlot(6, snippet("x"));
    m->swapSlots(3, 3);
    m->swapSlots(0, 6);
    EXPECT_EQ(changed.count(), 2);
    m->swapSlots(0, 5);
    EXPECT_EQ(m->config().rootGroup.slots[0].title, "end");
    m->updateSlot(1, snippet("new"));
    EXPECT_EQ(m->config().rootGroup.slots[1].title, "new");

    MenuGroup g{Uuid::random(), "Editor", snippets(2), SlotIcon::automatic()};
    m->setAppMenu(g, "code.app");
    EXPECT_EQ(m->config().appMenus().at("code.app").title, "Editor");
    m->setAppMenu(std::nullopt, "code.app");
    EXPECT_TRUE(m->config().appOverrides.empty());
    m->flushSaves();
    EXPECT_EQ(readFile(configPath()), pretty(m->config()));
}

TEST_F(ConfigManagerTest, PublishesWillChangeBeforeChanged) {
    auto m = make();
    std::vector<std::string> order;
    QObject::connect(m.get(), &ConfigManager::configWillChange, [&] {
        order.push_back("will:" + std::to_string(m->config().rootGroup.slots.size()));
    });
    QObject::connect(m.get(), &ConfigManager::configChanged, [&] {
        order.push_back("did:" + std::to_string(m->config().rootGroup.slots.size()));
    });
    m->setConfig(withRoot(snippets(2)));
    EXPECT_EQ(order, (std::vector<std::string>{"will:6", "did:2"}));
}

TEST_F(ConfigManagerTest, ProfileSwitchingAndDefaults) {
    auto m = make();
    // A missing profile changes nothing.
    m->setConfig(withRoot(snippets(1)));
    try {
        m->switchToProfile("Nope");
        FAIL();
    } catch (const ProfileStoreError& e) {
        EXPECT_EQ(e, ProfileStoreError(ProfileStoreError::Kind::notFound, "Nope"));
    }
    EXPECT_FALSE(m->activeProfile());
    EXPECT_EQ(m->config().rootGroup.slots.size(), 1u);

    // Ensuring the default profile creates "Default" from the live configuration.
    m->ensureDefaultProfile();
    EXPECT_EQ(m->activeProfile(), "Default");
    EXPECT_EQ(readFile(profilePath("Default")), pretty(withRoot(snippets(1))));
    m->ensureDefaultProfile();
    EXPECT_EQ(m->profileStore().list(), std::vector<std::string>{"Default"});

    // Switching to a profile of eight root slots publishes six and rewrites it.
    writeFile(profilePath("Big"), pretty(withRoot(snippets(8))));
    m->switchToProfile("Big");
    m->flushSaves();
    EXPECT_EQ(m->activeProfile(), "Big");
    EXPECT_EQ(m->config().rootGroup.slots.size(), 6u);
    EXPECT_EQ(readFile(profilePath("Big")), pretty(withRoot(snippets(6))));

    try {
        m->deleteProfile("Big");
        FAIL();
    } catch (const ProfileMutationError& e) {
        EXPECT_STREQ(e.what(), "Cannot delete \"Big\" while it's the active profile. Switch to another profile first.");
    }
    m->deleteProfile("Default");
    EXPECT_EQ(m->profileStore().list(), std::vector<std::string>{"Big"});
}

TEST_F(ConfigManagerTest, ProfileIcons) {
    auto m = make();
    const SlotIcon star = SlotIcon::monogram("★");
    // No profile at all: the live configuration takes the icon.
    m->setProfileIcon("Default", star);
    EXPECT_EQ(m->config().profileIcon, star);
    EXPECT_TRUE(m->profileStore().list().empty());

    m->ensureDefaultProfile();
    writeFile(profilePath("Other"), pretty(withRoot(snippets(2))));
    m->setProfileIcon("Other", SlotIcon::monogram("O"));
    EXPECT_EQ(m->config().profileIcon, star);  // an inactive profile leaves the live one alone
    EXPECT_EQ(m->profileStore().load("Other").profileIcon, SlotIcon::monogram("O"));

    m->setProfileIcon("Default", SlotIcon::monogram("D"));
    EXPECT_EQ(m->config().profileIcon, SlotIcon::monogram("D"));
    m->flushSaves();
    EXPECT_EQ(m->profileStore().load("Default").profileIcon, SlotIcon::monogram("D"));

    // A missing profile is made from the live configuration.
    m->setProfileIcon("Fresh", SlotIcon::monogram("F"));
    EXPECT_EQ(m->profileStore().load("Fresh").rootGroup.slots.size(), m->config().rootGroup.slots.size());

    // A profile that exists but cannot be read is reported and left as it is.
    writeFile(profilePath("Broken"), "{broken");
    EXPECT_THROW(m->setProfileIcon("Broken", star), ProfileStoreError);
    EXPECT_EQ(readFile(profilePath("Broken")), "{broken");
}

TEST(CyclingIndexStore, PositionsFollowTheChildrenContent) {
    fakes::FakeKeyValueStore defaults;
    fakes::FakeMainQueue queue;
    platform::MainQueue::setShared(&queue);
    CyclingIndexStore store(&defaults);
    QSignalSpy changed(&store, &CyclingIndexStore::changed);

    std::vector<SlotConfig> children{snippet("a"), snippet("b"), snippet("c")};
    EXPECT_EQ(store.currentIndex(children), 0);
    store.advance(children);
    EXPECT_EQ(store.currentIndex(children), 1);
    EXPECT_EQ(changed.count(), 0);  // announced on the GUI queue, not inline
    queue.runAll();
    EXPECT_EQ(changed.count(), 1);
    store.advance(children);
    store.advance(children);
    EXPECT_EQ(store.currentIndex(children), 0);

    // Titles and icons do not matter; kinds, payloads, scope and order do.
    auto renamed = children;
    renamed[0].title = "Other";
    renamed[1].icon = SlotIcon::monogram("X");
    EXPECT_EQ(CyclingIndexStore::childrenKey(renamed), CyclingIndexStore::childrenKey(children));
    auto scoped = children;
    scoped[2].scope = SlotScope::app("x.app");
    EXPECT_NE(CyclingIndexStore::childrenKey(scoped), CyclingIndexStore::childrenKey(children));
    auto reordered = children;
    std::swap(reordered[0], reordered[1]);
    EXPECT_NE(CyclingIndexStore::childrenKey(reordered), CyclingIndexStore::childrenKey(children));

    // The key is pinned: it must never change between builds or machines.
    EXPECT_EQ(CyclingIndexStore::childrenKey(children),
              "423d040a3d974e9ac287091f7fd1cd4925ed56d2092db7c6753124b626313edc");
    const std::string key = std::string(CyclingIndexStore::kDefaultsPrefix) + CyclingIndexStore::childrenKey(children);
    defaults.setInteger(key, 7);
    EXPECT_EQ(store.currentIndex(children), 1);
    store.advance(children);
    EXPECT_EQ(defaults.integer(key), 2);
    defaults.setInteger(key, -1);
    EXPECT_EQ(store.currentIndex(children), 2);
    defaults.setInteger(key, INT64_MAX);
    store.advance(children);
    EXPECT_EQ(*defaults.integer(key), (INT64_MAX % 3 + 1) % 3);

    // No children: index 0, nothing written, nothing announced.
    queue.runAll();
    const int before = changed.count();
    const auto stored = defaults.integers.size();
    store.advance({});
    queue.runAll();
    EXPECT_EQ(store.currentIndex({}), 0);
    EXPECT_EQ(changed.count(), before);
    EXPECT_EQ(defaults.integers.size(), stored);
    platform::MainQueue::setShared(nullptr);
}
