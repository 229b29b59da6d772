#include <gtest/gtest.h>

#include "decode_helpers.h"
#include "model/slot_icon.h"

using namespace orbel;
using orbel::testing::decodeError;
using orbel::testing::decodeText;

namespace {

SlotIcon icon(std::string_view text) { return decodeText(text, SlotIcon::fromJson); }
std::string encode(const json::Json& value) { return json::write(value); }

std::string unrecognized(const std::string& s) {
    return "Unrecognized icon shorthand \"" + s +
           "\". Use \"auto\", \"pack:name\", a 1\u20133 char monogram, or a file path.";
}

}  // namespace

TEST(SlotIcon, ShorthandForms) {
    const std::pair<std::string, SlotIcon> cases[] = {
        {"auto", SlotIcon::automatic()},
        {"~/Pictures/a.png", SlotIcon::customImage("~/Pictures/a.png")},
        {"Photo.PNG", SlotIcon::customImage("Photo.PNG")},
        {"lucide:image.svg", SlotIcon::customImage("lucide:image.svg")},
        {"lucide:star", SlotIcon::symbolPack(IconPack{"lucide"}, "star")},
        {"a:b:c", SlotIcon::symbolPack(IconPack{"a"}, "b:c")},
        {" x: y", SlotIcon::symbolPack(IconPack{" x"}, " y")},
        {"AB", SlotIcon::monogram("AB")},
        {"e\u0301\U0001F44D\U0001F3FDz", SlotIcon::monogram("e\u0301\U0001F44D\U0001F3FDz")},
        {"🇫🇷🇩🇪🇮🇹", SlotIcon::monogram("🇫🇷🇩🇪🇮🇹")},  // three flags: three characters
    };
    for (const auto& [shorthand, expected] : cases) EXPECT_EQ(icon(json::write(json::Json(shorthand))), expected) << shorthand;
}

TEST(SlotIcon, ShorthandErrors) {
    const std::pair<std::string, std::string> cases[] = {
        {" auto", unrecognized(" auto")},
        {"Star", unrecognized("Star")},
        {":star", "Icon shorthand \":star\" must be \"pack:name\""},
        {"lucide:", "Icon shorthand \"lucide:\" must be \"pack:name\""},
    };
    for (const auto& [shorthand, description] : cases) {
        // Reported at the path of the value being decoded.
        const auto e = decodeError(json::write(json::Json{{"icon", shorthand}}),
                                   [](const json::Node& n) { return SlotIcon::fromJson(n["icon"]); });
        EXPECT_EQ(std::string(e.what()), description);
        EXPECT_EQ(json::describePath(e.codingPath()), "icon");
    }
}

TEST(SlotIcon, ObjectFormReadAndWritten) {
    const struct {
        std::string input;
        std::string written;
    } cases[] = {
        {R"({"kind":"auto","text":"ignored"})", R"({"kind":"auto"})"},
        {R"({"name":"star","kind":"symbolPack","pack":"lucide"})",
         R"({"kind":"symbolPack","pack":"lucide","name":"star"})"},
        {R"({"kind":"text","text":"AB","tintHex":null})", R"({"kind":"text","text":"AB"})"},
        {R"({"kind":"customImage","path":"/a/b.png"})", R"({"kind":"customImage","path":"\/a\/b.png"})"},
        // Shorthands are always written back as objects.
        {R"("auto")", R"({"kind":"auto"})"},
        {R"("sf:star.fill")", R"({"kind":"symbolPack","pack":"sf","name":"star.fill"})"},
    };
    for (const auto& c : cases) {
        const SlotIcon read = icon(c.input);
        EXPECT_EQ(encode(read.toJson()), c.written) << c.input;
        EXPECT_EQ(icon(c.written), read);
    }
}

