#include <gtest/gtest.h>

#include "decode_helpers.h"
#include "model/activation_mode.h"
#include "model/json_writer.h"

using namespace orbel;
using json::DecodingError;

namespace {

HoldBinding decode(const std::string& text) { return orbel::testing::decodeText(text, HoldBinding::fromJson); }

KeyCombination key(std::string_view shorthand) { return *KeyCombination::parse(shorthand); }

}  // namespace

TEST(HoldBinding, WritesExactlyTheKeysOfItsKind) {
    const struct {
        HoldBinding binding;
        const char* expected;
    } cases[] = {
        {HoldBinding::mouseButton(3), R"({"kind":"mouseButton","button":3})"},
        {HoldBinding::keyCombination(key("opt+space")), R"({"kind":"keyCombination","key":"opt+space"})"},
        {HoldBinding::hidppButton(0xC52B, 0xC3), R"({"kind":"hidppButton","productID":50475,"cid":195})"},
    };
    for (const auto& c : cases) {
        const std::string written = json::write(c.binding.toJson());
        EXPECT_EQ(written, c.expected);
        EXPECT_EQ(decode(written), c.binding) << written;
    }
}

TEST(HoldBinding, DecodesAndIgnoresKeysOfOtherKinds) {
    EXPECT_EQ(decode(R"({"kind":"mouseButton","button":-7})"), HoldBinding::mouseButton(-7));
    EXPECT_EQ(decode(R"({"button":2,"kind":"mouseButton","key":5,"cid":"x"})"), HoldBinding::mouseButton(2));
    EXPECT_EQ(decode(R"({"kind":"hidppButton","productID":1,"cid":2,"button":"no"})"),
              HoldBinding::hidppButton(1, 2));
    EXPECT_EQ(decode(R"({"kind":"keyCombination","key":"  CMD+Shift+4 "})"),
              HoldBinding::keyCombination(KeyCombination{21, 0x300, std::nullopt}));
}

TEST(HoldBinding, RejectsMalformedObjects) {
    using K = DecodingError::Kind;
    const struct {
        const char* text;
        K kind;
        const char* path;
        const char* description;  // nullptr: not checked
    } cases[] = {
        {R"({"button":3})", K::keyNotFound, "", nullptr},
        {R"({"kind":3})", K::typeMismatch, "kind", nullptr},
        {R"({"kind":"MouseButton","button":3})", K::dataCorrupted, "kind",
         "Cannot initialize Kind from invalid String value MouseButton"},
        {R"({"kind":"mouseButton","button":"3"})", K::typeMismatch, "button", nullptr},
        {R"({"kind":"mouseButton","button":2.5})", K::dataCorrupted, "button", nullptr},
        {R"({"kind":"keyCombination","key":"cmd"})", K::dataCorrupted, "key",
         "Unrecognized hotkey shorthand: \"cmd\""},
        {R"({"kind":"hidppButton","productID":65536,"cid":1})", K::dataCorrupted, "productID",
         "Parsed JSON number <65536> does not fit in UInt16."},
        {R"({"kind":"hidppButton","productID":1,"cid":-1})", K::dataCorrupted, "cid",
         "Parsed JSON number <-1> does not fit in UInt16."},
        {R"(["mouseButton",3])", K::typeMismatch, "", nullptr},
    };
    for (const auto& c : cases) {
        const auto e = orbel::testing::decodeError(c.text, HoldBinding::fromJson);
        EXPECT_EQ(e.kind(), c.kind) << c.text;
        EXPECT_EQ(json::describePath(e.codingPath()), c.path) << c.text;
        if (c.description) {
            EXPECT_EQ(std::string(e.what()), c.description) << c.text;
        }
    }
}

TEST(ActivationMode, EqualityComparesModeCaseAndPayload) {
    const auto button = HoldBinding::mouseButton(3);
    EXPECT_NE(ActivationMode::tap(button), ActivationMode::hold(button));
    EXPECT_NE(HoldBinding::keyCombination({0, 0, std::nullopt}), HoldBinding::keyCombination({0, 0, 3}));
    EXPECT_NE(HoldBinding::mouseButton(3), HoldBinding::keyCombination({0, 0, 3}));
    EXPECT_NE(HoldBinding::hidppButton(1, 2), HoldBinding::hidppButton(2, 1));
}
