#include <gtest/gtest.h>

#include <cmath>

#include "config/orbel_backup.h"
#include "config_fixture.h"
#include "model/json_writer.h"

using namespace orbel;
using Kind = OrbelBackupCodecError::Kind;

namespace {

template <class F>
OrbelBackupCodecError codecError(F&& f) {
    return orbel::testing::thrown<OrbelBackupCodecError>(std::forward<F>(f));
}

// A configuration whose JSON form is short: no slots, no overrides.
AppConfig small(double radius) {
    AppConfig c = AppConfig::defaultConfig();
    c.rootGroup.slots.clear();
    c.menuRadius = radius;
    return c;
}

OrbelBackup sample() {
    OrbelBackup b;
    b.createdAt = 1796489256.9;  // 2026-12-05T16:47:36.9Z
    b.appVersion = "1.2/beta";
    b.activeProfile = "Work";
    b.liveConfig = small(200);
    b.profiles = {{"Work", small(300)}, {"Home", small(250)}};
    return b;
}

// The document with one top-level member replaced (or removed when null).
std::string sampleWith(const std::string& key, const json::Json& value) {
    json::Json doc = sample().toJson();
    if (value.is_discarded()) doc.erase(key);
    else doc[key] = value;
    return json::write(doc);
}

// The writer's preset gives the layout (pretty, sorted at every level,
// slashes unescaped); this pins what the document adds to it.
TEST(OrbelBackupTest, EncodedLayoutAndIsoDate) {
    const auto topLevelKeys = [](const OrbelBackup& b) {
        std::vector<std::string> keys;
        const json::Json doc = json::parse(b.encode());
        for (auto it = doc.begin(); it != doc.end(); ++it) keys.push_back(it.key());
        return keys;
    };
    OrbelBackup b = sample();
    EXPECT_EQ(topLevelKeys(b), (std::vector<std::string>{"activeProfile", "appVersion", "createdAt", "liveConfig",
                                                         "profiles", "schemaVersion"}));
    EXPECT_EQ(b.encode(), json::write(b.toJson(), json::kBackupDocument));
    EXPECT_NE(b.encode().find("\"createdAt\" : \"2026-12-05T16:47:36Z\""), std::string::npos);
    EXPECT_NE(b.encode().find("\"appVersion\" : \"1.2/beta\""), std::string::npos);
    b.activeProfile.reset();
    EXPECT_EQ(topLevelKeys(b).front(), "appVersion");
}

TEST(OrbelBackupTest, DecodesItsEncodingToTheWholeSecondAndOptionalMembers) {
    const OrbelBackup decoded = OrbelBackup::decode(sample().encode());
    EXPECT_EQ(decoded.createdAt, 1796489256);
    EXPECT_EQ(decoded.activeProfile, "Work");
    EXPECT_EQ(decoded.liveConfig.encodeDocument(), sample().liveConfig.encodeDocument());
    EXPECT_EQ(decoded.profiles.at("Home").menuRadius, 250);
    const json::Json discard = json::Json::value_t::discarded;
    EXPECT_EQ(OrbelBackup::decode(sampleWith("activeProfile", discard)).activeProfile, std::nullopt);
    EXPECT_EQ(OrbelBackup::decode(sampleWith("activeProfile", nullptr)).activeProfile, std::nullopt);
    EXPECT_TRUE(OrbelBackup::decode(sampleWith("profiles", json::Json::object())).profiles.empty());
    EXPECT_EQ(OrbelBackup::decode(sampleWith("extra", 5)).appVersion, "1.2/beta");
}

TEST(OrbelBackupTest, DecodeFailuresCarryTheReasonAndItsPath) {
    const json::Json discard = json::Json::value_t::discarded;
    json::Json badProfile = sample().toJson()["profiles"];
    badProfile["Home"]["menuRadius"] = "wide";
    const std::pair<std::string, std::string> cases[] = {  // bytes, the path the reason names
        {sampleWith("profiles", discard), "profiles"},
        {sampleWith("createdAt", 1796489256), "createdAt"},
        {sampleWith("liveConfig", json::Json{{"menuRadius", "wide"}}), "liveConfig.menuRadius"},
        {sampleWith("profiles", badProfile), "profiles.Home.menuRadius"},
        // Another version in a layout this build cannot read is a decoding
        // failure, not a version mismatch.
        {json::write(json::Json{{"schemaVersion", 2}, {"payload", "new"}}), ""},
    };
    for (const auto& [bytes, path] : cases) {
        const OrbelBackupCodecError e = codecError([&] { OrbelBackup::decode(bytes); });
        EXPECT_EQ(e.kind(), Kind::decodeFailed);
        EXPECT_EQ(std::string(e.what()), "Couldn't read this backup: " + e.payload());
        EXPECT_NE(e.payload().find(path), std::string::npos) << e.payload();
    }
    EXPECT_STREQ(codecError([] { OrbelBackup::decode("{"); }).what(),
              "Couldn't read this backup: The given data was not valid JSON.");
    EXPECT_EQ(codecError([&] { OrbelBackup::decode(sampleWith("createdAt", "yesterday")); }).payload(),
              "Expected date string to be ISO8601-formatted. (at createdAt)");
}

TEST(OrbelBackupTest, OnlySchemaVersionOneIsAccepted) {
    for (std::int64_t version : {2, 0}) {
        const OrbelBackupCodecError e = codecError([&] { OrbelBackup::decode(sampleWith("schemaVersion", version)); });
        EXPECT_EQ(e, OrbelBackupCodecError::unsupportedSchemaVersion(version));
        EXPECT_EQ(std::string(e.what()), "Backup is schema version " + std::to_string(version) +
                                   "; this build of Orbel supports up to v1. Update Orbel, then try again.");
    }
    EXPECT_EQ(OrbelBackup::decode(sampleWith("schemaVersion", 1.0)).schemaVersion, 1);
}

TEST(OrbelBackupTest, DatesAreReadInInternetFormsAndWrittenInUtcWholeSeconds) {
    struct Case {
        const char* text;
        std::optional<double> seconds;
    };
    const std::vector<Case> cases = {
        {"2026-12-05T16:47:36Z", 1796489256},          {"2024-02-29T12:00:00z", 1709208000},
        {"2026-12-05T16:47:36.25Z", 1796489256.25},    {"2026-12-05T17:47:36+01:00", 1796489256},
        {"2026-12-05T12:17:36-0430", 1796489256},      {"2026-12-05T16:47:36", std::nullopt},  // no zone
        {"2023-02-29T00:00:00Z", std::nullopt},        {"2026-12-05T16:47:60Z", std::nullopt},
        {"2026-12-05T16:47:36+25:00", std::nullopt},   {"2026-12-05T16:47:36Z ", std::nullopt},
        {"0001-01-01T00:00:00+00:01", std::nullopt},  // would be written in year zero
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(OrbelBackup::parseDate(c.text), c.seconds);
    }

    EXPECT_EQ(OrbelBackup::formatDate(1796489256.999), "2026-12-05T16:47:36Z");
    EXPECT_EQ(OrbelBackup::formatDate(-0.5), "1969-12-31T23:59:59Z");
    EXPECT_EQ(OrbelBackup::formatDate(*OrbelBackup::parseDate("0001-01-01T00:00:00Z")), "0001-01-01T00:00:00Z");
    EXPECT_EQ(OrbelBackup::formatDate(std::nan("")), std::nullopt);
    EXPECT_EQ(OrbelBackup::formatDate(1e300), std::nullopt);

    OrbelBackup b = sample();
    b.createdAt = HUGE_VAL;
    EXPECT_EQ(codecError([&] { b.encode(); }).kind(), Kind::encodeFailed);
}

}  // namespace
