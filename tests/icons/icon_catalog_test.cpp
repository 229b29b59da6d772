// The icon catalogue against fixture resource trees.

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "fakes/fake_icon_platform.h"
#include "icons/icon_catalog.h"
#include "support/mapped.h"
#include "support/test_files.h"

namespace orbel {
namespace {

using testing::writeFile;

std::vector<std::string> ids(const std::vector<IconPack>& packs) { return testing::mapped(packs, &IconPack::rawValue); }
std::vector<std::string> names(const std::vector<IconCatalogEntry>& entries) {
    return testing::mapped(entries, &IconCatalogEntry::name);
}

QByteArray catalogText(std::initializer_list<const char*> iconNames) {
    QByteArray out = "[";
    for (const char* n : iconNames) {
        if (out.size() > 1) out += ",";
        out += QByteArray(R"({"name":")") + n + R"(","svgBody":"<path d='M0 0'/>","keywords":["k"]})";
    }
    return out + "]";
}

class IconCatalogTest : public ::testing::Test {
protected:
    void write(const QString& relative, const QByteArray& content) { writeFile(dir.filePath(relative), content); }
    IconCatalog& catalog() {
        if (!catalog_) catalog_.emplace(bundle, fonts, symbols);
        return *catalog_;
    }

    QTemporaryDir dir;
    fakes::FakeBundle bundle{dir.path().toStdString()};
    fakes::FakeFonts fonts;
    fakes::FakeSymbols symbols;
    std::optional<IconCatalog> catalog_;
};

TEST_F(IconCatalogTest, WithoutResourcesOnlyTheBuiltInListServes) {
    bundle.dir.reset();
    catalog().bootstrap();
    EXPECT_EQ(ids(catalog().allPacks()), std::vector<std::string>{"sf"});
    EXPECT_EQ(catalog().displayName(IconPack{"sf"}), "System Symbols");
    EXPECT_EQ(catalog().search(IconPack{"sf"}, ""), IconCatalog::sfSymbolEntries());
    EXPECT_TRUE(catalog().manifest().empty());
}

TEST_F(IconCatalogTest, SearchTrimsSpacesAndTabsLowerCasesAndKeepsCatalogueOrder) {
    const IconPack sf{"sf"};
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {" \tSTAR  ", {"star.fill", "wand.and.stars", "play.fill"}},
        {"info", {"info.circle", "questionmark.circle"}},
        {"\u00A0Favourite\u3000", {"heart.fill"}},  // Unicode space separators are trimmed too
        {"\n", {}},                               // a line break is not white space here
        {"no such icon", {}},
    };
    for (const auto& [query, expected] : cases) EXPECT_EQ(names(catalog().search(sf, query)), expected) << query;
    EXPECT_EQ(catalog().search(sf, " \t "), IconCatalog::sfSymbolEntries());
}

TEST_F(IconCatalogTest, PacksAreListedKnownFirstThenManifestThenDiscoveredByDisplayName) {
    write("IconPacks/icon-packs-manifest.json",
          R"([{"id":"zeta","name":"Zeta Pack","iconCount":1},{"id":"tabler","name":"Tabler Icons","license":"MIT","iconCount":2},
              {"id":"zeta","name":"Second Zeta","iconCount":0},{"id":"ghost","name":"Ghost","license":null,"iconCount":0}])");
    write("IconPacks/tabler/tabler-catalog.json", catalogText({"a"}));
    write("IconPacks/lucide/lucide-catalog.json", catalogText({"a"}));
    write("extra/b-pack-catalog.json", catalogText({"a"}));   // display name "B Pack"
    write("more/deep/a-z-catalog.json", catalogText({"a"}));  // "A Z"
    write(".hidden/hidden-catalog.json", catalogText({"a"}));
    write("extra/.x-catalog.json", catalogText({"a"}));
    write("-catalog.json", catalogText({"a"}));  // no id

