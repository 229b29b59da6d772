#include "editor/slot_library_model.h"

#include <QStandardPaths>
#include <QString>
#include <QUrl>
#include <algorithm>

namespace orbel::editor {

std::string segmentTitle(LibrarySegment segment) { return segment == LibrarySegment::apps ? "Apps" : "Actions"; }

std::string appFilterTitle(AppFilter filter) {
    switch (filter) {
        case AppFilter::system: return "System";
        case AppFilter::installed: return "Installed";
        case AppFilter::running: return "Running";
        case AppFilter::all: break;
    }
    return "All";
}

const std::vector<AppFilter>& allAppFilters() {
    static const std::vector<AppFilter> filters{AppFilter::all, AppFilter::system, AppFilter::installed,
                                                AppFilter::running};
    return filters;
}

std::vector<std::string> systemApplicationPrefixes() {
    const QString user = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    std::vector<std::string> out;
    for (QString dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        if (dir == user || dir.contains(QLatin1String("/flatpak/exports/"))) continue;
        if (!dir.endsWith('/')) dir += '/';
        out.push_back(dir.toStdString());
    }
    return out;
}

bool isSystemLocation(const std::string& url, const std::vector<std::string>& prefixes) {
    const std::string path = QUrl(QString::fromStdString(url)).toLocalFile().toStdString();
    return std::any_of(prefixes.begin(), prefixes.end(), [&](const std::string& p) { return path.starts_with(p); });
}

bool searchMatches(const std::string& text, const std::string& search) {
    if (search.empty()) return true;
    return QString::fromStdString(text).contains(QString::fromStdString(search), Qt::CaseInsensitive);
}

std::vector<SystemAction> parameterisedPrototypes(ActionCategory category) {
    if (category == ActionCategory::audio) return {SystemAction::setVolume(0.5)};
    if (category == ActionCategory::display) return {SystemAction::setBrightness(0.5)};
    return {};
}

SlotLibraryModel::SlotLibraryModel(std::vector<LibrarySegment> allowedSegments,
                                   std::function<bool(const SlotConfig&)> isAdded,
                                   std::function<void(const SlotConfig&)> onAdd)
    : allowedSegments_(std::move(allowedSegments)), isAdded_(std::move(isAdded)), onAdd_(std::move(onAdd)) {}

void SlotLibraryModel::normaliseSegment() {
    if (allowedSegments_.empty()) return;
    if (std::find(allowedSegments_.begin(), allowedSegments_.end(), segment) == allowedSegments_.end())
        segment = allowedSegments_.front();
}

void SlotLibraryModel::setApps(std::vector<AppInfo> loaded) {
    apps = std::move(loaded);
    isLoadingApps = false;
}

std::vector<const AppInfo*> SlotLibraryModel::filteredApps() const {
    std::vector<const AppInfo*> out;
    const QString needle = QString::fromStdString(search);
    for (const AppInfo& app : apps) {
        bool keep = true;
        switch (appFilter) {
            case AppFilter::all: break;
            case AppFilter::system: keep = isSystemLocation(app.url, systemPrefixes); break;
            case AppFilter::installed: keep = !isSystemLocation(app.url, systemPrefixes); break;
            case AppFilter::running: keep = runningBundleIds.count(app.bundleId) > 0; break;
        }
        if (keep && !needle.isEmpty())
            keep = QString::fromStdString(app.name).contains(needle, Qt::CaseInsensitive) ||
                   QString::fromStdString(app.bundleId).contains(needle, Qt::CaseInsensitive);
        if (keep) out.push_back(&app);
    }
    return out;
}

std::vector<SystemAction> SlotLibraryModel::filteredActions(ActionCategory category) const {
    std::vector<SystemAction> out;
    for (const SystemAction& a : SystemAction::parameterlessCases()) {
        if (a.category() != category) continue;
        if (actionFilter && a.category() != *actionFilter) continue;
        if (!searchMatches(a.title(), search)) continue;
        out.push_back(a);
    }
    return out;
}

std::vector<LibraryEntry> SlotLibraryModel::entries() const {
    std::vector<LibraryEntry> out;
    if (segment == LibrarySegment::apps) {
        if (isLoadingApps) return {{LibraryEntry::Kind::loading, {}, nullptr, {}}};
        for (const AppInfo* app : filteredApps()) out.push_back({LibraryEntry::Kind::app, app->name, app, {}});
        if (out.empty()) out.push_back({LibraryEntry::Kind::message, "No matches", nullptr, {}});
        return out;
    }
    std::vector<ActionCategory> categories = allActionCategories();
    if (actionFilter) categories = {*actionFilter};
    for (ActionCategory c : categories) {
        const auto actions = filteredActions(c);
        if (actions.empty()) continue;
        if (!actionFilter)
            out.push_back({LibraryEntry::Kind::header, std::string(rawValue(c)), nullptr, {}});
        for (const SystemAction& a : actions) out.push_back({LibraryEntry::Kind::action, a.title(), nullptr, a});
        for (const SystemAction& p : parameterisedPrototypes(c))
            out.push_back({LibraryEntry::Kind::parameterised, parameterisedRowTitle(p), nullptr, p});
    }
    if (out.empty())
        out.push_back({LibraryEntry::Kind::message, search.empty() ? "No actions in this category." : "No matches",
                       nullptr, {}});
    return out;
}

std::string SlotLibraryModel::searchPlaceholder() const {
    return segment == LibrarySegment::apps ? "Search apps" : "Search actions";
}

std::string SlotLibraryModel::actionFilterLabel() const {
    return actionFilter ? std::string(rawValue(*actionFilter)) : "All Categories";
}

SlotConfig SlotLibraryModel::appSlot(const AppInfo& app) {
    return SlotConfig::makeApp(app.bundleId, app.name);
}

SlotConfig SlotLibraryModel::actionSlot(const SystemAction& action) {
    return SlotConfig::make(SlotType::action(action), action.title());
}

SlotDragPayload SlotLibraryModel::appPayload(const AppInfo& app) {
    return SlotDragPayload::libraryApp(app.bundleId, app.name);
}

SlotDragPayload SlotLibraryModel::actionPayload(const SystemAction& action) {
    return SlotDragPayload::libraryAction(std::string(action.identifier()));
}

std::string libraryRowToolTip(bool isAdded, const std::optional<std::string>& bundleHint, const std::string& title) {
    if (isAdded) return "Already in this dial";
    return bundleHint ? *bundleHint : title;
}

std::string parameterisedRowTitle(const SystemAction& prototype) {
    if (prototype.kind == SystemAction::Kind::setVolume) return "Set Volume\u2026";
    if (prototype.kind == SystemAction::Kind::setBrightness) return "Set Brightness\u2026";
    return prototype.title();
}

SystemAction parameterisedChoice(const SystemAction& prototype, double level) {
    if (prototype.hasValue()) return SystemAction(prototype.kind, level);
    return prototype;
}

}  // namespace orbel::editor
