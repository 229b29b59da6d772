#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <cmath>
#include <numbers>

#include "dial/dial_geometry.h"
#include "dial/dial_painter.h"
#include "dial/radial_menu_controller.h"
#include "dial_fixture.h"
#include "fakes/fake_dial_surface.h"
#include "fakes/log_capture.h"

using namespace orbel;
using orbel::testing::apps;

namespace {

constexpr QPointF kCentre{960, 540};

// The global point `r` from the dial's centre in the direction of wedge i of n.
QPointF towards(int i, int n, double r = 150) {
    const double a = i * 2 * std::numbers::pi / n;
    return kCentre + QPointF(r * std::sin(a), -r * std::cos(a));
}

// A music slot: transport, or the volume wedge.
class FakeSlot : public VolumeLevelSlot {
public:
    explicit FakeSlot(SlotType t) : type_(std::move(t)) {}
    Uuid id() const override { return id_; }
    std::string title() const override { return "fake"; }
    SlotImage icon() const override { return {}; }
    const SlotType& type() const override { return type_; }
    void execute(DialController*) override { ++runs; }
    double currentLevel() const override { return 0.5; }
    bool isMuted() const override { return false; }
    int runs = 0;

private:
    Uuid id_ = Uuid::random();
    SlotType type_;
};

// Play, next, volume (straight below), previous.
class FakeProvider : public DialModeProvider {
public:
    std::vector<MenuSlotPtr> slots() const override { return list; }
    CenterContent currentCenterContent() const override { return centre; }
    void activate() override { calls.push_back("activate"); }
    void deactivate() override { calls.push_back("deactivate"); }

    std::shared_ptr<FakeSlot> play = std::make_shared<FakeSlot>(SlotType::transport(TransportCommand::toggle));
    std::vector<MenuSlotPtr> list{play, std::make_shared<FakeSlot>(SlotType::transport(TransportCommand::next)),
                                  std::make_shared<FakeSlot>(SlotType::volumeScrub()),
                                  std::make_shared<FakeSlot>(SlotType::transport(TransportCommand::prev))};
    CenterContent centre = CenterContent::albumArt(nullptr, "Song", "Band", true);
    std::vector<std::string> calls;
};

class FakeVolume : public SystemVolumeController {
public:
    double level() const override { return current; }
    bool isMuted() const override { return muted; }
    void setLevel(double l) override { current = l; }
    void setMute(bool m) override { muted = m; }
    void startObserving() override {}
    void stopObserving() override {}
    double current = 0.5;
    bool muted = false;
};

class DialTest : public orbel::testing::DialConfigFixture {
protected:
    DialTest() : DialConfigFixture("root") { dial.modeProviderRegistry[DialMode::music] = {&provider, &volume}; }
    std::vector<Uuid> slotIds() const {
        std::vector<Uuid> ids;
        for (const auto& s : dial.currentSlots()) ids.push_back(s->id());
        return ids;
    }
    static std::vector<Uuid> ids(const std::vector<SlotConfig>& configs) {
        std::vector<Uuid> out;
        for (const auto& c : configs) out.push_back(c.id);
        return out;
    }
    std::vector<std::string> signposts() const {
        std::vector<std::string> names;
        for (const auto& line : logs.lines()) {
            const auto words = QString::fromStdString(line.text).split(' ');
            std::string name = words.value(1).toStdString();
            if (words.value(2).startsWith("slot=")) name += " " + words.value(2).toStdString();
            names.push_back(name);
        }
        return names;
    }
    // Shows the dial with the pointer on wedge i of the root.
    void showOn(int i) {
        surface.pointer = towards(i, static_cast<int>(manager.config().rootGroup.slots.size()));
        dial.show();
    }

