// A change made on what the user saw, while another program saved
// config.json, acts on what the user acted on: the slot they saw, wherever
// the other save has it, and the setting they changed; where that no longer
// means what they saw, it is told as not saved and the other save stays.
#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>
#include <functional>
#include <variant>
#include <unistd.h>

#include "config/config_merge.h"
#include "config_fixture.h"

using namespace orbel;
using namespace orbel::testing;

namespace {

AppConfig named(const std::vector<std::string>& titles) {
    AppConfig c;
    c.rootGroup.title = "Main Menu";
    for (const auto& t : titles) c.rootGroup.slots.push_back(SlotConfig::make(SlotType::snippet(t), t));
    return c;
}

std::vector<std::string> titles(const AppConfig& c) {
    std::vector<std::string> out;
    for (const auto& s : c.rootGroup.slots) out.push_back(s.title);
    return out;
}

// What the other program saved, as Orbel reads it back (new slot ids).
AppConfig asRead(const AppConfig& c) { return AppConfig::fromJson(json::Node(json::parse(c.encodeDocument()))); }

using Titles = std::vector<std::string>;

}  // namespace

TEST(CarryOnto, EditsFindTheSlotTheUserActedOnWhereverTheOtherSaveHasIt) {
    const AppConfig base = named({"One", "Two", "Three"});
    const AppConfig theirs = asRead(named({"Zero", "One", "Two", "Three"}));
    const auto carried = [&](const std::function<void(AppConfig&)>& edit) {
        AppConfig mine = base;
        edit(mine);
        auto out = carryOnto(base, mine, theirs);
        EXPECT_TRUE(std::holds_alternative<AppConfig>(out)) << std::get<std::string>(out);
        return std::holds_alternative<AppConfig>(out) ? titles(std::get<AppConfig>(out)) : Titles{};
    };
    const auto slotsOf = [](AppConfig& c) -> std::vector<SlotConfig>& { return c.rootGroup.slots; };
    EXPECT_EQ(carried([&](AppConfig& c) { slotsOf(c).erase(slotsOf(c).begin()); }), (Titles{"Zero", "Two", "Three"}));
    EXPECT_EQ(carried([&](AppConfig& c) { std::swap(slotsOf(c)[0], slotsOf(c)[2]); }),
              (Titles{"Zero", "Three", "Two", "One"}));
    EXPECT_EQ(carried([&](AppConfig& c) { slotsOf(c)[1].title = "Deux"; }), (Titles{"Zero", "One", "Deux", "Three"}));
    EXPECT_EQ(carried([&](AppConfig& c) {
                  slotsOf(c).insert(slotsOf(c).begin() + 1, SlotConfig::make(SlotType::snippet("new"), "New"));
              }),
              (Titles{"Zero", "One", "New", "Two", "Three"}));
    // Settings either side changed alone are both kept.
    AppConfig mine = base;
    mine.menuRadius = 222;
    AppConfig other = named({"One", "Two", "Three"});
    other.showInTray = false;
    const auto both = std::get<AppConfig>(carryOnto(base, mine, asRead(other)));
    EXPECT_EQ(both.menuRadius, 222);
    EXPECT_FALSE(both.showInTray);
}

TEST(CarryOnto, AnEditThatNoLongerMeansWhatTheUserSawIsRefused) {
    const AppConfig base = named({"One", "Two", "Three"});
    AppConfig mine = base;
    mine.rootGroup.slots.erase(mine.rootGroup.slots.begin());
    // The slot is gone from the other save.
    auto gone = carryOnto(base, mine, asRead(named({"Two", "Three"})));
    ASSERT_TRUE(std::holds_alternative<std::string>(gone));
    EXPECT_NE(std::get<std::string>(gone).find("One"), std::string::npos);
    // The same setting changed both ways.
    AppConfig radius = base, theirs = base;
    radius.menuRadius = 210;
    theirs.menuRadius = 250;
    auto clash = carryOnto(base, radius, asRead(theirs));
    ASSERT_TRUE(std::holds_alternative<std::string>(clash));
    EXPECT_NE(std::get<std::string>(clash).find("menuRadius"), std::string::npos);
    // An addition that would make the level outgrow six slots.
    AppConfig added = base;
    added.rootGroup.slots.push_back(SlotConfig::make(SlotType::snippet("4"), "Four"));
    EXPECT_TRUE(std::holds_alternative<std::string>(
        carryOnto(base, added, asRead(named({"One", "Two", "Three", "A", "B", "C"})))));
}

namespace {

class OntoOtherSaves : public ConfigFixture {
protected:
    std::string configBytes() const { return readFile(configPath()); }
    QStringList copies() const {
        return QDir(QString::fromStdString(dir())).entryList({"config.json.backup.*"}, QDir::Files | QDir::System);
    }
    // Files' times are moments ago by the clock: the saves below are quiet.
    bool now = (clock.seconds = secondsNow() + 10, true);
};

}  // namespace

