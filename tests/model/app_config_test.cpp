#include <gtest/gtest.h>

#include <QFile>
#include <cstdlib>

#include "decode_helpers.h"
#include "model/app_config.h"

using namespace orbel;
using orbel::testing::decodeError;
using orbel::testing::decodeText;
using K = json::DecodingError::Kind;

namespace {

AppConfig read(std::string_view text) { return decodeText(text, AppConfig::fromJson); }
std::string pretty(const AppConfig& c) { return c.encodeDocument(); }
const KeyCombination kEscape{53, 0, std::nullopt};
}  // namespace

TEST(AppConfig, DefaultEncodesToGoldenFileAndReadsBack) {
    const std::string path = std::string(ORBEL_SOURCE_DIR) + "/tests/model/golden/default_config.json";
    const std::string bytes = pretty(AppConfig::defaultConfig());
    if (std::getenv("ORBEL_UPDATE_GOLDEN")) {
        QFile out(QString::fromStdString(path));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    QFile in(QString::fromStdString(path));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << path;
    const QByteArray golden = in.readAll();
    EXPECT_EQ(bytes, golden.toStdString());

    EXPECT_EQ(pretty(read(golden.toStdString())), bytes);
    // The default dial keeps its ids during one run.
    EXPECT_EQ(AppConfig::defaultMenu().slots[0].id, AppConfig::defaultMenu().slots[0].id);
}

TEST(AppConfig, EmptyObjectReadsAsDefaults) {
    const AppConfig c = read("{}");
    EXPECT_EQ(c.activation, ActivationMode::tap(HoldBinding::keyCombination(KeyCombination{49, 0x800, std::nullopt})));
    EXPECT_EQ(c.rootGroup.title, "Main Menu");
    EXPECT_FALSE(c.musicHotkey);
    EXPECT_EQ(json::write(c.toJson()),
              R"({"version":1,"hotkey":"opt+space","closeKey":"esc","goBackKey":"esc","menu":[],"appOverrides":{},)"
              R"("menuRadius":200,"appearance":)" +
                  json::write(AppearanceConfig::defaultValue().toJson()) + R"(,"showInTray":true})");
}

TEST(AppConfig, FallbacksAndRejections) {
    EXPECT_EQ(read(R"({"menuRadius":20})").menuRadius, 50);
    EXPECT_EQ(read(R"({"menuRadius":5000})").menuRadius, 1000);
    EXPECT_EQ(read(R"({"version":7})").version, 7);
    EXPECT_EQ(read(R"({"version":7})").toJson()["version"], 1);
    // Malformed keys that reject the document.
    EXPECT_EQ(decodeError(R"({"menuRadius":"big"})", AppConfig::fromJson).kind(), K::typeMismatch);
    EXPECT_EQ(std::string(decodeError(R"({"menu":[{}]})", AppConfig::fromJson).what()), kNoDiscriminatorMessage);
    EXPECT_THROW(read(R"({"appMenus":{"a":[{"nope":1}]}})"), json::DecodingError);
    EXPECT_THROW(read("[]"), json::DecodingError);
    // Malformed keys that fall back.
    const AppConfig c = read(R"({"appearance":"x","showInTray":"no","closeKey":"bogus","goBackKey":"cmd+[",)"
                             R"("musicHotkey":"??","profileIcon":{"kind":"nope"}})");
    EXPECT_EQ(c.appearance, AppearanceConfig::defaultValue());
    EXPECT_TRUE(c.showInTray);
    EXPECT_EQ(c.controls.closeMenuKey, kEscape);
    EXPECT_EQ(c.controls.goBackKey, (KeyCombination{33, 0x100, std::nullopt}));
    EXPECT_FALSE(c.musicHotkey);
    EXPECT_FALSE(c.profileIcon);
}

TEST(AppConfig, ActivationKeysPrecedenceAndWriting) {
    const auto tapKey = [](const AppConfig& c) { return c.activation.isTap() && c.activation.binding.asKeyCombination(); };
    AppConfig c = read(R"({"tapActivation":{"kind":"mouseButton","button":3},"hotkey":"f5"})");
    EXPECT_EQ(c.activation, ActivationMode::tap(HoldBinding::mouseButton(3)));
    EXPECT_TRUE(c.toJson().contains("tapActivation"));
    EXPECT_FALSE(c.toJson().contains("hotkey"));
    c = read(R"({"tapActivation":{"kind":"bogus"},"hotkey":"f5"})");
    EXPECT_TRUE(tapKey(c));
    EXPECT_EQ(c.toJson()["hotkey"], "f5");
    c = read(R"({"holdActivation":{"kind":"keyCombination","key":"f6"}})");
    EXPECT_TRUE(c.activation.isHold());
    EXPECT_TRUE(c.toJson().contains("holdActivation"));
    EXPECT_FALSE(c.toJson().contains("hotkey"));
    // A tap binding holding a key combination comes back as "hotkey".
    c.activation = ActivationMode::tap(HoldBinding::keyCombination(KeyCombination{96, 0, std::nullopt}));
    const json::Json out = c.toJson();
    EXPECT_EQ(out["hotkey"], "f5");
    EXPECT_FALSE(out.contains("tapActivation") || out.contains("holdActivation") || out.contains("appMenus"));
}

TEST(AppConfig, LegacyAppMenusMergeUnderOverrides) {
    const AppConfig c = read(R"({"appMenus":{"a.app":[{"snippet":"legacy"}],"b.app":[{"snippet":"only"}]},)"
                             R"("appOverrides":{"a.app":{"menuRadius":300}}})");
    ASSERT_EQ(c.appOverrides.size(), 2u);
    EXPECT_FALSE(c.appOverrides.at("a.app").slots);  // whole replacement
    EXPECT_EQ(c.appOverrides.at("a.app").menuRadius, 300);
    EXPECT_EQ(c.appOverrides.at("b.app").menuTitle, "App Menu");
    const json::Json out = c.toJson();
    EXPECT_FALSE(out.contains("appMenus"));
    EXPECT_EQ(out["appOverrides"]["b.app"]["menuTitle"], "App Menu");
    // One bad override empties the map; legacy menus still come through.
    const AppConfig bad = read(R"({"appMenus":{"b.app":[]},"appOverrides":{"a":{},"c":{"menuRadius":"x"}}})");
    ASSERT_EQ(bad.appOverrides.size(), 1u);
    EXPECT_TRUE(bad.appOverrides.count("b.app"));
    EXPECT_TRUE(read(R"({"appOverrides":5})").appOverrides.empty());
}

TEST(AppConfig, AppMenusViewAndApplyingOverride) {
    AppConfig c = read(R"({"appOverrides":{"look.app":{"menuRadius":5000},"menu.app":{"slots":[{"snippet":"x"}]}}})");
    auto menus = c.appMenus();
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus.at("menu.app").title, "App Menu");
    // Adding a group for an app without an override; then clearing all.
    MenuGroup g;
    g.title = "New";
    menus["new.app"] = g;
    c.setAppMenus(menus);
    EXPECT_EQ(c.appOverrides.at("new.app"), (AppOverride{std::vector<SlotConfig>{}, "New", {}, {}, {}, {}}));
    c.setAppMenus({});
    EXPECT_EQ(c.appOverrides.size(), 1u);

    // Applying: radius clamped, root id kept without slots, a new root with slots.
    const Uuid rootId = c.rootGroup.id;
    EXPECT_EQ(c.applyingOverride(c.appOverrides.at("look.app")).menuRadius, 1000);
    EXPECT_EQ(c.applyingOverride(c.appOverrides.at("look.app")).rootGroup.id, rootId);
    AppOverride small;
    small.slots = std::vector<SlotConfig>{};
    small.closeMenuKey = KeyCombination{12, 0x100, std::nullopt};
    const AppConfig applied = c.applyingOverride(small);
    EXPECT_NE(applied.rootGroup.id, rootId);
    EXPECT_EQ(applied.rootGroup.title, "Main Menu");
    EXPECT_EQ(applied.controls.closeMenuKey, small.closeMenuKey);
    EXPECT_EQ(applied.controls.goBackKey, c.controls.goBackKey);
}

TEST(AppOverride, ReadsAndWritesOnlyPresentFields) {
    EXPECT_EQ(json::write(decodeText("{}", AppOverride::fromJson).toJson()), "{}");
    const AppOverride o = decodeText(R"({"menuRadius":5000,"goBackKey":"cmd+[","slots":[],"menuTitle":null})",
                                     AppOverride::fromJson);
    EXPECT_EQ(json::write(o.toJson()), R"({"slots":[],"menuRadius":5000,"goBackKey":"cmd+["})");
    EXPECT_EQ(std::string(decodeError(R"({"closeMenuKey":"nope"})", AppOverride::fromJson).what()),
              "Unrecognized hotkey shorthand: \"nope\"");
}

