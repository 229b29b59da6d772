#include <gtest/gtest.h>

#include "decode_helpers.h"
#include "model/dynamic_slot_config.h"

using namespace orbel;
using orbel::testing::compact;
using orbel::testing::decodeText;

namespace {
DynamicSlotConfig decode(std::string_view text) {
    return decodeText(text, [](const json::Node& n) { return DynamicSlotConfig::fromJson(n); });
}
const ScriptInvocation kProducer{ScriptLanguage::shell, "date"};
constexpr const char* kProducerJson = R"("producer": {"language": "shell", "source": "date"})";

std::string withProducer(const std::string& rest) {
    return std::string("{") + kProducerJson + (rest.empty() ? "" : ", " + rest) + "}";
}
}  // namespace

TEST(DynamicSlotConfig, DefaultsWhenAbsentOrNullAndAlwaysWritesAllKeys) {
    for (const std::string rest : {"", R"("clickAction": null, "refresh": null)"}) {
        EXPECT_EQ(compact(decode(withProducer(rest)).toJson()),
                  R"({"producer":{"language":"shell","source":"date"},"clickAction":{"kind":"none"},)"
                  R"("refresh":{"kind":"menuOpen"}})");
    }
}

TEST(DynamicSlotConfig, ReadsClickActionForms) {
    const struct {
        const char* clickAction;
        DynamicClickAction expected;
    } cases[] = {
        {R"("none")", DynamicClickAction::none()},
        {R"("rerun")", DynamicClickAction::rerunProducer()},
        {R"({"kind": "runScript", "value": {"language": "jxa", "source": "1+1"}})",
         DynamicClickAction::runScript({ScriptLanguage::jxa, "1+1"})},
        {R"({"kind": "action", "value": "lock_screen"})",
         DynamicClickAction::action(SystemAction(SystemAction::Kind::lockScreen))},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decode(withProducer(std::string(R"("clickAction": )") + c.clickAction)).clickAction, c.expected)
            << c.clickAction;
    }
}

TEST(DynamicSlotConfig, RefreshIntervalsAreClampedOnReadAndWrite) {
    for (const auto& [seconds, expected] : {std::pair{"-40", 5}, {"60", 60}, {"99999999999", 3600}, {"30.0", 30}}) {
        const std::string text = std::string(R"("refresh": {"kind": "interval", "seconds": )") + seconds + "}";
        EXPECT_EQ(decode(withProducer(text)).refresh, RefreshPolicy::interval(expected)) << seconds;
    }

    // Held unclamped in memory, clamped when written.
    EXPECT_EQ(compact(RefreshPolicy::interval(2).toJson()), R"({"kind":"interval","seconds":5})");
    EXPECT_EQ(compact(RefreshPolicy::interval(7200).toJson()), R"({"kind":"interval","seconds":3600})");
}

