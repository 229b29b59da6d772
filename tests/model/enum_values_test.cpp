#include <gtest/gtest.h>

#include <string>

#include "model/dial_mode.h"
#include "model/json.h"
#include "model/json_writer.h"
#include "model/transport_command.h"

namespace json = orbel::json;

namespace {

// Decodes the value of "v" in `text`: the written value, or the error's kind
// number and description.
template <class F>
std::string decodeOrError(const std::string& value, F&& decode) {
    const json::Json doc = json::parse(R"({"v":)" + value + "}");
    try {
        return json::write(orbel::toJson(decode(json::Node(doc)["v"])), {});
    } catch (const json::DecodingError& e) {
        EXPECT_EQ(json::describePath(e.codingPath()), "v");
        return std::to_string(static_cast<int>(e.kind())) + ":" + std::string(e.what());
    }
}

}  // namespace

TEST(BareStringEnums, ReadExactlyTheirRawValues) {
    const std::pair<const char*, const char*> transport[] = {
        {R"("toggle")", R"("toggle")"},
        {R"("prev")", R"("prev")"},
        {R"("Next")", "3:Cannot initialize TransportCommand from invalid String value Next"},
        {R"(" toggle")", "3:Cannot initialize TransportCommand from invalid String value  toggle"},
    };
    for (const auto& [in, out] : transport) EXPECT_EQ(decodeOrError(in, orbel::transportCommandFromJson), out);
    const std::pair<const char*, const char*> modes[] = {
        {R"("music")", R"("music")"},
        {R"("Music")", "3:Cannot initialize DialMode from invalid String value Music"},
        {R"("")", "3:Cannot initialize DialMode from invalid String value "},
    };
    for (const auto& [in, out] : modes) EXPECT_EQ(decodeOrError(in, orbel::dialModeFromJson), out);
    EXPECT_EQ(decodeOrError("1", orbel::transportCommandFromJson).substr(0, 2), "0:");
    EXPECT_EQ(decodeOrError(R"(["music"])", orbel::dialModeFromJson).substr(0, 2), "0:");
}
