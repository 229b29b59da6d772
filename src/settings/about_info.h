#pragma once

// What the About tab and its acknowledgements show: the version and build
// (from the build), the product site's links, and the icon packs sorted by
// name.

#include <QUrl>
#include <string>
#include <vector>

#include "model/icon_pack_records.h"

namespace orbel::about_info {

// The version and build number the build was made with; "—" for a part
// that is missing.
std::string shortVersion();
std::string buildNumber();
// "Version 1.2 (45)".
std::string versionLine(const std::string& version, const std::string& build);

QUrl productSiteUrl();
// <site>/feedback?v=<version> (<build>), percent-encoded; the bare page
// when the query cannot be composed.
QUrl feedbackUrl(const QUrl& site, const std::string& version, const std::string& build);
QUrl siteLink(const QUrl& site, const char* path);  // "refunds", "privacy", "terms"

// Ascending by display name, ignoring case (by the user's locale); entries
// that compare equal keep their order.
std::vector<IconPackManifestEntry> sortedAcknowledgements(std::vector<IconPackManifestEntry> entries);
std::string iconCountText(std::int64_t count);  // "%lld icons"

}  // namespace orbel::about_info
