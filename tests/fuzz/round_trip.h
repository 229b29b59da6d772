#pragma once

// What the fuzz targets check of the two stored documents. Whatever decodes
// must encode, our own output must decode again, and from the second round
// trip on the bytes must not change. The first round trip may still change
// them: reading normalises (a one-element scope list becomes one app, which
// is then written as a plain string).

#include <string>
#include <string_view>

#include "config/orbel_backup.h"
#include "model/app_config.h"

namespace orbel::fuzz {

enum class RoundTrip { rejected, stable, broken };

template <class Decode, class Encode>
RoundTrip checkRoundTrip(std::string_view bytes, Decode decode, Encode encode) {
    std::string first;
    try {
        first = encode(decode(bytes));
    } catch (const Error&) {
        return RoundTrip::rejected;
    }
    try {
        const std::string second = encode(decode(first));
        return encode(decode(second)) == second ? RoundTrip::stable : RoundTrip::broken;
    } catch (const Error&) {
        return RoundTrip::broken;
    }
}

inline RoundTrip configRoundTrip(std::string_view bytes) {
    return checkRoundTrip(
        bytes, [](std::string_view text) { return AppConfig::fromJson(json::Node(json::parse(text))); },
        [](const AppConfig& config) { return config.encodeDocument(); });
}

inline RoundTrip backupRoundTrip(std::string_view bytes) {
    return checkRoundTrip(
        bytes, [](std::string_view text) { return OrbelBackup::decode(text); },
        [](const OrbelBackup& backup) { return backup.encode(); });
}

}  // namespace orbel::fuzz
