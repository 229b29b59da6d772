#include "input/hidpp_frame.h"

#include <cstdio>

namespace orbel::input {

namespace {
const char* kindName(HidppError::Kind kind) {
    switch (kind) {
    case HidppError::Kind::errorInputRequest: return "errorInputRequest";
    case HidppError::Kind::invalidData: return "invalidData";
    case HidppError::Kind::duplicatedRequestIdentifier: return "duplicatedRequestIdentifier";
    case HidppError::Kind::timeout: return "timeout";
    case HidppError::Kind::tooShortInputRequest: return "tooShortInputRequest";
    case HidppError::Kind::unexpectedInputRequest: return "unexpectedInputRequest";
    case HidppError::Kind::tooLongRequest: return "tooLongRequest";
    }
    return "unknown";
}
}  // namespace

std::string HidppError::description() const {
    std::string text = kindName(kind);
    if (kind == Kind::errorInputRequest || kind == Kind::invalidData || kind == Kind::tooLongRequest)
        text += "(" + hidpp::hexBytes(data) + ")";
    return text;
}

std::string describe(const HidppFailure& failure) {
    return std::visit([](const auto& error) { return error.description(); }, failure);
}

namespace hidpp {

HidBytes serializeRequest(const Request& request) {
    // Filled in one buffer of its final size (GCC 12 at -O3 also misreads an
    // insert after a three-byte initialiser as writing out of bounds).
    HidBytes frame(3 + std::max<std::size_t>(request.data.size(), kParameterBytes), 0);
    frame[0] = request.index;
    frame[1] = request.featureIndex;
    frame[2] = static_cast<std::uint8_t>(((request.functionIndex & 0x0F) << 4) | 0x08 | (request.identifier & 0x07));
    std::copy(request.data.begin(), request.data.end(), frame.begin() + 3);
    return frame;
}

std::optional<Response> parseResponse(const HidBytes& frame) {
    if (frame.size() < 4) return std::nullopt;
    const bool isError = frame[1] == 0xFF;
    if (isError && frame.size() < 5) return std::nullopt;
    const std::size_t header = isError ? 4 : 3;
    const std::uint8_t function = frame[header - 1];
    Response response;
    response.isError = isError;
    response.index = frame[0];
    response.featureIndex = frame[header - 2];
    response.functionIndex = function >> 4;
    response.identifier = function & 0x07;
    response.isNotification = (function & 0x08) == 0;
    response.data.assign(frame.begin() + static_cast<std::ptrdiff_t>(header), frame.end());
    return response;
}

std::string hexBytes(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    text.reserve(count * 3);
    char two[3];
    for (std::size_t i = 0; i < count; ++i) {
        if (i) text += ' ';
        std::snprintf(two, sizeof two, "%02x", bytes[i]);
        text += two;
    }
    return text;
}

std::string hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

}  // namespace hidpp
}  // namespace orbel::input
