#include "config/orbel_backup.h"

#include <QCoreApplication>
#include <QString>
#include <cmath>
#include <cstdio>

namespace orbel {
namespace {

QString translate(const char* text) { return QCoreApplication::translate("OrbelBackupCodecError", text); }

std::string describe(OrbelBackupCodecError::Kind kind, std::int64_t version, const std::string& payload) {
    using Kind = OrbelBackupCodecError::Kind;
    switch (kind) {
        case Kind::unsupportedSchemaVersion:
            return translate("Backup is schema version %1; this build of Orbel supports up to v%2. "
                             "Update Orbel, then try again.")
                .arg(QString::number(version), QString::number(OrbelBackup::kSchemaVersion))
                .toStdString();
        case Kind::decodeFailed:
            return translate("Couldn't read this backup: %1").arg(QString::fromStdString(payload)).toStdString();
        case Kind::encodeFailed:
            return translate("Couldn't write this backup: %1").arg(QString::fromStdString(payload)).toStdString();
        case Kind::io: return payload;
    }
    return payload;
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Civil {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

Civil civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

bool isLeap(std::int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned daysInMonth(std::int64_t y, unsigned m) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

const std::int64_t kFirstSecond = daysFromCivil(1, 1, 1) * 86400;
const std::int64_t kLastSecond = daysFromCivil(9999, 12, 31) * 86400 + 86399;

// Reads `count` decimal digits at `pos`.
std::optional<unsigned> digits(std::string_view s, std::size_t pos, std::size_t count) {
    if (pos + count > s.size()) return std::nullopt;
    unsigned value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(s[i] - '0');
    }
    return value;
}

bool charAt(std::string_view s, std::size_t pos, char c) { return pos < s.size() && s[pos] == c; }

constexpr const char* kDateMessage = "Expected date string to be ISO8601-formatted.";

}  // namespace

OrbelBackupCodecError::OrbelBackupCodecError(Kind kind, std::int64_t version, std::string payload)
    : Error(describe(kind, version, payload)), kind_(kind), version_(version), payload_(std::move(payload)) {}

OrbelBackupCodecError OrbelBackupCodecError::unsupportedSchemaVersion(std::int64_t found) {
    return {Kind::unsupportedSchemaVersion, found, {}};
}
OrbelBackupCodecError OrbelBackupCodecError::decodeFailed(std::string reason) {
    return {Kind::decodeFailed, 0, std::move(reason)};
}
OrbelBackupCodecError OrbelBackupCodecError::encodeFailed(std::string reason) {
    return {Kind::encodeFailed, 0, std::move(reason)};
}
OrbelBackupCodecError OrbelBackupCodecError::io(std::string text) { return {Kind::io, 0, std::move(text)}; }

std::optional<std::string> OrbelBackup::formatDate(double secondsSince1970) {
    if (!std::isfinite(secondsSince1970)) return std::nullopt;
    const double whole = std::floor(secondsSince1970);
    if (whole < static_cast<double>(kFirstSecond) || whole > static_cast<double>(kLastSecond)) return std::nullopt;
    const auto seconds = static_cast<std::int64_t>(whole);
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const Civil date = civilFromDays(days);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year), date.month,
                  date.day, static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
    return std::string(buffer);
}

std::optional<double> OrbelBackup::parseDate(std::string_view s) {
    // yyyy-MM-ddTHH:mm:ss
    const auto year = digits(s, 0, 4), month = digits(s, 5, 2), day = digits(s, 8, 2);
    const auto hour = digits(s, 11, 2), minute = digits(s, 14, 2), second = digits(s, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
    if (!charAt(s, 4, '-') || !charAt(s, 7, '-') || !(charAt(s, 10, 'T') || charAt(s, 10, 't')) ||
        !charAt(s, 13, ':') || !charAt(s, 16, ':'))
        return std::nullopt;
    if (*year < 1 || *month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month) || *hour > 23 ||
        *minute > 59 || *second > 59)
        return std::nullopt;

    std::size_t pos = 19;
    double fraction = 0;
    if (charAt(s, pos, '.')) {
        ++pos;
        double scale = 0.1;
        const std::size_t start = pos;
        while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
            fraction += (s[pos] - '0') * scale;
            scale /= 10;
            ++pos;
        }
        if (pos == start) return std::nullopt;
    }

