#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTest>
#include <set>

#include "config/profile_list.h"
#include "dial/dial_painter.h"
#include "dial/radial_menu_controller.h"
#include "dial/radial_menu_view.h"
#include "dial/wedge_geometry.h"
#include "dial_fixture.h"
#include "fakes/fake_dial_surface.h"
#include "slots/slot_factory.h"

// The dial's list of profiles: each wedge shows its own profile's icon, and
// a long profile name is cut to the dial's width instead of spilling.

using namespace orbel;

namespace {

class ProfileListTest : public orbel::testing::DialConfigFixture {
protected:
    ProfileListTest() : DialConfigFixture("App ") {
        ConfigManager::setCurrent(&manager);
        const std::vector<std::pair<std::string, SlotIcon>> profiles{
            {"Home", SlotIcon::symbolPack(IconPack{"sf"}, "house")},
            {"Work", SlotIcon::symbolPack(IconPack{"sf"}, "folder")},
            {"Music", SlotIcon::symbolPack(IconPack{"sf"}, "music.note")},
            {"Games", SlotIcon::monogram("G", "#E0457B")},
            {"Writing", SlotIcon::symbolPack(IconPack{"sf"}, "pencil")},
            {kLongName, SlotIcon::monogram("L", "#3B82F6")},
        };
        for (const auto& [name, icon] : profiles) {
            AppConfig c = manager.config();
            c.profileIcon = icon;
            manager.profileStore().save(c, name);
        }
        configure([](AppConfig& c) { c.rootGroup.slots = {SlotConfig::make(SlotType::profileSwitch(), "Profiles")}; });
        dial.show();
        dial.currentSlots().front()->execute(&dial);
        view.setController(&dial);
        view.resize(520, 520);
    }
    ~ProfileListTest() override {
        dial.hide();
        ConfigManager::setCurrent(nullptr);
    }

    // Opens the list again, as the dial's profile slot does: name -> icon.
    std::map<std::string, SlotIcon> reopen() {
        dial.hide();
        dial.show();
        dial.currentSlots().front()->execute(&dial);
        std::map<std::string, SlotIcon> shown;
        for (const auto& slot : dial.currentSlots()) shown[slot->title()] = slot->icon().icon;
        return shown;
    }
    static bool settle(const ProfileList& list) {
        for (int i = 0; i < 500 && list.reading(); ++i) QTest::qWait(10);
        return !list.reading();
    }

    static constexpr const char* kLongName =
        "A profile for the quarterly planning meetings with the whole extended team";
    fakes::FakeDialSurface surface;
    RadialMenuController dial{&manager, surface};
    dial::RadialMenuView view;
};

TEST_F(ProfileListTest, EachWedgeShowsItsProfilesIconAndLongNamesStayInsideTheDial) {
    ASSERT_EQ(dial.currentSlots().size(), 6u);
    const dial::DialViewState state = view.viewState();
    ASSERT_EQ(state.wedges.size(), 6u);
    std::set<qint64> distinct;
    std::set<QRgb> middles;
    for (const auto& w : state.wedges) {
        ASSERT_FALSE(w.icon.isNull()) << w.title;
        middles.insert(w.icon.pixel(w.icon.width() / 2, w.icon.height() / 2));
        distinct.insert(w.icon.cacheKey());
    }
    EXPECT_EQ(distinct.size(), 6u);
    EXPECT_GE(middles.size(), 3u) << "the wedges draw the same picture";

    // The long name's pill stays within the dial's width, lit or not.
    const QPointF c = view.dialCentre();
    const double dialWidth = dial::DialMetrics{state.menuRadius}.backdropDiameter();
    for (int i = 0; i < 6; ++i) {
        dial::DialViewState lit = state;
        lit.highlightedIndex = i;
        const QRectF pill = dial::wedgeLabelBounds(c, lit, i);
        EXPECT_LE(pill.width(), dialWidth) << lit.wedges[std::size_t(i)].title;
    }

    // A picture with the long name lit.
    const int longIndex = int(std::find_if(state.wedges.begin(), state.wedges.end(),
                                           [](const auto& w) { return w.title == kLongName; }) -
                              state.wedges.begin());
    ASSERT_LT(longIndex, 6);
    dial::DialViewState lit = state;
    lit.highlightedIndex = longIndex;
    QImage picture(view.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(QColor(90, 110, 140));
    {
        QPainter p(&picture);
        dial::paintDial(p, c, lit);
    }
    QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts/dial");
    EXPECT_TRUE(picture.save(ORBEL_BINARY_DIR "/test-artifacts/dial/profile-list.png"));
    // Nothing drawn at the far left and right of the view at the pill's height.
    const QRectF pill = dial::wedgeLabelBounds(c, lit, longIndex);
    const int y = int(pill.center().y());
    EXPECT_EQ(picture.pixel(2, y), QColor(90, 110, 140).rgba());
    EXPECT_EQ(picture.pixel(picture.width() - 3, y), QColor(90, 110, 140).rgba());
}

// The names and icons are read once per change of the profiles folder, off
// the GUI thread, not on each opening; a change made by the Profiles tab or
// from outside shows at the next opening.
TEST_F(ProfileListTest, OpeningsReuseTheIconsUntilTheProfilesFolderChanges) {
    ProfileList& list = manager.profileList();
    ASSERT_TRUE(settle(list));
    const auto readings = list.readings();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(reopen().size(), 6u);
    EXPECT_EQ(list.readings(), readings) << "the list was read again without a change";

    const SlotIcon green = SlotIcon::monogram("W", "#10B981");
    manager.setProfileIcon("Work", green);
    EXPECT_EQ(reopen()["Work"], green);

    // Removed by another program: the folder's watcher has it read again
    // before the next opening, which then reads nothing itself.
    ASSERT_TRUE(settle(list));
    const auto beforeRemoval = list.readings();
    ASSERT_TRUE(QFile::remove(QString::fromStdString(manager.profileStore().url("Games"))));
    for (int i = 0; i < 500 && (list.readings() == beforeRemoval || list.reading()); ++i) QTest::qWait(10);
    const auto afterRemoval = list.readings();
    EXPECT_GT(afterRemoval, beforeRemoval);
    const auto shown = reopen();
    EXPECT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown.count("Games"), 0u);
    EXPECT_EQ(shown.at("Work"), green);
    EXPECT_EQ(list.readings(), afterRemoval);
}

}  // namespace
