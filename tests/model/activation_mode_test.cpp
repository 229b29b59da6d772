#include <gtest/gtest.h>

#include "decode_helpers.h"
#include "model/activation_mode.h"

using namespace orbel;

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
    EXPECT_EQ(decode(R"({"button":2,"kind":"mouseButton","key":5,"cid":"x"})"), HoldBinding::mouseButton(2));
    EXPECT_EQ(decode(R"({"kind":"hidppButton","productID":1,"cid":2,"button":"no"})"),
              HoldBinding::hidppButton(1, 2));
}

