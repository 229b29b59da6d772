#pragma once

// One HID device of the system and the error of the HID layer. Devices are
// made only by the HID manager (platform/hid_manager.h); a device is the
// same object in every event the manager reports about it.

#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orbel::platform {

using HidBytes = std::vector<std::uint8_t>;

// A failed call of the HID layer with the system's error code (errno here).
struct HidError {
    int code = 0;
    // "IOReturn(13: Permission denied)"
    std::string description() const {
        return "IOReturn(" + std::to_string(code) + ": " + std::strerror(code) + ")";
    }
    bool operator==(const HidError&) const = default;
};

enum class HidReportType { input = 0, output = 1, feature = 2 };

// Call every operation on the GUI thread. Handlers and completions run there
// too, never inside the call that registered or started them, and input
// reports arrive in the order the device sent them. Destroying the device
// closes it; no handler or completion runs after that.
class HidDevice {
public:
    using Completion = std::function<void(std::optional<HidError> error)>;
    // `data` is the report without its report-ID byte; devices without
    // numbered reports give report ID 0 and every byte.
    using InputReportHandler = std::function<void(int reportId, const HidBytes& data, std::optional<HidError> error)>;

    virtual ~HidDevice() = default;

    // Identity, read once when the device was found: product ID (0 when
    // unknown) and product name ("" when unknown).
    virtual std::uint16_t productIdentifier() const = 0;
    virtual std::string productName() const = 0;

    // Opening for reading and writing, without seizing the device. Input
    // reports reach the handler only while the device is open.
    virtual void open(Completion done) = 0;
    virtual void close() = 0;

    // Replaces the input handler; an empty function drops reports.
    virtual void setInputReportHandler(InputReportHandler handler) = 0;

    // Sends the report ID (a byte, 0 for devices without numbered reports)
    // followed by `data`. `done` runs once the system has taken the report
    // or refused it. A report ID outside 0...255 is refused with EINVAL.
    virtual void sendReport(HidReportType type, int reportId, HidBytes data, Completion done) = 0;
};

}  // namespace orbel::platform