    EXPECT_EQ(ids(catalog().allPacks()), std::vector<std::string>{"sf"}) << "before start-up";
    catalog().bootstrap();
    EXPECT_EQ(ids(catalog().allPacks()),
              (std::vector<std::string>{"sf", "lucide", "tabler", "zeta", "ghost", "a-z", "b-pack"}));
    EXPECT_EQ(catalog().displayName(IconPack{"zeta"}), "Zeta Pack");
    EXPECT_EQ(catalog().displayName(IconPack{"tabler"}), "Tabler Icons");
    EXPECT_EQ(catalog().displayName(IconPack{"b-pack"}), "B Pack");
    EXPECT_TRUE(catalog().entries(IconPack{"ghost"}).empty());
    EXPECT_TRUE(fonts.registered.empty());
}

TEST_F(IconCatalogTest, GlyphFontIsRegisteredWhenFoundAndMakesThePackUsable) {
    struct Case {
        const char* name;
        bool font, catalogue, refuse;
        bool listed;
    };
    for (const Case& c : {Case{"font", true, false, false, true}, Case{"catalogue only", false, true, false, true},
                          Case{"refused, no manifest", true, true, true, true},
                          Case{"refused, nothing else", true, false, true, false},
                          Case{"nothing", false, false, false, false}}) {
        SCOPED_TRACE(c.name);
        QTemporaryDir tree;
        fakes::FakeBundle b{tree.path().toStdString()};
        fakes::FakeFonts f;
        f.refuse = c.refuse;
        if (c.font) writeFile(tree.filePath("IconPacks/phosphor/Phosphor-Regular.ttf"), "font");
        if (c.catalogue) writeFile(tree.filePath("IconPacks/phosphor/phosphor-catalog.json"), "[]");
        IconCatalog cat(b, f, symbols);
        cat.bootstrap();
        EXPECT_EQ(cat.isAvailable(IconPack{"phosphor"}), c.listed);
        EXPECT_EQ(f.registered.size(), c.font ? 1u : 0u);
    }
}

TEST_F(IconCatalogTest, BadManifestOrCatalogueEmptiesOnlyThatDocument) {
    write("IconPacks/icon-packs-manifest.json", R"([{"id":"one","name":"One","iconCount":1.5}])");
    write("IconPacks/lucide/lucide-catalog.json",
          R"([{"name":"ok","keywords":[]},{"name":"bad","svgBody":"<g/>"}])");  // second lacks keywords
    write("IconPacks/tabler/tabler-catalog.json", R"([{"name":"x","codepoint":null,"width":16,"keywords":[],"extra":1}])");
    catalog().bootstrap();
    EXPECT_TRUE(catalog().manifest().empty());
    EXPECT_EQ(catalog().displayName(IconPack{"one"}), "One");  // the pack's own name rule
    EXPECT_TRUE(catalog().entries(IconPack{"lucide"}).empty());
    EXPECT_TRUE(catalog().search(IconPack{"lucide"}, "").empty());
    EXPECT_EQ(ids(catalog().allPacks()), (std::vector<std::string>{"sf", "lucide", "tabler"}));
    ASSERT_EQ(catalog().entries(IconPack{"tabler"}).size(), 1u);
    EXPECT_EQ(catalog().entries(IconPack{"tabler"})[0].width, 16.0);

    // Read once: a corrected file is not seen again in this run.
    write("IconPacks/lucide/lucide-catalog.json", catalogText({"fixed"}));
    EXPECT_TRUE(catalog().entries(IconPack{"lucide"}).empty());
}

TEST_F(IconCatalogTest, CatalogueLookupPrefersThePacksFolderAndNeverReadsOneForSf) {
    write("lucide-catalog.json", catalogText({"top"}));
    write("sf-catalog.json", catalogText({"not-a-symbol"}));
    EXPECT_EQ(names(catalog().entries(IconPack{"lucide"})), std::vector<std::string>{"top"});
    write("IconPacks/tabler/tabler-catalog.json", catalogText({"own"}));
    write("tabler-catalog.json", catalogText({"top"}));
    EXPECT_EQ(names(catalog().entries(IconPack{"tabler"})), std::vector<std::string>{"own"});
    EXPECT_FALSE(catalog().catalogPath(IconPack{"sf"}));
    EXPECT_EQ(catalog().entries(IconPack{"sf"}), IconCatalog::sfSymbolEntries());
}

TEST(IconCatalogPick, FindsTheNamedElementInTheTextAlone) {
    const std::string text =
        R"([{"name":"star","svgBody":"<g a=\"{\\\"\"/>","keywords":["x]"]},)"
        R"({"name":"star-fill","codepoint":"e001","keywords":["{\"name\":\"ghost\""]}])";
    struct Case {
        const char* name;
        std::optional<std::string> codepoint;  // of the entry found
        bool found;
    };
    const Case cases[] = {
        {"star", std::nullopt, true},
        {"star-fill", "e001", true},
        {"sta", std::nullopt, false},
        {"ghost", std::nullopt, false},  // only inside a keyword
        {"a\"b", std::nullopt, false},
    };
    for (const Case& c : cases) {
        const auto entry = IconCatalog::pickEntry(text, c.name);
        ASSERT_EQ(entry.has_value(), c.found) << c.name;
        if (entry) {
            EXPECT_EQ(entry->codepoint, c.codepoint) << c.name;
        }
    }
    EXPECT_EQ(IconCatalog::pickEntry(text, "star")->svgBody, R"(<g a="{\""/>)");
}

}  // namespace
}  // namespace orbel
