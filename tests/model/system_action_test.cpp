#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "decode_helpers.h"
#include "model/system_action.h"

using namespace orbel;
using orbel::testing::compact;
using orbel::testing::decodeText;
using Kind = SystemAction::Kind;

namespace {
SystemAction decode(std::string_view text) {
    return decodeText(text, [](const json::Node& n) { return SystemAction::fromJson(n); });
}
}  // namespace

TEST(SystemAction, IdentifiersAreUniqueAndLookupIsExact) {
    std::set<std::string_view> identifiers;
    for (int i = 0; i < SystemAction::kCaseCount; ++i) {
        const SystemAction a(static_cast<Kind>(i), 0.5);
        EXPECT_FALSE(a.title().empty());
        identifiers.insert(a.identifier());
    }
    EXPECT_EQ(identifiers.size(), 30u);

    for (const auto& a : SystemAction::parameterlessCases()) EXPECT_EQ(SystemAction::fromIdentifier(a.identifier()), a);
    for (const char* missing : {"set_brightness", "set_volume", "Volume_Up", " volume_up", ""}) {
        EXPECT_EQ(SystemAction::fromIdentifier(missing), std::nullopt) << missing;
    }
}

TEST(SystemAction, ValuedTitlesRoundAndClamp) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double level;
        const char* percent;
    } cases[] = {{0.125, "13"}, {0.994, "99"}, {0.995, "100"}, {1.7, "100"}, {-0.0, "0"},
                 {-0.3, "0"},   {0.005, "1"},  {nan, "0"},    {std::numeric_limits<double>::infinity(), "100"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        EXPECT_EQ(SystemAction::setVolume(c.level).title(), std::string("Set Volume to ") + c.percent + "%");
        EXPECT_EQ(SystemAction::setBrightness(c.level).title(),
                  std::string("Set Brightness to ") + c.percent + "%");
    }
}

TEST(SystemAction, ReadsEveryForm) {
    const SystemAction volumeUp(Kind::volumeUp);
    EXPECT_EQ(decode(R"("volume_up")"), volumeUp);
    EXPECT_EQ(decode(R"({"id": "volume_up", "value": 0.3})"), volumeUp);
    EXPECT_EQ(decode(R"({"id": "volume_up", "value": "junk", "other": 1})"), volumeUp);

    EXPECT_EQ(decode(R"({"id": "set_volume", "value": 0.5})").value, 0.5);
    EXPECT_EQ(decode(R"({"id": "set_volume", "value": 1.7})").value, 1.0);
    EXPECT_EQ(decode(R"({"id": "set_brightness", "value": -3})"), SystemAction::setBrightness(0.0));
}

TEST(SystemAction, WritesObjectFormWithClampedLevel) {
    EXPECT_EQ(compact(SystemAction(Kind::volumeUp).toJson()), R"({"id":"volume_up"})");
    EXPECT_EQ(compact(SystemAction::setVolume(1.5).toJson()), R"({"id":"set_volume","value":1})");
    EXPECT_EQ(compact(SystemAction::setBrightness(std::nan("")).toJson()), R"({"id":"set_brightness","value":0})");
}
