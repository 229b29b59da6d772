#include <gtest/gtest.h>

#include "decode_helpers.h"
#include "model/slot_config.h"

using namespace orbel;
using orbel::testing::decodeError;
using orbel::testing::decodeText;
using K = json::DecodingError::Kind;

namespace {

SlotConfig decodeSlot(std::string_view text) { return decodeText(text, SlotConfig::fromJson); }
json::DecodingError slotError(std::string_view text) { return decodeError(text, SlotConfig::fromJson); }
// The writer's default options: compact, insertion order, slashes escaped.
std::string encode(const SlotConfig& s) { return json::write(s.toJson()); }

SlotConfig make(SlotType type, std::string title = {}, SlotIcon icon = SlotIcon::automatic(),
                SlotScope scope = SlotScope::global()) {
    SlotConfig s;
    s.type = std::move(type);
    s.title = title.empty() ? s.type.defaultTitle() : std::move(title);
    s.icon = std::move(icon);
    s.scope = std::move(scope);
    return s;
}

MenuGroup group(std::string title, std::vector<SlotConfig> slots, SlotIcon icon = SlotIcon::automatic()) {
    MenuGroup g;
    g.title = std::move(title);
    g.slots = std::move(slots);
    g.icon = std::move(icon);
    return g;
}

const SlotIcon kGlyph = SlotIcon::symbolPack(IconPack{"sf"}, "star");

}  // namespace

// The writer's bytes are an identity (cycling positions hash them), so each
// kind's encoding is pinned exactly, and reading it back re-encodes the same.
TEST(SlotConfig, EveryKindHasPinnedBytesAndRoundTrips) {
    DynamicSlotConfig dyn;
    dyn.producer = ScriptInvocation{ScriptLanguage::shell, "date"};
    struct Case {
        SlotConfig slot;
        const char* bytes;
    };
    const Case cases[] = {
        {make(SlotType::app("com.example.Mail")), R"({"app":"com.example.Mail"})"},
        {make(SlotType::action(SystemAction::setVolume(0.5)), "Half"),
         R"({"action":{"id":"set_volume","value":0.5},"title":"Half"})"},
        {make(SlotType::group(group("Apps", {make(SlotType::snippet("hi"), "Hi")}, kGlyph))),
         R"({"group":"Apps","items":[{"snippet":"hi","title":"Hi"}],"icon":{"kind":"symbolPack","pack":"sf","name":"star"}})"},
        {make(SlotType::keystroke({MacroStep::chord(*KeyCombination::parse("cmd+c")), MacroStep::wait(100),
                                   MacroStep::text("a/b")}),
              "Copy"),
         R"({"keystroke":[{"chord":"cmd+c"},{"wait":{"milliseconds":100}},{"text":"a\/b"}],"title":"Copy"})"},
        {make(SlotType::script(ScriptInvocation{ScriptLanguage::appleScript, "beep"}), "Beep"),
         R"({"script":{"language":"applescript","source":"beep"},"title":"Beep"})"},
        {make(SlotType::snippet("Regards"), "Sign", SlotIcon::monogram("RS"), SlotScope::app("com.x")),
         nullptr},
        {make(SlotType::dynamic(dyn), "Clock"), nullptr},
        {make(SlotType::cycling({make(SlotType::app("a.b")), make(SlotType::snippet("x"), "X")}), "Cycle"),
         R"({"cycle":[{"app":"a.b"},{"snippet":"x","title":"X"}],"title":"Cycle"})"},
        {make(SlotType::transport(TransportCommand::next), "Next"),
         R"({"type":{"transport":{"command":"next"}},"title":"Next"})"},
        {make(SlotType::modeSwitch(DialMode::music), "Music"), R"({"type":{"modeSwitch":{"mode":"music"}},"title":"Music"})"},
        {make(SlotType::profileTarget("Work")), R"({"type":{"profileTarget":"Work"}})"},
        {make(SlotType::volumeScrub(), "Vol"), R"({"type":{"volumeScrub":null},"title":"Vol"})"},
        {make(SlotType::profileSwitch()), R"({"profile":null})"},
    };
    for (const auto& c : cases) {
        const std::string bytes = encode(c.slot);
        SCOPED_TRACE(bytes);
        if (c.bytes) {
            EXPECT_EQ(bytes, c.bytes);
        }
        const SlotConfig back = decodeSlot(bytes);
        EXPECT_EQ(encode(back), bytes);
        EXPECT_EQ(back.type.value.index(), c.slot.type.value.index());
        // Kinds without nested ids compare equal after the round trip.
        const bool nestedIds = c.slot.type.is<SlotType::Group>() || c.slot.type.is<SlotType::Cycling>();
        EXPECT_EQ(back.type == c.slot.type, !nestedIds);
    }
}

