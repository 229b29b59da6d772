#include <gtest/gtest.h>

#include "model/hex_color.h"
#include "model/icon_pack_records.h"
#include "model/json_writer.h"
#include "model/slot_icon.h"

using namespace orbel;
using json::DecodingError;

namespace {

template <class T>
T decode(const std::string& text) {
    const json::Json doc = json::parse(text);
    return T::fromJson(json::Node(doc));
}

std::string encode(const json::Json& value) { return json::write(value, {}); }

struct Failure {
    DecodingError::Kind kind;
    std::string path;
    std::string description;
};

template <class T>
Failure decodeFailure(const std::string& text) {
    try {
        decode<T>(text);
    } catch (const DecodingError& e) {
        return {e.kind(), json::describePath(e.codingPath()), e.description()};
    }
    ADD_FAILURE() << "decoded without error: " << text;
    return {};
}

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
        const json::Json doc = c.shorthand;
        EXPECT_EQ(SlotIcon::fromJson(json::Node(doc)), c.expected) << c.shorthand;
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
        const json::Json inner = c.shorthand;
        const json::Json doc = {{"icon", inner}};
        const auto f = decodeFailure<SlotIcon>(json::write(inner, {}));
        EXPECT_EQ(f.kind, DecodingError::Kind::DataCorrupted) << c.shorthand;
        EXPECT_EQ(f.description, c.description);
        // Reported at the path of the value being decoded.
        try {
            SlotIcon::fromJson(json::Node(doc)["icon"]);
            ADD_FAILURE();
        } catch (const DecodingError& e) {
            EXPECT_EQ(json::describePath(e.codingPath()), "icon");
        }
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
    for (const auto& icon : icons) {
        const auto text = icon.shorthand();
        ASSERT_TRUE(text) << encode(icon.toJson());
        const json::Json doc = *text;
        EXPECT_EQ(SlotIcon::fromJson(json::Node(doc)), icon) << *text;
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
    for (const auto& icon : none) EXPECT_FALSE(icon.shorthand()) << encode(icon.toJson());
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
        const SlotIcon icon = decode<SlotIcon>(c.input);
        EXPECT_EQ(encode(icon.toJson()), c.written) << c.input;
        EXPECT_EQ(decode<SlotIcon>(c.written), icon);
    }
}

TEST(SlotIcon, ObjectFormErrors) {
    using K = DecodingError::Kind;
    const struct {
        std::string input;
        K kind;
        std::string path;
        std::string description;
    } cases[] = {
        {R"({"kind":"symbolPack","pack":"lucide"})", K::KeyNotFound, "", "No value associated with key \"name\"."},
        {R"({"pack":"lucide","name":"x"})", K::KeyNotFound, "", "No value associated with key \"kind\"."},
        {R"({"kind":"emoji"})", K::DataCorrupted, "kind", "Cannot initialize Kind from invalid String value emoji"},
        {R"({"kind":"text","text":5})", K::TypeMismatch, "text", "Expected to decode String but found a number instead."},
        {R"({"kind":"customImage","path":null})", K::ValueNotFound, "path", "Expected String value but found null instead."},
        {"5", K::TypeMismatch, "", "Expected to decode Dictionary<String, Any> but found a number instead."},
    };
    for (const auto& c : cases) {
        const auto f = decodeFailure<SlotIcon>(c.input);
        EXPECT_EQ(f.kind, c.kind) << c.input;
        EXPECT_EQ(f.path, c.path) << c.input;
        EXPECT_EQ(f.description, c.description) << c.input;
    }
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

    const auto f = decodeFailure<IconPackManifestEntry>(R"({"id":"x","name":"X"})");
    EXPECT_EQ(f.description, "No value associated with key \"iconCount\".");
}

TEST(IconPackRecords, CatalogEntries) {
    const auto svg = decode<IconCatalogEntry>(
        R"({"keywords":[],"height":24,"width":24.5,"svgBody":"<path d=\"M0 0\"/>","name":"x"})");
    EXPECT_EQ(encode(svg.toJson()),
              R"({"name":"x","svgBody":"<path d=\"M0 0\"\/>","width":24.5,"height":24,"keywords":[]})");
    EXPECT_EQ(decode<IconCatalogEntry>(encode(svg.toJson())), svg);

    const auto f = decodeFailure<IconCatalogEntry>(R"({"name":"x"})");
    EXPECT_EQ(f.kind, DecodingError::Kind::KeyNotFound);
    EXPECT_EQ(f.description, "No value associated with key \"keywords\".");
}