    std::int64_t offset = 0;  // seconds east of UTC
    if (charAt(s, pos, 'Z') || charAt(s, pos, 'z')) {
        ++pos;
    } else if (charAt(s, pos, '+') || charAt(s, pos, '-')) {
        const int sign = s[pos] == '-' ? -1 : 1;
        ++pos;
        const auto offsetHours = digits(s, pos, 2);
        if (!offsetHours || *offsetHours > 23) return std::nullopt;
        pos += 2;
        unsigned offsetMinutes = 0;
        if (pos < s.size()) {
            if (charAt(s, pos, ':')) ++pos;
            const auto m = digits(s, pos, 2);
            if (!m || *m > 59) return std::nullopt;
            offsetMinutes = *m;
            pos += 2;
        }
        offset = sign * static_cast<std::int64_t>(*offsetHours * 3600 + offsetMinutes * 60);
    } else {
        return std::nullopt;
    }
    if (pos != s.size()) return std::nullopt;

    const std::int64_t local = daysFromCivil(*year, *month, *day) * 86400 + *hour * 3600 + *minute * 60 + *second;
    // Only dates that can be written again: an offset may carry the first
    // or last day of the range into a year of five digits or year zero.
    const std::int64_t utc = local - offset;
    if (utc < kFirstSecond || utc > kLastSecond) return std::nullopt;
    return static_cast<double>(utc) + fraction;
}

json::Json OrbelBackup::toJson() const {
    const auto date = formatDate(createdAt);
    if (!date) throw OrbelBackupCodecError::encodeFailed("The backup's date cannot be written in ISO 8601 form.");
    json::Json out = json::Json::object();
    out["schemaVersion"] = schemaVersion;
    out["createdAt"] = *date;
    out["appVersion"] = appVersion;
    if (activeProfile) out["activeProfile"] = *activeProfile;
    out["liveConfig"] = liveConfig.toJson();
    json::Json map = json::Json::object();
    for (const auto& [name, config] : profiles) map[name] = config.toJson();
    out["profiles"] = std::move(map);
    return out;
}

std::string OrbelBackup::encode() const {
    const json::Json document = toJson();
    try {
        return json::write(document, json::kBackupDocument);
    } catch (const std::exception& error) {
        throw OrbelBackupCodecError::encodeFailed(error.what());
    }
}

OrbelBackup OrbelBackup::fromJson(const json::Node& node) {
    node.requireObject();
    OrbelBackup backup;
    backup.schemaVersion = node.integer("schemaVersion");
    const json::Node created = node["createdAt"];
    const auto date = parseDate(created.asString());
    if (!date) created.fail(kDateMessage);
    backup.createdAt = *date;
    backup.appVersion = node.string("appVersion");
    backup.activeProfile = node.optionalString("activeProfile");
    backup.liveConfig = AppConfig::fromJson(node["liveConfig"]);
    const json::Node profiles = node["profiles"];
    for (const std::string& name : profiles.keys()) backup.profiles.insert_or_assign(name, AppConfig::fromJson(profiles[name]));
    return backup;
}

OrbelBackup OrbelBackup::decode(std::string_view bytes) {
    OrbelBackup backup;
    try {
        const json::Json document = json::parse(bytes);
        backup = fromJson(json::Node(document));
    } catch (const json::DecodingError& error) {
        throw OrbelBackupCodecError::decodeFailed(error.detailed());
    } catch (const std::exception& error) {
        throw OrbelBackupCodecError::decodeFailed(error.what());
    }
    // Checked only once the whole document has decoded: a layout this build
    // cannot read reports the decoding failure, not the version.
    if (backup.schemaVersion != kSchemaVersion) throw OrbelBackupCodecError::unsupportedSchemaVersion(backup.schemaVersion);
    return backup;
}

}  // namespace orbel