    fakes::FakeDialSurface surface;
    FakeProvider provider;
    FakeVolume volume;
    RadialMenuController dial{&manager, surface};
    fakes::LogCapture logs;
};

TEST(DialGeometry, SlotIndexAtExactBordersRoundsClockwise) {
    const double pi = std::numbers::pi;
    // (n, clockwise angle from up, wedge)
    const std::vector<std::tuple<int, double, int>> cases = {
        {1, 0, 0},          {1, pi, 0},           {2, pi / 2, 1},      {2, 3 * pi / 2, 0},
        {3, pi / 3, 1},     {3, 5 * pi / 3, 0},   {4, pi / 4, 1},      {4, 7 * pi / 4, 0},
        {5, pi / 5, 1},     {5, 9 * pi / 5, 0},   {6, pi / 2, 2},      {6, 3 * pi / 2, 5},
        {6, pi, 3},         {6, 11 * pi / 6, 0},  {6, 2 * pi, 0},      {6, pi / 2 - 1e-9, 1}};
    for (auto [n, a, wedge] : cases) EXPECT_EQ(dial::slotIndexForAngle(a, n), wedge) << n << " " << a;
    EXPECT_EQ(dial::slotIndexForAngle(1, 0), -1);
    // Points in y-down panel space about (100, 100): up, the 3 and 9 o'clock
    // borders, just left of up, and the centre itself.
    const QPointF c(100, 100);
    const std::vector<std::tuple<QPointF, int, int>> points = {
        {{100, 0}, 6, 0}, {{200, 100}, 6, 2}, {{100, 200}, 6, 3}, {{0, 100}, 6, 5}, {{90, 0}, 6, 0}, {c, 6, 2}, {c, 4, 1}};
    for (auto [p, n, wedge] : points) EXPECT_EQ(dial::slotIndex(p, c, n), wedge) << p.x() << "," << p.y() << " of " << n;
    EXPECT_NEAR(dial::wedgeChord(200, 6), 200.0, 1e-9);
}

TEST_F(DialTest, ShowAndHideAreIdempotentAndSignpostInOrder) {
    showOn(1);
    dial.show();
    EXPECT_TRUE(dial.isVisible());
    EXPECT_EQ(dial.highlightedIndex(), 1);  // highlighted before any movement
    EXPECT_EQ(surface.cursorDepth, 1);
    dial.hide();
    dial.hide();
    EXPECT_EQ(signposts(), (std::vector<std::string>{"ShowMenuStart", "HoverUpdated slot=1", "ShowMenuVisible",
                                                     "HideMenuStart", "HideMenuComplete"}));
    EXPECT_EQ(surface.calls, (std::vector<std::string>{"present", "grabKeyboard", "releaseKeyboard", "dismiss"}));
    EXPECT_EQ(surface.cursorDepth, 0);
    EXPECT_EQ(dial.highlightedIndex(), -1);
}

TEST_F(DialTest, WithoutConfigurationTheLevelStaysAndEscapeClosesOrGoesBack) {
    RadialMenuController orphan(nullptr, surface);
    orphan.loadSlots(apps("root", 2));
    orphan.show();
    EXPECT_TRUE(orphan.isVisible());
    orphan.pushGroup(MenuGroup{Uuid::random(), "G", apps("g", 3), {}});
    EXPECT_FALSE(surface.button(1));
    EXPECT_TRUE(surface.key(53));
    EXPECT_EQ(orphan.currentSlots().size(), 2u);
    EXPECT_TRUE(surface.key(53));
    EXPECT_FALSE(orphan.isVisible());
    EXPECT_EQ(orphan.currentSlots().size(), 2u);  // nothing to reload from
}

TEST_F(DialTest, OverlayOnThePointersScreenCatchersOnTheOthers) {
    surface.screenList = {{0, QRect(0, 0, 1920, 1080)}, {1, QRect(1920, 0, 1280, 1024)}, {2, QRect(-800, 0, 800, 600)}};
    surface.pointer = {2000, 10};
    dial.show();
    EXPECT_EQ(surface.overlay->index, 1);
    ASSERT_EQ(surface.catchers.size(), 2u);
    EXPECT_EQ(surface.catchers[0].index, 0);
    EXPECT_EQ(surface.catchers[1].index, 2);
    EXPECT_EQ(dial.hoverState().centerPoint, QPointF(640, 512));
    EXPECT_EQ(dial.hoverState().cursorPosition, QPointF(80, 10));
    dial.hide();

    surface.pointer = {5000, 5000};  // on no screen: the main one
    dial.show();
    EXPECT_EQ(surface.overlay->index, 0);
    dial.hide();

    surface.screenList.clear();
    dial.show();
    EXPECT_FALSE(dial.isVisible());
}

TEST_F(DialTest, PerAppOverrideRoots) {
    AppOverride withSlots;
    withSlots.slots = apps("app", 3);
    AppOverride bigRadius;
    bigRadius.menuRadius = 5000;
    AppOverride smallRadius;
    smallRadius.menuRadius = 10;
    configure([&](AppConfig& c) {
        c.appOverrides = {{"with.slots", withSlots}, {"big", bigRadius}, {"small", smallRadius}};
    });
    const auto root = ids(manager.config().rootGroup.slots);
    struct Case {
        std::optional<std::string> front;
        MenuRootSelection selection;
        double radius;
        bool appRoot;
    };
    for (const Case& c : std::vector<Case>{{"with.slots", MenuRootSelection::app, 200, true},
                                           // 5000 is read as 1000, which is drawn at the
                                           // largest radius whose ring and titles fit
                                           // 1920 × 1080: half the height less the pills.
                                           {"big", MenuRootSelection::defaultRoot, 508, false},
                                           {"small", MenuRootSelection::defaultRoot, 50, false},
                                           {"other", MenuRootSelection::defaultRoot, 200, false},
                                           {std::nullopt, MenuRootSelection::defaultRoot, 200, false}}) {
        SCOPED_TRACE(c.front.value_or("none"));
        workspace.front = c.front ? std::optional(platform::RunningApplication{1, *c.front}) : std::nullopt;
        dial.show();
        EXPECT_EQ(dial.previousFrontmostBundleId(), c.front);
        EXPECT_EQ(dial.menuRootSelection(), c.selection);
        EXPECT_EQ(dial.menuRadius(), c.radius);
        EXPECT_EQ(slotIds(), c.appRoot ? ids(*withSlots.slots) : root);
        // Tab switches roots only when there is an application root, and resets the highlight.
        EXPECT_TRUE(surface.key(48, modifier::kShift));
        EXPECT_EQ(slotIds(), root);
        EXPECT_EQ(dial.highlightedIndex(), c.appRoot ? -1 : dial.highlightedIndex());
        EXPECT_TRUE(surface.key(48));
        EXPECT_EQ(slotIds(), c.appRoot ? ids(*withSlots.slots) : root);
        dial.hide();
        EXPECT_EQ(slotIds(), root);
        EXPECT_EQ(dial.menuRootSelection(), MenuRootSelection::defaultRoot);
    }
}

TEST_F(DialTest, AnAppDialWithoutSlotsShowsTheDefaultSlotsAtItsOwnSize) {
    AppOverride empty;
    empty.slots = std::vector<SlotConfig>{};  // just added: no slots yet
    empty.menuRadius = 120;
    configure([&](AppConfig& c) { c.appOverrides["xterm"] = empty; });
    workspace.front = platform::RunningApplication{1, "xterm"};
    dial.show();
    EXPECT_EQ(slotIds(), ids(manager.config().rootGroup.slots));
    EXPECT_EQ(dial.menuRootSelection(), MenuRootSelection::defaultRoot);
    EXPECT_EQ(dial.menuRadius(), 120);
    EXPECT_TRUE(surface.key(48));  // Tab has no second root to go to
    EXPECT_EQ(slotIds(), ids(manager.config().rootGroup.slots));
    dial.hide();
    EXPECT_EQ(manager.config().appOverrides.at("xterm"), empty);  // the stored dial stays as it is
}

TEST_F(DialTest, HideReloadsTheLiveRootAndResetsMode) {
    showOn(0);
    dial.setMode(DialMode::music);
    configure([](AppConfig& c) { c.rootGroup.slots = apps("new", 2); });
    dial.hide();
    EXPECT_EQ(slotIds(), ids(manager.config().rootGroup.slots));
    EXPECT_EQ(dial.mode(), DialMode::standard);
    EXPECT_EQ(dial.centerContent(), CenterContent::appLogo());
    EXPECT_EQ(provider.calls, (std::vector<std::string>{"activate", "deactivate"}));
    dial.show();
    EXPECT_EQ(dial.mode(), DialMode::standard);
}

TEST_F(DialTest, GroupsPushBackAndCloseRestoringTheRootAsConfigured) {
    const SlotIcon custom = SlotIcon::monogram("AB");
    MenuGroup inner{Uuid::random(), "Inner", apps("in", 2), SlotIcon::automatic()};
    // A user group titled "Root" is an ordinary group.
    MenuGroup userRoot{Uuid::random(), "Root", {SlotConfig::make(SlotType::group(inner), "Inner")}, SlotIcon::automatic()};
    configure([&](AppConfig& c) {
        c.rootGroup.slots[0] = SlotConfig::make(SlotType::group(userRoot), "Root");
        // A kind whose configured icon would be lost if the root were rebuilt from live slots.
        c.rootGroup.slots[1] = SlotConfig::make(SlotType::modeSwitch(DialMode::standard), "Std", custom);
    });
    const auto rootConfigs = manager.config().rootGroup.slots;
    showOn(0);
    surface.click(towards(0, 6));  // ring click on the group: opens, stays
    ASSERT_TRUE(dial.isVisible());
    EXPECT_EQ(dial.currentGroup()->title, "Root");
    EXPECT_EQ(dial.highlightedIndex(), -1);
    dial.moveHighlight(1);
    surface.key(36);  // Return fires the inner group
    EXPECT_EQ(dial.currentGroup()->title, "Inner");
    EXPECT_TRUE(surface.click(kCentre));  // hub click inside a group goes back
    ASSERT_TRUE(dial.currentGroup().has_value());
    EXPECT_EQ(dial.currentGroup()->id, userRoot.id);
    surface.key(53);
    EXPECT_FALSE(dial.currentGroup().has_value());
    EXPECT_EQ(slotIds(), ids(rootConfigs));
    EXPECT_EQ(dial.currentSlots()[1]->icon().icon, custom);
    surface.key(53);
    EXPECT_FALSE(dial.isVisible());
}

TEST_F(DialTest, Clicks) {
    configure([](AppConfig& c) {
        c.rootGroup.slots[2] = SlotConfig::make(SlotType::group(MenuGroup{Uuid::random(), "G", apps("g", 1), {}}), "G");
    });
    struct Case {
        QPointF at;
        DialClickTarget target;
        bool consumed;
        bool visible;
        std::vector<std::string> launches;
    };
    const QPointF hubEdge = kCentre + QPointF(0, -64.0), ringEdge = kCentre + QPointF(0, -64.01);
    for (const Case& c : std::vector<Case>{
             {towards(1, 6), DialClickTarget::overlay, true, false, {"launch root1"}},
             {towards(2, 6), DialClickTarget::overlay, true, true, {}},  // group
             {hubEdge, DialClickTarget::overlay, true, false, {"launch root0"}},
             {ringEdge, DialClickTarget::overlay, true, false, {"launch root0"}},
             {towards(4, 6), DialClickTarget::ownWindow, true, false, {"launch root4"}},
             {towards(5, 6), DialClickTarget::foreignWindow, false, false, {"launch root5"}}}) {
        workspace.calls.clear();
        dial.show();
        EXPECT_EQ(surface.click(c.at, c.target), c.consumed);
        EXPECT_EQ(dial.isVisible(), c.visible);
        EXPECT_EQ(workspace.calls, c.launches);
        dial.hide();
    }
    // Exactly on the hub's edge inside a group goes back; just past it fires.
    dial.show();
    dial.pushGroup(MenuGroup{Uuid::random(), "G", apps("root", 1), {}});
    surface.click(hubEdge);
    EXPECT_FALSE(dial.currentGroup().has_value());
    // No slots: a click closes.
    dial.loadSlots({});
    surface.click(towards(0, 6));
    EXPECT_FALSE(dial.isVisible());
}

// Opened before the installed applications have been read, the dial draws
// no slot as missing, and draws the level again once they have been.
TEST_F(DialTest, BeforeTheApplicationsAreReadNoSlotIsMissing) {
    configure([](AppConfig& c) { c.rootGroup.slots[1] = SlotConfig::make(SlotType::app("com.apple.Safari"), "Safari"); });
    workspace.known = false;
    showOn(1);
    const MenuSlot& early = *dial.currentSlots()[1];
    EXPECT_EQ(early.title(), "Safari");
    EXPECT_FALSE(early.icon().unavailable);
    int redrawn = 0;
    QObject::connect(&dial, &RadialMenuController::slotsChanged, [&] { ++redrawn; });
    workspace.becomeKnown();
    EXPECT_EQ(redrawn, 1);
    EXPECT_EQ(dial.currentSlots()[1]->title(), "Web Browser");
    EXPECT_TRUE(dial.currentSlots()[1]->icon().unavailable);
}

TEST_F(DialTest, KeyRules) {
    bool settings = false;
    dial.onOpenSettingsRequested = [&] { settings = true; };
    const KeyCombination backspace{51, 0, std::nullopt};
    const KeyCombination escape{53, 0, std::nullopt};
    const KeyCombination mouse4{0, 0, 3};  // a control bound to a mouse button
    struct Case {
        const char* name;
        KeyCombination close, back;
        bool inGroup;
        std::uint16_t key;
        std::uint32_t mods;
        std::string text;
        bool consumed, visible, stillInGroup;
        int highlight;  // after; the dial starts on wedge 3
    };
    const std::uint32_t shift = modifier::kShift, ctrl = modifier::kControl, cmd = modifier::kCommand;
    const std::vector<Case> cases = {
        {"back key in group", escape, backspace, true, 51, 0, "", true, true, false, -1},
        {"back key at root passes", escape, backspace, false, 51, 0, "", false, true, false, 3},
        {"close key", escape, backspace, true, 53, 0, "", true, false, false, -1},
        {"same key backs first", escape, escape, true, 53, 0, "", true, true, false, -1},
        {"close with modifiers", KeyCombination{12, cmd, {}}, escape, false, 12, cmd, "", true, false, false, -1},
        {"modifiers must match", KeyCombination{12, cmd, {}}, backspace, false, 12, 0, "", false, true, false, 3},
        {"escape keeps its meaning", KeyCombination{12, cmd, {}}, backspace, true, 53, shift, "", true, true, false, -1},
        {"A never matches a mouse control", mouse4, mouse4, true, 0, 0, "a", false, true, true, -1},
        {"down is next", escape, escape, false, 125, 0, "", true, true, false, 4},
        {"up is previous", escape, escape, false, 126, 0, "", true, true, false, 2},
        {"shifted arrow passes", escape, escape, false, 124, shift, "", false, true, false, 3},
        {"return fires", escape, escape, false, 36, 0, "", true, false, false, -1},
        {"enter fires", escape, escape, false, 76, 0, "", true, false, false, -1},
        {"shift return passes", escape, escape, false, 36, shift, "", false, true, false, 3},
        {"ctrl comma", escape, escape, false, 43, ctrl, ",", true, true, false, 3},
        {"ctrl shift comma passes", escape, escape, false, 43, ctrl | shift, ",", false, true, false, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        configure([&](AppConfig& a) { a.controls = {c.close, c.back}; });
        workspace.calls.clear();
        settings = false;
        showOn(3);
        if (c.inGroup) dial.pushGroup(MenuGroup{Uuid::random(), "G", apps("root", 6), {}});
        EXPECT_EQ(surface.key(c.key, c.mods, c.text), c.consumed);
        EXPECT_EQ(dial.isVisible(), c.visible);
        EXPECT_EQ(dial.currentGroup().has_value(), c.stillInGroup);
        EXPECT_EQ(dial.highlightedIndex(), c.highlight);
        EXPECT_EQ(settings, std::string(c.name) == "ctrl comma");
        EXPECT_EQ(!workspace.calls.empty(), (c.key == 36 || c.key == 76) && c.mods == 0);
        dial.hide();
    }
}

TEST_F(DialTest, ArrowsWrapAndStartAtTheEnds) {
    showOn(0);
    dial.pushGroup(MenuGroup{Uuid::random(), "G", apps("root", 3), {}});  // no highlight
    surface.key(124);
    EXPECT_EQ(dial.highlightedIndex(), 0);
    dial.goBack();
    surface.key(123);
    EXPECT_EQ(dial.highlightedIndex(), 5);
    surface.key(124);
    EXPECT_EQ(dial.highlightedIndex(), 0);
    surface.key(48);  // Tab with no application root: nothing
    EXPECT_EQ(dial.highlightedIndex(), 0);
    // Settings chord without a callback is still swallowed.
    EXPECT_TRUE(surface.key(43, modifier::kControl, ","));
    EXPECT_TRUE(dial.isVisible());
}

TEST_F(DialTest, MouseButtonControls) {
    configure([](AppConfig& c) { c.controls = {KeyCombination{0, 0, 4}, KeyCombination{0, 0, 3}}; });
    showOn(0);
    EXPECT_FALSE(surface.button(3));  // back at the root: passed on
    dial.pushGroup(MenuGroup{Uuid::random(), "G", apps("root", 2), {}});
    EXPECT_TRUE(surface.button(3));
    EXPECT_FALSE(dial.currentGroup().has_value());
    EXPECT_FALSE(surface.button(2));
    EXPECT_TRUE(surface.button(4));
    EXPECT_FALSE(dial.isVisible());
}

TEST_F(DialTest, HoldRelease) {
    configure([](AppConfig& c) {
        c.rootGroup.slots[0] = SlotConfig::make(SlotType::group(MenuGroup{Uuid::random(), "G", apps("root", 2), {}}), "G");
    });
    dial.openedViaHold = true;
    showOn(0);
    dial.holdRelease();
    EXPECT_TRUE(dial.isVisible());
    EXPECT_EQ(dial.currentGroup()->title, "G");
    EXPECT_FALSE(dial.openedViaHold);
    dial.moveHighlight(1);
    dial.holdRelease();  // the hold has ended: nothing
    EXPECT_TRUE(dial.isVisible());
    dial.hide();

    dial.openedViaHold = true;
    showOn(1);
    dial.holdRelease();
    EXPECT_FALSE(dial.isVisible());
    EXPECT_EQ(workspace.calls, std::vector<std::string>{"launch root1"});

    dial.openedViaHold = true;
    showOn(1);
    dial.loadSlots({});
    dial.holdRelease();
    EXPECT_FALSE(dial.isVisible());
}

// A level opened while the hold lasts (the profile list) starts with nothing
// lit; the release looks at the pointer again only when it moved.
TEST_F(DialTest, AHoldReleaseWhereThePointerRestsFiresNothingOnTheNewLevel) {
    for (const bool moved : {false, true}) {
        dial.openedViaHold = true;
        showOn(1);
        dial.pushGroup(MenuGroup{Uuid::random(), "List", apps("root", 6), {}});
        ASSERT_EQ(dial.highlightedIndex(), -1);
        if (moved) surface.pointer = towards(3, 6);
        dial.holdRelease();
        EXPECT_FALSE(dial.isVisible()) << moved;
    }
    EXPECT_EQ(workspace.calls, std::vector<std::string>{"launch root3"});
}

// Only a move lights a wedge: a report where the pointer rests (Qt makes
// one up before the second press of a held button) leaves the new level
// unlit, so its release fires nothing, and leaves the keyboard's wedge lit.
TEST_F(DialTest, AReportWhereThePointerRestsLightsNothing) {
    dial.openedViaHold = true;
    showOn(1);
    dial.pushGroup(MenuGroup{Uuid::random(), "List", apps("root", 6), {}});
    surface.moveTo(surface.pointer);
    surface.moveTo(surface.pointer + QPointF(0.5, -0.5));  // the same place, differently rounded
    EXPECT_EQ(dial.highlightedIndex(), -1);
    dial.moveHighlight(1);
    surface.moveTo(surface.pointer);
    EXPECT_EQ(dial.highlightedIndex(), 0);
    surface.moveTo(towards(3, 6));
    EXPECT_EQ(dial.highlightedIndex(), 3);

    dial.pushGroup(MenuGroup{Uuid::random(), "List", apps("list", 6), {}});
    surface.moveTo(surface.pointer);
    dial.holdRelease();
    EXPECT_FALSE(dial.isVisible());
    EXPECT_TRUE(workspace.calls.empty());
}

TEST_F(DialTest, MusicMode) {
    AppOverride override;
    override.slots = apps("app", 2);
    configure([&](AppConfig& c) { c.appOverrides["ed"] = override; });
    workspace.front = platform::RunningApplication{1, "ed"};
    surface.pointer = towards(2, 4);
    dial.show();
    dial.setMode(DialMode::music);
    dial.setMode(DialMode::music);  // same mode, same provider: nothing
    EXPECT_EQ(provider.calls, std::vector<std::string>{"activate"});
    EXPECT_EQ(dial.currentSlots(), provider.list);
    EXPECT_EQ(dial.highlightedIndex(), 2);
    EXPECT_EQ(dial.centerContent(), provider.centre);

    EXPECT_TRUE(surface.key(48));  // Tab is ignored in music mode
    EXPECT_EQ(dial.currentSlots(), provider.list);

    provider.centre = CenterContent::albumArt(nullptr, "Next song", "Band", false);
    provider.list.pop_back();
    Q_EMIT provider.changed();
    QCoreApplication::processEvents();
    EXPECT_EQ(dial.currentSlots().size(), 3u);
    EXPECT_EQ(dial.centerContent(), provider.centre);

    surface.key(36);  // the volume slot fired by key: stays open
    EXPECT_TRUE(dial.isVisible());

    dial.setMode(DialMode::standard);  // the live root, not the application root
    EXPECT_EQ(provider.calls, (std::vector<std::string>{"activate", "deactivate"}));
    EXPECT_EQ(slotIds(), ids(manager.config().rootGroup.slots));
    EXPECT_EQ(dial.centerContent(), CenterContent::appLogo());
    Q_EMIT provider.changed();  // after leaving: ignored
    QCoreApplication::processEvents();
    EXPECT_EQ(slotIds(), ids(manager.config().rootGroup.slots));

    dial.setMode(DialMode::music);
    surface.key(123);
    surface.key(123);  // previous... then play
    EXPECT_EQ(dial.highlightedIndex(), 0);
    surface.key(36);  // transport: fires and closes
    EXPECT_EQ(provider.play->runs, 1);
    EXPECT_FALSE(dial.isVisible());

    dial.show();
    dial.setMode(DialMode::music);
    surface.click(kCentre);  // hub click in music mode closes
    EXPECT_FALSE(dial.isVisible());
}

// A 1920 × 1080 monitor at twice the density is 960 × 540 points: the
// standard dial keeps its 200 points there, the music dial draws its ring
// small enough for the track caption under it to stay on the screen, and
// goes back to 200 when it leaves music mode.
TEST_F(DialTest, TheMusicDialKeepsItsCaptionOnASmallScreen) {
    surface.screenList = {DialScreen{0, QRect(0, 0, 960, 540)}};
    dial.show();
    EXPECT_EQ(dial.menuRadius(), 200);
    dial.setMode(DialMode::music);
    dial::DialViewState state;
    state.menuRadius = dial.menuRadius();
    state.centre.kind = dial::CenterKind::AlbumArt;
    state.centre.title = "A Title";
    state.centre.artist = "An Artist";
    const QRectF caption = dial::trackCaptionBox(QPointF(480, 270), state, QFont());
    EXPECT_LT(dial.menuRadius(), 200);
    EXPECT_LE(caption.bottom(), 540);
    EXPECT_GT(caption.top(), 270 + dial.menuRadius());  // still under the ring
    QImage screen(QSize(960, 540) * 2, QImage::Format_RGB32);
    screen.setDevicePixelRatio(2);
    screen.fill(Qt::white);
    {
        QPainter p(&screen);
        dial::paintDial(p, QPointF(480, 270), state);
    }
    QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts/dial");
    EXPECT_TRUE(screen.save(ORBEL_BINARY_DIR "/test-artifacts/dial/music-dial-960x540-at-2x.png"));
    dial.setMode(DialMode::standard);
    EXPECT_EQ(dial.menuRadius(), 200);
}

TEST_F(DialTest, VolumeDrag) {
    const QPointF press = towards(2, 4);  // the volume wedge, straight below
    struct Case {
        std::vector<QPointF> moves;  // relative to the press; the last is the release
        std::vector<double> levels;  // published while dragging
        bool muted;
    };
    const std::vector<Case> cases = {
        {{{0, 0}}, {}, true},
        {{{3, 0}}, {}, true},
        {{{141.42, 0}, {300, 0}, {-141.42, 0}, {-141.42, 0}}, {1.0, 1.0, 0.0}, false},
        {{{70.71, 0}, {70.71, 0}}, {0.75}, false},
        {{{0, 120}, {0, 120}}, {0.5}, false},
    };
    for (const Case& c : cases) {
        volume.current = 0.5;
        volume.muted = false;
        surface.pointer = press;
        dial.show();
        dial.setMode(DialMode::music);
        EXPECT_NEAR(dial.volumeWedgeWidth(), 282.84, 0.01);
        EXPECT_TRUE(surface.click(press));
        EXPECT_TRUE(dial.isVisible());
        EXPECT_TRUE(dial.isVolumeDragging());
        for (std::size_t i = 0; i + 1 < c.moves.size(); ++i) {
            surface.drag(press + c.moves[i]);
            EXPECT_NEAR(*dial.draggedVolume(), c.levels[i], 1e-4);
            EXPECT_NEAR(volume.current, c.levels[i], 1e-4);
        }
        surface.release(press + c.moves.back());
        EXPECT_EQ(volume.muted, c.muted);
        EXPECT_FALSE(dial.isVolumeDragging());
        EXPECT_FALSE(dial.draggedVolume().has_value());
        EXPECT_FALSE(dial.isVisible());
    }
    // Hide during a drag ends it; a later release does nothing.
    dial.show();
    dial.setMode(DialMode::music);
    surface.click(press);
    dial.hide();
    EXPECT_FALSE(dial.isVolumeDragging());
    surface.release(press);
    EXPECT_FALSE(volume.muted);
    // A click on another screen with the volume wedge highlighted is passed on.
    dial.show();
    dial.setMode(DialMode::music);
    EXPECT_FALSE(surface.click(press, DialClickTarget::ownWindow));
    EXPECT_TRUE(dial.isVisible());
    // Standard dial: no volume controller, no drag.
    dial.setMode(DialMode::standard);
    dial.beginVolumeDrag();
    EXPECT_FALSE(dial.isVolumeDragging());
}

}  // namespace
