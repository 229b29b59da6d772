#pragma once

// The backup document: the live configuration, every profile and the name of
// the active profile, in one JSON file. Written pretty, with sorted keys at
// every level and unescaped slashes; dates in ISO 8601 (UTC, whole seconds).

#include <cstdint>
#include <exception>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "model/app_config.h"
#include "model/error.h"
#include "model/json.h"
#include "model/json_writer.h"

namespace orbel {

// what() is the text shown to the user.
class OrbelBackupCodecError : public Error {
public:
    enum class Kind { unsupportedSchemaVersion, decodeFailed, encodeFailed, io };

    static OrbelBackupCodecError unsupportedSchemaVersion(std::int64_t found);
    static OrbelBackupCodecError decodeFailed(std::string reason);
    static OrbelBackupCodecError encodeFailed(std::string reason);
    static OrbelBackupCodecError io(std::string text);

    Kind kind() const { return kind_; }
    // unsupportedSchemaVersion: the version found; 0 for the other cases.
    std::int64_t version() const { return version_; }
    // decodeFailed/encodeFailed: the underlying failure; io: the text to show.
    const std::string& payload() const { return payload_; }

    bool operator==(const OrbelBackupCodecError& other) const {
        return kind_ == other.kind_ && version_ == other.version_ && payload_ == other.payload_;
    }

private:
    OrbelBackupCodecError(Kind kind, std::int64_t version, std::string payload);

    Kind kind_;
    std::int64_t version_ = 0;
    std::string payload_;
};

struct OrbelBackup {
    static constexpr std::int64_t kSchemaVersion = 1;
    // A larger backup file is refused unread; so is any file a backup holds
    // (config.json, a profile), which could never be backed up.
    static constexpr std::int64_t kMaxFileBytes = 64'000'000;

    std::int64_t schemaVersion = kSchemaVersion;
    double createdAt = 0;  // seconds since 1970, UTC
    std::string appVersion;
    std::optional<std::string> activeProfile;
    AppConfig liveConfig;
    std::map<std::string, AppConfig> profiles;

    // The bytes of a backup file. Every failure is one OrbelBackupCodecError:
    // decodeFailed for anything that does not decode, then
    // unsupportedSchemaVersion for a version other than the current one.
    static OrbelBackup decode(std::string_view bytes);

    // Fails with encodeFailed when the date cannot be written (not finite, or
    // outside the years 0001 to 9999).
    std::string encode() const;

    // Keys in field order (the writer sorts them); "activeProfile" only when
    // set. Throws OrbelBackupCodecError(encodeFailed) like encode().
    json::Json toJson() const;
    // Fails with a json::DecodingError; checks no schema version.
    static OrbelBackup fromJson(const json::Node& node);

    // "2026-12-05T16:47:36Z": UTC, whole seconds (the fraction is dropped).
    // Nothing when the date is not finite or outside the years 0001 to 9999.
    static std::optional<std::string> formatDate(double secondsSince1970);
    // Reads yyyy-MM-ddTHH:mm:ss with an optional fraction of a second and a
    // "Z" or a ±HH:MM offset ("T" and "Z" in either case, offsets also as
    // ±HHMM or ±HH). Nothing for any other text, an impossible date, or a
    // date formatDate cannot write.
    static std::optional<double> parseDate(std::string_view text);
};

}  // namespace orbel
