#include <gtest/gtest.h>

#include "decode_helpers.h"
#include "model/hex_color.h"
#include "model/icon_pack_records.h"
#include "model/json_writer.h"
#include "model/slot_icon.h"

using namespace orbel;
using json::DecodingError;
using orbel::testing::decodeError;
using orbel::testing::decodeText;

namespace {

SlotIcon icon(std::string_view text) { return decodeText(text, SlotIcon::fromJson); }
std::string encode(const json::Json& value) { return json::write(value, {}); }

std::string unrecognized(const std::string& s) {
    return "Unrecognized icon shorthand \"" + s +
           "\". Use \"auto\", \"pack:name\", a 1\u20133 char monogram, or a file path.";
}

}  // namespace

TEST(SlotIcon, ShorthandForms) {
    const struct {
        std::string shorthand;
        SlotIcon expected;
    } cases[] = {
        {"auto", SlotIcon::automatic()},
        {"~/Pictures/a.png", SlotIcon::customImage("~/Pictures/a.png")},
        {" \t/tmp/x ", SlotIcon::customImage(" \t/tmp/x ")},  // path kept untrimmed
        {"Photo.PNG", SlotIcon::customImage("Photo.PNG")},
        {"lucide:image.svg", SlotIcon::customImage("lucide:image.svg")},
        {"a.jpeg..", SlotIcon::customImage("a.jpeg..")},  // empty pieces dropped
        {"lucide:star", SlotIcon::symbolPack(IconPack{"lucide"}, "star")},
        {"a:b:c", SlotIcon::symbolPack(IconPack{"a"}, "b:c")},
        {" x: y", SlotIcon::symbolPack(IconPack{" x"}, " y")},
        {"AB", SlotIcon::monogram("AB")},
        {"e\u0301\U0001F44D\U0001F3FDz", SlotIcon::monogram("e\u0301\U0001F44D\U0001F3FDz")},
        {"...", SlotIcon::monogram("...")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(icon(json::write(json::Json(c.shorthand))), c.expected) << c.shorthand;
    }
}

TEST(SlotIcon, ShorthandErrors) {
    const struct {
        std::string shorthand;
        std::string description;
    } cases[] = {
        {" auto", unrecognized(" auto")},
        {"Star", unrecognized("Star")},
        {"", unrecognized("")},
        {":star", "Icon shorthand \":star\" must be \"pack:name\""},
        {"lucide:", "Icon shorthand \"lucide:\" must be \"pack:name\""},
    };
    for (const auto& c : cases) {
        // Reported at the path of the value being decoded.
        const auto e = decodeError(json::write(json::Json{{"icon", c.shorthand}}),
                                   [](const json::Node& n) { return SlotIcon::fromJson(n["icon"]); });
        EXPECT_EQ(e.kind(), DecodingError::Kind::dataCorrupted) << c.shorthand;
        EXPECT_EQ(std::string(e.what()), c.description);
        EXPECT_EQ(json::describePath(e.codingPath()), "icon");
    }
}

TEST(SlotIcon, ShorthandFormatRoundTrips) {
    const SlotIcon icons[] = {
        SlotIcon::automatic(),
        SlotIcon::symbolPack(IconPack{"lucide"}, "star"),
        SlotIcon::symbolPack(IconPack{"a"}, "b:c"),
        SlotIcon::monogram("AB"),
        SlotIcon::customImage("~/Pictures/a.png"),
    };
    for (const auto& original : icons) {
        const auto text = original.shorthand();
        ASSERT_TRUE(text) << encode(original.toJson());
        EXPECT_EQ(icon(json::write(json::Json(*text))), original) << *text;
    }
    // Icons no shorthand can express.
    const SlotIcon none[] = {
        SlotIcon::monogram("AB", "FF0000"),
        SlotIcon::monogram("auto"),                 // reads as the automatic icon
        SlotIcon::monogram("a:b"),                  // reads as a pack symbol
        SlotIcon::monogram("ABCD"),
        SlotIcon::customImage("notes.txt"),         // no image extension, no "/" or "~"
        SlotIcon::symbolPack(IconPack{"a:b"}, "c"),  // pack splits at the first colon
        SlotIcon::symbolPack(IconPack{"lucide"}, "image.png"),
    };
    for (const auto& i : none) EXPECT_FALSE(i.shorthand()) << encode(i.toJson());
}

TEST(SlotIcon, ObjectFormReadAndWritten) {
    const struct {
        std::string input;
        std::string written;
    } cases[] = {
        {R"({"kind":"auto","text":"ignored"})", R"({"kind":"auto"})"},
        {R"({"name":"star","kind":"symbolPack","pack":"lucide"})",
         R"({"kind":"symbolPack","pack":"lucide","name":"star"})"},
        {R"({"kind":"text","text":"AB","tintHex":"FF0000"})", R"({"kind":"text","text":"AB","tintHex":"FF0000"})"},
        {R"({"kind":"text","text":"AB","tintHex":null})", R"({"kind":"text","text":"AB"})"},
        {R"({"kind":"customImage","path":"/a/b.png"})", R"({"kind":"customImage","path":"\/a\/b.png"})"},
        // Shorthands are always written back as objects.
        {R"("auto")", R"({"kind":"auto"})"},
        {R"("sf:star.fill")", R"({"kind":"symbolPack","pack":"sf","name":"star.fill"})"},
        {R"("AB")", R"({"kind":"text","text":"AB"})"},
    };
    for (const auto& c : cases) {
        const SlotIcon read = icon(c.input);
        EXPECT_EQ(encode(read.toJson()), c.written) << c.input;
        EXPECT_EQ(icon(c.written), read);
    }
}

TEST(SlotIcon, ObjectFormErrors) {
    using K = DecodingError::Kind;
    const std::vector<orbel::testing::ErrorCase> cases = {
        {R"({"kind":"symbolPack","pack":"lucide"})", K::keyNotFound, "No value associated with key \"name\".", ""},
        {R"({"pack":"lucide","name":"x"})", K::keyNotFound, "No value associated with key \"kind\".", ""},
        {R"({"kind":"emoji"})", K::dataCorrupted, "Cannot initialize Kind from invalid String value emoji", "kind"},
        {R"({"kind":"text","text":5})", K::typeMismatch, "Expected to decode String but found a number instead.", "text"},
        {R"({"kind":"customImage","path":null})", K::valueNotFound, "Expected String value but found null instead.", "path"},
        {"5", K::typeMismatch, "Expected to decode Dictionary<String, Any> but found a number instead.", ""},
    };
    orbel::testing::expectDecodeErrors(cases, SlotIcon::fromJson);
}

TEST(SlotIcon, TintIsPartOfEqualityAndReadLeniently) {
    EXPECT_NE(SlotIcon::monogram("AB"), SlotIcon::monogram("AB", "FF0000"));
    EXPECT_NE(SlotIcon::monogram("AB", "ff0000"), SlotIcon::monogram("AB", "FF0000"));
    EXPECT_EQ(SlotIcon::monogram("A", " #1E90ff\n").get<SlotIcon::Text>()->tint(),
              (Rgb{30 / 255.0, 144 / 255.0, 1.0}));
    EXPECT_FALSE(SlotIcon::monogram("A", "red").get<SlotIcon::Text>()->tint());
}

TEST(IconPack, DisplayAndFontNames) {
    const std::pair<std::string, std::string> names[] = {
        {"sf", "SF Symbols"}, {"my-icons", "My Icons"}, {"foo--bar", "Foo Bar"}, {"--", ""}, {"-élan-x-", "Élan X"},
    };
    for (const auto& [id, name] : names) EXPECT_EQ(IconPack{id}.displayName(), name) << id;
    EXPECT_EQ(IconPack{"phosphor"}.fontPostScriptName(), "Phosphor-Regular");
    EXPECT_FALSE(IconPack{"sf"}.fontPostScriptName());
}

TEST(IconPackRecords, ManifestEntries) {
    const auto entries = [] {
        const json::Json doc = json::parse(
            R"([{"id":"lucide","name":"Lucide","license":"ISC","iconCount":1500},)"
            R"({"iconCount":9,"name":"Mine","id":"mine","license":null}])");
        return json::Node(doc).map(IconPackManifestEntry::fromJson);
    }();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].license, "ISC");
    EXPECT_EQ(encode(entries[1].toJson()), R"({"id":"mine","name":"Mine","iconCount":9})");
    EXPECT_EQ(encode(entries[0].toJson()), R"({"id":"lucide","name":"Lucide","license":"ISC","iconCount":1500})");

    EXPECT_EQ(std::string(decodeError(R"({"id":"x","name":"X"})", IconPackManifestEntry::fromJson).what()),
              "No value associated with key \"iconCount\".");
}

TEST(IconPackRecords, CatalogEntries) {
    const auto svg = decodeText(
        R"({"keywords":[],"height":24,"width":24.5,"svgBody":"<path d=\"M0 0\"/>","name":"x"})", IconCatalogEntry::fromJson);
    EXPECT_EQ(encode(svg.toJson()),
              R"({"name":"x","svgBody":"<path d=\"M0 0\"\/>","width":24.5,"height":24,"keywords":[]})");
    EXPECT_EQ(decodeText(encode(svg.toJson()), IconCatalogEntry::fromJson), svg);
    EXPECT_EQ(std::string(decodeError(R"({"name":"x"})", IconCatalogEntry::fromJson).what()),
              "No value associated with key \"keywords\".");
}
