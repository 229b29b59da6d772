#pragma once

// HID++ 2.0 long reports: building requests and reading input frames, with
// the error types of HID++ calls. Pure functions; no device involved.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "platform/hid_device.h"

namespace orbel::input {

using platform::HidBytes;

// A HID++ protocol failure. No user-facing texts: callers log description().
struct HidppError {
    enum class Kind {
        errorInputRequest,            // the device answered with an error frame; data[0] is its code
        invalidData,                  // an answer that cannot be decoded; data holds it
        duplicatedRequestIdentifier,  // the next identifier is still taken by a pending request
        timeout,                      // no answer within the time-out after the send
        tooShortInputRequest,         // an input frame shorter than a header
        unexpectedInputRequest,       // an answer under a pending identifier that does not fit the request
        tooLongRequest,               // more parameters than a long report carries; nothing was sent
    };
    Kind kind = Kind::invalidData;
    HidBytes data;

    std::string description() const;
    bool operator==(const HidppError&) const = default;
};

// Failures of HID++ calls: from the HID layer or from the protocol.
using HidppFailure = std::variant<platform::HidError, HidppError>;
std::string describe(const HidppFailure& failure);

// The outcome of a HID++ call: a value or a failure.
template <class T>
class HidppResult {
public:
    // Failures are built in place: moving a temporary failure into the
    // outcome makes GCC 12 warn (maybe-uninitialized) in optimised builds.
    HidppResult(T value) : outcome_(std::in_place_index<0>, std::move(value)) {}
    HidppResult(HidppFailure failure) : outcome_(std::in_place_index<1>, std::move(failure)) {}
    HidppResult(HidppError error) : outcome_(std::in_place_index<1>, std::in_place_index<1>, std::move(error)) {}
    HidppResult(platform::HidError error) : outcome_(std::in_place_index<1>, std::in_place_index<0>, error) {}

    bool ok() const { return outcome_.index() == 0; }
    const T& value() const { return std::get<0>(outcome_); }
    const HidppFailure& failure() const { return std::get<1>(outcome_); }
    // The protocol error, if the failure is one.
    std::optional<HidppError::Kind> errorKind() const {
        if (ok()) return std::nullopt;
        const auto* error = std::get_if<HidppError>(&failure());
        return error ? std::optional(error->kind) : std::nullopt;
    }

private:
    std::variant<T, HidppFailure> outcome_;
};

namespace hidpp {

constexpr std::uint8_t kShortReportId = 0x10;
constexpr std::uint8_t kLongReportId = 0x11;
constexpr std::uint8_t kVeryLongReportId = 0x12;
// Short, long and very long HID++ reports; a device's other reports carry
// its ordinary input (pointer motion, buttons, keys).
constexpr bool isHidppReport(int reportId) { return reportId >= kShortReportId && reportId <= kVeryLongReportId; }
constexpr std::uint8_t kDeviceIndex = 0xFF;
constexpr std::size_t kParameterBytes = 16;

struct Request {
    std::uint8_t identifier = 0;  // 0...7
    std::uint8_t index = kDeviceIndex;
    std::uint8_t featureIndex = 0;
    std::uint8_t functionIndex = 0;  // only the low four bits are sent
    HidBytes data;                   // at most kParameterBytes

    bool operator==(const Request&) const = default;
};

struct Response {
    bool isNotification = false;
    std::uint8_t identifier = 0;
    std::uint8_t index = 0;
    std::uint8_t featureIndex = 0;
    std::uint8_t functionIndex = 0;
    HidBytes data;  // the parameter bytes after the header (after the error code's position for errors: data[0] is the code)
    bool isError = false;

    bool operator==(const Response&) const = default;
};

// The long report after its report-ID byte: device index, feature index,
// function and software identifier, then the parameters padded with zeros
// to 16 bytes (19 bytes in all).
HidBytes serializeRequest(const Request& request);

// Reads an input frame (without its report-ID byte); none when it is
// shorter than a header (4 bytes, 5 for an error frame).
std::optional<Response> parseResponse(const HidBytes& frame);

// Bytes as "%02x" joined by single spaces.
std::string hexBytes(const std::uint8_t* bytes, std::size_t count);
inline std::string hexBytes(const HidBytes& bytes) { return hexBytes(bytes.data(), bytes.size()); }
// A number in lower-case hexadecimal without leading zeros.
std::string hex(unsigned value);

}  // namespace hidpp
}  // namespace orbel::input
