#pragma once

// Typed readers of four HID++ 2.0 features of a HidppDevice: battery status
// (0x1004), adjustable DPI (0x2201), device information (0x0003, serial
// number) and friendly name (0x0007). Each resolves its feature (cached by
// the device), sends its requests one after another and decodes the answer.
//
// Decoders never read past an answer: a payload too short for its fields, a
// DPI stride with a step of 0 or a name chunk that adds no character is
// `invalidData`. Failures of the lookup and the requests come back as they
// are. The completion never runs if the device is destroyed first.

#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "input/hidpp_device.h"

namespace orbel::input {

struct HidppBattery {
    enum class Level : std::uint8_t { critical = 1, low = 2, good = 4, full = 8 };
    enum class Status : std::uint8_t {
        discharging = 0, charging = 1, almostFull = 2, charged = 3,
        slowRecharge = 4, invalidBattery = 5, terminalError = 6, otherError = 7,
    };
    std::uint8_t percentage = 0;
    std::optional<Level> level;    // none when the device reports no known level
    std::optional<Status> status;  // none above 7

    bool operator==(const HidppBattery&) const = default;

    // {"percentage": n, "level": raw, "status": raw}; level and status left
    // out when none. fromJson throws nlohmann::json::exception for a missing
    // percentage or a raw value outside the enumerations.
    nlohmann::ordered_json toJson() const;
    static HidppBattery fromJson(const nlohmann::ordered_json& json);
};

// Resolutions a sensor accepts: a list in device order, or a range from
// `from` up to but not including `to` in steps of `step`.
struct HidppDpiStride {
    std::uint16_t from = 0;
    std::uint16_t to = 0;
    int step = 0;
    bool operator==(const HidppDpiStride&) const = default;
};
using HidppDpiList = std::variant<std::vector<std::uint16_t>, HidppDpiStride>;

namespace hidpp {

constexpr std::uint16_t kBatteryFeature = 0x1004;
constexpr std::uint16_t kDpiFeature = 0x2201;
constexpr std::uint16_t kDeviceInfoFeature = 0x0003;
constexpr std::uint16_t kFriendlyNameFeature = 0x0007;

using DevicePtr = std::shared_ptr<HidppDevice>;
template <class T>
using Completion = HidppDevice::Completion<T>;

void battery(const DevicePtr& device, Completion<HidppBattery> done);
void sensorCount(const DevicePtr& device, Completion<std::uint8_t> done);
void sensorDpi(const DevicePtr& device, std::uint8_t sensorIndex, Completion<std::uint16_t> done);
// Answers the DPI the device reports back, not the one asked for.
void setSensorDpi(const DevicePtr& device, std::uint16_t dpi, std::uint8_t sensorIndex, Completion<std::uint16_t> done);
void sensorDpiList(const DevicePtr& device, std::uint8_t sensorIndex, Completion<HidppDpiList> done);
void serialNumber(const DevicePtr& device, Completion<std::string> done);
void friendlyName(const DevicePtr& device, Completion<std::string> done);

// The decoders, on an answer's parameter bytes.
HidppResult<HidppBattery> decodeBattery(const HidBytes& payload);
HidppResult<std::uint16_t> decodeSensorDpi(const HidBytes& payload, std::uint8_t sensorIndex);
HidppResult<HidppDpiList> decodeDpiList(const HidBytes& payload, std::uint8_t sensorIndex);
// Up to the first zero byte; invalid UTF-8 becomes U+FFFD.
std::string decodeSerialNumber(const HidBytes& payload);

}  // namespace hidpp
}  // namespace orbel::input
