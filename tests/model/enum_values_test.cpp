#include <gtest/gtest.h>

#include <string>

#include "model/dial_mode.h"
#include "model/json.h"
#include "model/json_writer.h"
#include "model/transport_command.h"

using orbel::DialMode;
using orbel::TransportCommand;
using orbel::json::DecodingError;
namespace json = orbel::json;

namespace {

// Decodes the value of "v" in `text`, returning the error's description
// (prefixed by its kind number) when it fails.
template <class F>
std::string decodeOrError(const std::string& text, F&& decode, std::string& written) {
    const json::Json doc = json::parse(text);
    try {
        written = json::write(orbel::toJson(decode(json::Node(doc)["v"])), {});
        return "";
    } catch (const DecodingError& e) {
        EXPECT_EQ(json::describePath(e.codingPath()), "v");
        return std::to_string(static_cast<int>(e.kind())) + ":" + e.description();
    }
}

}  // namespace

TEST(TransportCommand, BareStringJson) {
    struct Case {
        const char* json;
        const char* written;  // empty when decoding fails
        const char* error;
    };
    const Case cases[] = {
        {R"({"v":"toggle"})", R"("toggle")", ""},
        {R"({"v":"next"})", R"("next")", ""},
        {R"({"v":"prev"})", R"("prev")", ""},
        {R"({"v":"Next"})", "", "3:Cannot initialize TransportCommand from invalid String value Next"},
        {R"({"v":"previous"})", "", "3:Cannot initialize TransportCommand from invalid String value previous"},
        {R"({"v":" toggle"})", "", "3:Cannot initialize TransportCommand from invalid String value  toggle"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        std::string written;
        const std::string error = decodeOrError(c.json, orbel::transportCommandFromJson, written);
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(error, c.error);
    }
    std::string unused;
    EXPECT_EQ(decodeOrError(R"({"v":1})", orbel::transportCommandFromJson, unused).substr(0, 2), "0:");
    EXPECT_EQ(orbel::transportCommandFromRaw("prev"), TransportCommand::prev);
    EXPECT_EQ(orbel::transportCommandFromRaw("PREV"), std::nullopt);
}

TEST(DialMode, BareStringJson) {
    struct Case {
        const char* json;
        const char* written;
        const char* error;
    };
    const Case cases[] = {
        {R"({"v":"standard"})", R"("standard")", ""},
        {R"({"v":"music"})", R"("music")", ""},
        {R"({"v":"Music"})", "", "3:Cannot initialize DialMode from invalid String value Music"},
        {R"({"v":" music"})", "", "3:Cannot initialize DialMode from invalid String value  music"},
        {R"({"v":""})", "", "3:Cannot initialize DialMode from invalid String value "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        std::string written;
        const std::string error = decodeOrError(c.json, orbel::dialModeFromJson, written);
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(error, c.error);
    }
    std::string unused;
    EXPECT_EQ(decodeOrError(R"({"v":["music"]})", orbel::dialModeFromJson, unused).substr(0, 2), "0:");
    EXPECT_EQ(orbel::dialModeFromRaw("standard"), DialMode::standard);
    EXPECT_EQ(orbel::dialModeFromRaw("music "), std::nullopt);
}
