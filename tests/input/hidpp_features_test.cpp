// The feature readers: decoding vectors, their guards, and the requests
// they send to a simulated device.
#include "input/hidpp_features.h"

#include "input_fixture.h"

namespace orbel::testing {
namespace {

using input::HidppBattery;
using input::HidppDpiList;
using input::HidppDpiStride;
using Kind = input::HidppError::Kind;
namespace hidpp = input::hidpp;

HidBytes payload(HidBytes bytes) { return padded(std::move(bytes), 16); }

TEST(HidppDecoders, Battery) {
    auto full = hidpp::decodeBattery(payload({0x64, 0x04, 0x01}));
    EXPECT_EQ(full.value(), (HidppBattery{100, HidppBattery::Level::good, HidppBattery::Status::charging}));
    auto unknown = hidpp::decodeBattery(payload({0x64, 0x03, 0x09}));
    EXPECT_EQ(unknown.value(), (HidppBattery{100, std::nullopt, std::nullopt}));
    EXPECT_EQ(hidpp::decodeBattery({0x64, 0x04}).errorKind(), Kind::invalidData);

    EXPECT_EQ(full.value().toJson().dump(), R"({"percentage":100,"level":4,"status":1})");
    EXPECT_EQ(unknown.value().toJson().dump(), R"({"percentage":100})");
    EXPECT_EQ(HidppBattery::fromJson(full.value().toJson()), full.value());
    EXPECT_THROW(HidppBattery::fromJson(nlohmann::ordered_json::parse(R"({"percentage":1,"level":3})")),
                 nlohmann::json::exception);
}

TEST(HidppDecoders, DpiLists) {
    using Values = std::vector<std::uint16_t>;
    const std::vector<std::tuple<const char*, HidBytes, std::optional<HidppDpiList>>> cases = {  // none: invalidData
        {"stride", payload({0x00, 0x00, 0xC8, 0xE0, 0x32, 0x0F, 0xA0}), HidppDpiStride{200, 4000, 50}},
        {"values", payload({0x00, 0x01, 0x90, 0x03, 0x20, 0x06, 0x40}), Values{400, 800, 1600}},
        {"empty", payload({0x00}), Values{}},
        {"four entries with a step", payload({0x00, 0x00, 0xC8, 0xE0, 0x32, 0x0F, 0xA0, 0x03, 0x20}), std::nullopt},
        {"step first", payload({0x00, 0xE0, 0x32, 0x00, 0xC8, 0x0F, 0xA0}), std::nullopt},
        {"step of zero", payload({0x00, 0x00, 0xC8, 0xE0, 0x00, 0x0F, 0xA0}), std::nullopt},
        {"other sensor", payload({0x01, 0x01, 0x90}), std::nullopt},
        {"no payload", {}, std::nullopt},
        {"odd tail ignored", {0x00, 0x01, 0x90, 0x03}, Values{400}},
        {"full payload without end",
         {0x00, 0x01, 0x90, 0x01, 0x91, 0x01, 0x92, 0x01, 0x93, 0x01, 0x94, 0x01, 0x95, 0x01, 0x96, 0x01},
         Values{400, 401, 402, 403, 404, 405, 406}},
    };
    for (const auto& [name, answer, expected] : cases) {
        SCOPED_TRACE(name);
        auto result = hidpp::decodeDpiList(answer, 0);
        EXPECT_EQ(result.errorKind(), expected ? std::nullopt : std::optional(Kind::invalidData));
        EXPECT_TRUE(!expected || result.value() == *expected);
    }
}

TEST(HidppDecoders, SensorDpiAndSerialNumber) {
    EXPECT_EQ(hidpp::decodeSensorDpi(payload({0x01, 0x06, 0x40}), 1).value(), 1600);
    EXPECT_EQ(hidpp::decodeSensorDpi(payload({0x00, 0x06, 0x40}), 1).errorKind(), Kind::invalidData);
    EXPECT_EQ(hidpp::decodeSensorDpi({0x01, 0x06}, 1).errorKind(), Kind::invalidData);

    EXPECT_EQ(hidpp::decodeSerialNumber(payload({'4', '2', 'A', 'B', 'C', 'D', '0', '1', '2', '3', '4', '5'})),
              "42ABCD012345");
    EXPECT_EQ(hidpp::decodeSerialNumber(HidBytes(16, 'x')), std::string(16, 'x'));  // no terminator: the payload
    EXPECT_EQ(hidpp::decodeSerialNumber({'a', 0xFF, 'b', 0}), "a\xEF\xBF\xBD" "b");
}

class HidppReadersTest : public HidppFixture {
protected:
    void SetUp() override {
        sim.features[hidpp::kBatteryFeature] = {3, 0};
        sim.features[hidpp::kDpiFeature] = {4, 0};
        sim.features[hidpp::kFriendlyNameFeature] = {6, 0};
    }
    // Serves the friendly name `name` in chunks of `chunk` characters after
    // the position byte, and reads it.
    Received<std::string>& readName(const std::string& name, std::size_t chunk = 15) {
        sim.answers[{6, 0}] = [n = name.size()](const HidBytes&) { return HidBytes{0, 0, static_cast<std::uint8_t>(n)}; };
        sim.answers[{6, 1}] = [name, chunk](const HidBytes& p) {
            HidBytes answer{p[0]};
            for (std::size_t i = p[0]; i < name.size() && i < p[0] + chunk; ++i) answer.push_back(name[i]);
            return answer;
        };
        name_ = {};
        hidpp::friendlyName(device, name_.callback());
        timers.runDue();
        return name_;
    }
    Received<std::string> name_;
};

TEST_F(HidppReadersTest, FriendlyNameIsReadInChunks) {
    for (const auto& [name, positions] : std::vector<std::pair<std::string, std::vector<int>>>{
             {"MX Master 3S", {0}}, {"MX Master 3 for Mac ", {0, 15}}, {"", {}}}) {
        SCOPED_TRACE(name);
        sim.requests.clear();
        const auto& r = readName(name);
        ASSERT_TRUE(r.result && r.result->ok());
        EXPECT_EQ(r.result->value(), name);
        std::vector<int> asked;  // the position bytes of function-1 requests
        for (const HidBytes& request : sim.requests)
            if (request[1] == 6 && (request[2] >> 4) == 1) asked.push_back(request[3]);
        EXPECT_EQ(asked, positions);
    }
}

TEST_F(HidppReadersTest, FriendlyNameEndsOnBadChunks) {
    // A long report pads a chunk with zeros: they are characters.
    EXPECT_EQ(readName("abc", 0).result->value(), std::string(3, '\0'));
    EXPECT_EQ(readName("\xC3\x28").errorKind(), Kind::invalidData);
    // Answers too short for a character or for the length (frames under identifiers 7 and 0).
    sim.silent = {{6, 1}};
    readName("abc");
    hid->deliver(0x11, {0xFF, 0x06, 0x1F, 0x00});
    EXPECT_EQ(name_.errorKind(), Kind::invalidData);
    sim.silent = {{6, 0}};
    readName("abc");
    hid->deliver(0x11, {0xFF, 0x06, 0x08, 0x00, 0x00});
    EXPECT_EQ(name_.errorKind(), Kind::invalidData);
}

TEST_F(HidppReadersTest, RequestsGoToTheResolvedFeature) {
    sim.answers[{3, 1}] = [](const HidBytes&) { return HidBytes{0x32, 0x02, 0x00}; };
    sim.answers[{4, 3}] = [](const HidBytes& p) { return HidBytes{p[0], 0x03, 0x20}; };  // clamps to 800
    sim.errors[{4, 2}] = 0x02;

    Received<HidppBattery> battery;
    hidpp::battery(device, battery.callback());
    Received<std::uint16_t> set;
    timers.runDue();
    hidpp::setSensorDpi(device, 1600, 1, set.callback());
    timers.runDue();
    Received<std::uint16_t> get;
    hidpp::sensorDpi(device, 0, get.callback());
    timers.runDue();

    EXPECT_EQ(battery.result->value(), (HidppBattery{50, HidppBattery::Level::low, HidppBattery::Status::discharging}));
    EXPECT_EQ(set.result->value(), 800);
    EXPECT_EQ(get.errorKind(), Kind::errorInputRequest);
    // Root lookups, then the battery (no parameters), then [sensor, DPI high, DPI low].
    ASSERT_EQ(sim.requests.size(), 5u);
    EXPECT_EQ(sim.requests[1], padded({0xFF, 0x03, 0x1A}));
    EXPECT_EQ(HidBytes(sim.requests[3].begin(), sim.requests[3].begin() + 6), HidBytes({0xFF, 0x04, 0x3C, 0x01, 0x06, 0x40}));
}

}  // namespace
}  // namespace orbel::testing