TEST(SlotConfig, OlderFormsStillRead) {
    // Chord shorthand lists.
    const SlotConfig s = decodeSlot(R"({"keystroke":["cmd+c", " CMD+V "]})");
    EXPECT_EQ(s.type, SlotType::keystroke({MacroStep::chord({8, 0x100, std::nullopt}), MacroStep::chord({9, 0x100, std::nullopt})}));
    // A bare action identifier.
    EXPECT_EQ(decodeSlot(R"({"action":"volume_up"})").type, SlotType::action(SystemAction(SystemAction::Kind::volumeUp)));
    EXPECT_EQ(decodeSlot(R"({"action":"volume_up"})").title, "Volume Up");
    // Every kind under "type".
    const char* keyed[] = {  // in the order of the kinds
        R"({"app":{"bundleId":"x.y.mail"}})", R"({"action":{"id":"volume_mute"}})",
        R"({"group":{"title":"G","slots":[{"app":"a"}]}})", R"({"keystroke":[{"chord":"f5"}]})",
        R"({"script":{"language":"shell","source":"ls"}})", R"({"snippet":"s"})",
        R"({"dynamic":{"producer":{"language":"shell","source":"date"}}})", R"({"cycle":[]})",
        R"({"transport":{"command":"toggle"}})", R"({"modeSwitch":{"mode":"standard"}})",
        R"({"profileTarget":"\t Home "})", R"({"volumeScrub":0})", R"({"profileSwitch":null})",
    };
    for (std::size_t index = 0; index < std::size(keyed); ++index) {
        EXPECT_EQ(decodeSlot(std::string(R"({"type":)") + keyed[index] + "}").type.value.index(), index) << keyed[index];
    }
    EXPECT_EQ(decodeSlot(R"({"type":{"app":{"bundleId":"x.y.mail"}}})").title, "Mail");
    EXPECT_EQ(decodeSlot(R"({"type":{"profileTarget":"\t Home "}})").title, "Home");
}

TEST(SlotConfig, DecoderPrecedenceAndErrors) {
    const std::string noKind = kNoDiscriminatorMessage;
    for (const char* text : {R"({"title":"t","icon":"auto","scope":"global"})", R"({"transport":{"command":"next"}})",
                             R"({"group":"G","items":[{}]})"}) {
        EXPECT_EQ(std::string(slotError(text).what()), noKind) << text;
    }
    EXPECT_TRUE(decodeSlot(R"({"app":"a","group":"G"})").type.is<SlotType::App>());
    EXPECT_TRUE(decodeSlot(R"({"snippet":"s","type":5})").type.is<SlotType::Snippet>());
    const SlotConfig profiles = decodeSlot(R"({"profile":false})");
    EXPECT_EQ(profiles.title, "Profiles");
    EXPECT_EQ(encode(profiles), R"({"profile":null})");
    EXPECT_TRUE(decodeSlot(R"({"group":"Tools","items":null})").type.get<SlotType::Group>()->group->slots.empty());
    // Keystroke: step objects with a bad step fall back to the string reading.
    EXPECT_EQ(slotError(R"({"keystroke":[{"chord":"cmd+c"},"cmd+v"]})").kind(), K::typeMismatch);
    auto chord = slotError(R"({"keystroke":["cmd+c","Cmd+Nope"]})");
    EXPECT_EQ(std::string(chord.what()), "Unrecognized chord shorthand \"Cmd+Nope\" in keystroke list");
    EXPECT_EQ(json::describePath(chord.codingPath()), "keystroke");
    // A present flat key that does not decode fails; later keys are not tried.
    EXPECT_EQ(slotError(R"({"app":null,"snippet":"s"})").kind(), K::valueNotFound);
    EXPECT_EQ(std::string(slotError(R"({"type":{"app":"x"}})").what()), "Unknown SlotType payload");
    EXPECT_TRUE(decodeSlot(R"({"type":{"group":{"slots":[]},"snippet":"s"}})").type.is<SlotType::Snippet>());
    EXPECT_THROW(decodeSlot(R"({"type":{"transport":{"command":"stop"}}})"), json::DecodingError);
}

TEST(SlotConfig, IconsSettleByKind) {
    const std::string icon = R"("icon":{"kind":"symbolPack","pack":"sf","name":"star"})";
    for (const char* kind : {R"("app":"a")", R"("action":"volume_up")", R"("type":{"transport":{"command":"next"}})",
                             R"("type":{"modeSwitch":{"mode":"music"}})", R"("type":{"volumeScrub":null})"}) {
        EXPECT_TRUE(decodeSlot("{" + std::string(kind) + "," + icon + "}").icon.isAuto()) << kind;
    }
    EXPECT_EQ(decodeSlot(R"({"snippet":"s",)" + icon + "}").icon, kGlyph);
    SlotConfig g = decodeSlot(R"({"group":"G",)" + icon + "}");
    EXPECT_EQ(g.icon, kGlyph);
    EXPECT_EQ(g.type.get<SlotType::Group>()->group->icon, kGlyph);
    // The group's own icon wins when encoding.
    SlotConfig s = make(SlotType::group(group("G", {}, kGlyph)), "G", SlotIcon::monogram("X"));
    EXPECT_EQ(encode(s), R"({"group":"G","items":[],)" + icon + "}");
}

TEST(SlotConfig, TitlesAndEquality) {
    EXPECT_EQ(SlotType::app("com.example.notes.").defaultTitle(), "Notes");
    // An app slot with an empty title writes it; with its default it does not.
    SlotConfig empty = make(SlotType::app("x.mail"));
    EXPECT_EQ(encode(empty), R"({"app":"x.mail"})");
    empty.title = "";
    EXPECT_EQ(decodeSlot(encode(empty)).title, "");
    // Groups compare by id only; re-decoded slots get new ids.
    MenuGroup a = group("A", {});
    MenuGroup b = a;
    b.title = "B";
    EXPECT_EQ(SlotType::group(a), SlotType::group(b));
    const SlotConfig s = make(SlotType::snippet("x"), "X");
    EXPECT_NE(decodeSlot(encode(s)), decodeSlot(encode(s)));
}
