#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "model/text.h"

using namespace orbel;
using namespace orbel::text;

TEST(Text, TrimmingRules) {
    // Spaces and tabs only: U+00A0 and U+3000 are space separators, line breaks stay.
    EXPECT_EQ(trimSpacesAndTabs(" \t\u00A0a b\u3000 "), "a b");
    EXPECT_EQ(trimSpacesAndTabs("\n a \n"), "\n a \n");
    EXPECT_EQ(trimSpacesAndTabs(" \ta b\t "), "a b");  // plain ASCII takes a short way
    EXPECT_EQ(trimSpacesAndTabs("   "), "");
    // Whitespace and newlines.
    EXPECT_EQ(trimWhitespaceAndNewlines("\r\n\t a b \u2028\n"), "a b");
    EXPECT_EQ(trimWhitespaceAndNewlines("\r\n a\v\f"), "a");
}

TEST(Text, GraphemesAndCase) {
    EXPECT_EQ(capitalizeFirst("mail"), "Mail");
    EXPECT_EQ(capitalizeFirst("éclair"), "Éclair");
    EXPECT_EQ(capitalizeFirst("ßx"), "SSx");  // full upper-casing of the first character
    EXPECT_EQ(capitalizeFirst(""), "");
    EXPECT_EQ(capitalizeFirst("1abc"), "1abc");
    EXPECT_EQ(toLower("MiXeD ÀB"), "mixed àb");
    EXPECT_EQ(graphemeCount("a\r\nb"), 3u);  // CR LF is one character
    EXPECT_EQ(graphemeCount("e\u0301a"), 2u);            // e + combining accent is one character
    EXPECT_EQ(graphemeCount("👍🏽👨‍👩‍👧"), 2u);  // modifier and ZWJ sequences
    EXPECT_EQ(graphemePrefix("e\u0301ab", 2), "e\u0301a");
    EXPECT_EQ(graphemePrefix("ab", 5), "ab");
    // A flag is two regional indicators and one character; an odd one out stands alone.
    for (const auto& [text, count] : std::vector<std::pair<std::string, std::size_t>>{
             {"🇫🇷", 1}, {"🇫🇷🇩🇪a", 3}, {"🇫🇷🇩", 2}, {"a🇫🇷🇩🇪🇮🇹", 4}}) {
        EXPECT_EQ(graphemeCount(text), count) << text;
    }
    EXPECT_EQ(graphemePrefix("🇫🇷🇩🇪🇮🇹🇪🇸", 3), "🇫🇷🇩🇪🇮🇹");
}

TEST(Uuid, UpperCaseTextAndStrictParser) {
    const Uuid u = Uuid::random();
    const std::string s = u.toString();
    EXPECT_EQ(s, toUpper(s));
    EXPECT_EQ(s[14], '4');
    EXPECT_EQ(Uuid::parse(toLower(s)), u);
    EXPECT_FALSE(Uuid::parse("{" + s + "}"));
    EXPECT_FALSE(Uuid::parse("E621E1F8C36C-495A-93FC-0C247A3E6E5F0"));
    // Ids come from one generator per thread: no two alike, across threads too.
    std::set<std::string> many;
    std::thread other([&] { for (int i = 0; i < 500; ++i) many.insert(Uuid::random().toString()); });
    other.join();
    for (int i = 0; i < 500; ++i) many.insert(Uuid::random().toString());
    EXPECT_EQ(many.size(), 1000u);
}
