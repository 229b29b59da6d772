#include "platform/app_directory.h"

#include <QCollator>
#include <QString>
#include <algorithm>

#include "platform/linux/app_index.h"

namespace orbel::platform {
namespace {

class XdgAppDirectory final : public AppDirectory {
public:
    std::vector<InstalledApp> allApps() override {
        std::vector<std::pair<QString, InstalledApp>> listed;
        // Hold the snapshot: the index may swap in a new one while we read.
        const auto snapshot = xdg::AppIndex::shared().all();
        for (const auto& e : *snapshot) {
            if (!e.listed) continue;
            QString name = e.name.isEmpty() ? e.id : e.name;
            listed.push_back({name, {e.id.toStdString(), name.toStdString(), e.icon.toStdString(), e.location.toStdString()}});
        }
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::sort(listed.begin(), listed.end(), [&](const auto& a, const auto& b) {
            int c = collator.compare(a.first, b.first);
            return c != 0 ? c < 0 : a.second.id < b.second.id;
        });
        std::vector<InstalledApp> out;
        out.reserve(listed.size());
        for (auto& [name, app] : listed) out.push_back(std::move(app));
        return out;
    }
};

}  // namespace

AppDirectory& AppDirectory::makeShared() { return processLifetimeInstance<XdgAppDirectory>(); }

}  // namespace orbel::platform
