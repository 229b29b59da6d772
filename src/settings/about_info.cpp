#include "settings/about_info.h"

#include <QCollator>
#include <QCoreApplication>
#include <QUrlQuery>
#include <algorithm>

namespace orbel::about_info {
namespace {

std::string orDash(const char* value) { return value && *value ? value : "—"; }

}  // namespace

std::string shortVersion() { return orDash(ORBEL_VERSION); }
std::string buildNumber() { return orDash(ORBEL_BUILD); }

std::string versionLine(const std::string& version, const std::string& build) {
    return "Version " + version + " (" + build + ")";
}

QUrl productSiteUrl() {
    static const QUrl site(QStringLiteral(ORBEL_SITE_URL));
    return site;
}

QUrl siteLink(const QUrl& site, const char* path) {
    QUrl url = site;
    QString base = url.path();
    if (!base.endsWith('/')) base += '/';
    url.setPath(base + QString::fromLatin1(path));
    return url;
}

QUrl feedbackUrl(const QUrl& site, const std::string& version, const std::string& build) {
    QUrl url = siteLink(site, "feedback");
    const QUrl bare = url;
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("v"), QString::fromStdString(version + " (" + build + ")"));
    url.setQuery(query);
    return url.isValid() ? url : bare;
}

std::vector<IconPackManifestEntry> sortedAcknowledgements(std::vector<IconPackManifestEntry> entries) {
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
        return collator.compare(QString::fromStdString(a.displayName), QString::fromStdString(b.displayName)) < 0;
    });
    return entries;
}

std::string iconCountText(std::int64_t count) {
    return QCoreApplication::translate("AboutTab", "%1 icons").arg(count).toStdString();
}

}  // namespace orbel::about_info