// The trash on the first wedge the user sees, after another program put
// "Zero" in front: "One" goes, "Zero" stays.
TEST_F(OntoOtherSaves, TheTrashRemovesTheSlotTheUserSaw) {
    writeFile(configPath(), named({"One", "Two", "Three"}).encodeDocument());
    ASSERT_EQ(titles(live().config()), (Titles{"One", "Two", "Three"}));
    writeFile(configPath(), named({"Zero", "One", "Two", "Three"}).encodeDocument());
    ASSERT_FALSE(live().change([](AppConfig& c) { c.rootGroup.slots.erase(c.rootGroup.slots.begin()); }));
    EXPECT_EQ(titles(live().config()), (Titles{"Zero", "Two", "Three"}));
    EXPECT_EQ(configBytes(), live().config().encodeDocument());

    // A slot the other program removed meanwhile: told, and its save stays.
    const std::string saved = named({"Zero", "Three"}).encodeDocument();
    writeFile(configPath(), saved);
    const auto refused = live().change([](AppConfig& c) { c.rootGroup.slots[1].title = "Deux"; });
    ASSERT_TRUE(refused);
    EXPECT_NE(std::string(refused->what()).find("not saved"), std::string::npos) << refused->what();
    EXPECT_EQ(configBytes(), saved);
    EXPECT_EQ(titles(live().config()), (Titles{"Zero", "Three"}));
}

// A hand edit with a typo, then a click: the click is saved onto the dial in
// use, the broken bytes are kept and told, nothing becomes the defaults.
TEST_F(OntoOtherSaves, AChangeOnABrokenFileKeepsItAndSavesOntoTheRunningDial) {
    writeFile(configPath(), named({"Mine"}).encodeDocument());
    ASSERT_EQ(titles(live().config()), Titles{"Mine"});
    writeFile(configPath(), "{\"menu\": [ typo");
    ASSERT_FALSE(live().change([](AppConfig& c) { c.showInTray = false; }));
    EXPECT_EQ(titles(live().config()), Titles{"Mine"});
    EXPECT_FALSE(live().config().showInTray);
    EXPECT_EQ(configBytes(), live().config().encodeDocument());
    ASSERT_EQ(copies().size(), 1);
    EXPECT_EQ(readFile(dir() + "/" + copies()[0].toStdString()), "{\"menu\": [ typo");
    ASSERT_TRUE(live().loadNotice());
    EXPECT_EQ(live().loadNotice()->kind, ConfigManager::LoadNotice::Kind::rejected);
}

// Carried only where its meaning is certain: a slot alike another in either
// save is never guessed at, and moves on both sides are refused, but for two
// slots the user exchanged, exchanged where the other save has them, and a
// move the other save has made already, which is done.
TEST(CarryOnto, ASlotIsNeverGuessedAt) {
    struct Row {
        const char* name;
        Titles base, theirs;
        std::function<void(std::vector<SlotConfig>&)> edit;
        Titles carried;  // nothing: refused
    };
    const auto trashFirst = [](std::vector<SlotConfig>& s) { s.erase(s.begin()); };
    const auto swapFirstTwo = [](std::vector<SlotConfig>& s) { std::swap(s[0], s[1]); };
    for (const Row& row : {
             Row{"one of two alike, the other renamed", {"One", "One", "Two"}, {"One*", "One", "Two"}, trashFirst, {}},
             Row{"alike only in the other save", {"One", "Two"}, {"One", "Two", "One"}, trashFirst, {}},
             // The other save has "Two" before "One" already: nothing to exchange.
             Row{"an exchange after a reordering", {"One", "Two", "Three"}, {"Three", "Two", "One"}, swapFirstTwo,
                 {"Three", "Two", "One"}},
             Row{"an exchange after another exchange", {"One", "Two", "Three"}, {"One", "Three", "Two"},
                 swapFirstTwo, {"Two", "Three", "One"}},
             Row{"an exchange both sides made", {"One", "Two", "Three"}, {"Two", "One", "Three"}, swapFirstTwo,
                 {"Two", "One", "Three"}},
             Row{"a move both sides made", {"One", "Two", "Three"}, {"Two", "Three", "One"},
                 [](std::vector<SlotConfig>& s) { std::rotate(s.begin(), s.begin() + 1, s.end()); },
                 {"Two", "Three", "One"}},
             Row{"a move after a reordering", {"One", "Two", "Three"}, {"Three", "Two", "One"},
                 [](std::vector<SlotConfig>& s) { std::rotate(s.begin(), s.begin() + 1, s.end()); }, {}},
             Row{"a move after an insertion", {"One", "Two", "Three"}, {"Zero", "One", "Two", "Three"},
                 [](std::vector<SlotConfig>& s) { std::rotate(s.begin(), s.begin() + 1, s.end()); },
                 {"Zero", "Two", "Three", "One"}},
         }) {
        SCOPED_TRACE(row.name);
        const AppConfig base = named(row.base);
        AppConfig mine = base;
        row.edit(mine.rootGroup.slots);
        const auto out = carryOnto(base, mine, asRead(named(row.theirs)));
        EXPECT_EQ(std::holds_alternative<AppConfig>(out) ? titles(std::get<AppConfig>(out)) : Titles{}, row.carried);
    }
}
