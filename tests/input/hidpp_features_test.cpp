// The feature readers: decoding vectors, their guards, and the requests
// they send to a simulated device.
#include "input/hidpp_features.h"

#include "hidpp_test_support.h"

namespace orbel::testing {
namespace {

using input::HidppBattery;
using input::HidppDpiList;
using input::HidppDpiStride;
using Kind = input::HidppError::Kind;
namespace hidpp = input::hidpp;

HidBytes payload(HidBytes bytes) {
    bytes.resize(16, 0);
    return bytes;
}

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
    struct Case {
        const char* name;
        HidBytes answer;
        std::optional<HidppDpiList> expected;  // none: invalidData
    };
    using Values = std::vector<std::uint16_t>;
    const std::vector<Case> cases = {
        {"stride", payload({0x00, 0x00, 0xC8, 0xE0, 0x32, 0x0F, 0xA0}), HidppDpiList(HidppDpiStride{200, 4000, 50})},
        {"values", payload({0x00, 0x01, 0x90, 0x03, 0x20, 0x06, 0x40}), HidppDpiList(Values{400, 800, 1600})},
        {"empty", payload({0x00}), HidppDpiList(Values{})},
        {"four entries with a step", payload({0x00, 0x00, 0xC8, 0xE0, 0x32, 0x0F, 0xA0, 0x03, 0x20}), std::nullopt},
        {"step first", payload({0x00, 0xE0, 0x32, 0x00, 0xC8, 0x0F, 0xA0}), std::nullopt},
        {"step of zero", payload({0x00, 0x00, 0xC8, 0xE0, 0x00, 0x0F, 0xA0}), std::nullopt},
        {"other sensor", payload({0x01, 0x01, 0x90}), std::nullopt},
        {"no payload", {}, std::nullopt},
        {"odd tail ignored", {0x00, 0x01, 0x90, 0x03}, HidppDpiList(Values{400})},
        {"full payload without end", HidBytes{0x00, 0x01, 0x90, 0x01, 0x91, 0x01, 0x92, 0x01, 0x93, 0x01, 0x94,
                                              0x01, 0x95, 0x01, 0x96, 0x01},
         HidppDpiList(Values{400, 401, 402, 403, 404, 405, 406})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto result = hidpp::decodeDpiList(c.answer, 0);
        if (c.expected) {
            ASSERT_TRUE(result.ok());
            EXPECT_EQ(result.value(), *c.expected);
        } else {
            EXPECT_EQ(result.errorKind(), Kind::invalidData);
        }
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
    // Serves a friendly name of `name` (its length as `length`) in chunks of
    // `chunk` characters after the position byte.
    void serveName(std::string name, std::size_t length, std::size_t chunk = 15) {
        sim.answers[{6, 0}] = [length](const HidBytes&) { return HidBytes{0, 0, static_cast<std::uint8_t>(length)}; };
        sim.answers[{6, 1}] = [name, chunk](const HidBytes& p) {
            HidBytes answer{p[0]};
            for (std::size_t i = p[0]; i < name.size() && i < p[0] + chunk; ++i) answer.push_back(name[i]);
            return answer;
        };
    }
    // The function-1 requests to the name feature: their position bytes.
    std::vector<int> namePositions() const {
        std::vector<int> positions;
        for (const HidBytes& r : sim.requests)
            if (r[1] == 6 && (r[2] >> 4) == 1) positions.push_back(r[3]);
        return positions;
    }
};

TEST_F(HidppReadersTest, FriendlyNameIsReadInChunks) {
    struct Case {
        std::string name;
        std::vector<int> positions;
    };
    for (const Case& c : {Case{"MX Master 3S", {0}}, Case{"MX Master 3 for Mac ", {0, 15}}, Case{"", {}}}) {
        SCOPED_TRACE(c.name);
        sim.requests.clear();
        serveName(c.name, c.name.size());
        Received<std::string> r;
        hidpp::friendlyName(device, r.callback());
        timers.runDue();
        ASSERT_TRUE(r.result && r.result->ok());
        EXPECT_EQ(r.result->value(), c.name);
        EXPECT_EQ(namePositions(), c.positions);
    }
}

TEST_F(HidppReadersTest, FriendlyNameEndsOnBadChunks) {
    serveName("abc", 3);
    sim.answers[{6, 1}] = [](const HidBytes& p) { return HidBytes{p[0]}; };  // a long report pads it with zeros
    Received<std::string> padded;
    hidpp::friendlyName(device, padded.callback());
    timers.runDue();
    EXPECT_EQ(padded.result->value(), std::string(3, '\0'));

    sim.silent.insert({6, 1});
    Received<std::string> empty;
    hidpp::friendlyName(device, empty.callback());
    timers.runDue();
    hid->deliver(0x11, {0xFF, 0x06, 0x1D, 0x00});  // an answer carrying the position alone
    EXPECT_EQ(empty.errorKind(), Kind::invalidData);
    sim.silent.clear();

    serveName("\xC3\x28", 2);
    Received<std::string> badUtf8;
    hidpp::friendlyName(device, badUtf8.callback());
    timers.runDue();
    EXPECT_EQ(badUtf8.errorKind(), Kind::invalidData);

    Received<std::string> noLength;
    sim.silent.insert({6, 0});
    hidpp::friendlyName(device, noLength.callback());
    timers.runDue();
    hid->deliver(0x11, {0xFF, 0x06, 0x08, 0x00, 0x00});  // two bytes: no length byte
    EXPECT_EQ(noLength.errorKind(), Kind::invalidData);
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
    EXPECT_EQ(sim.requests[1], HidBytes({0xFF, 0x03, 0x1A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(HidBytes(sim.requests[3].begin(), sim.requests[3].begin() + 6), HidBytes({0xFF, 0x04, 0x3C, 0x01, 0x06, 0x40}));
}

}  // namespace
}  // namespace orbel::testing
