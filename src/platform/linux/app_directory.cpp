#include "platform/app_directory.h"

#include <QCollator>
#include <QString>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>

#include "platform/linux/desktop_entry.h"

namespace orbel::platform {
namespace {

class XdgAppDirectory final : public AppDirectory {
public:
    // No folders given: the XDG folders of the environment at the first scan.
    explicit XdgAppDirectory(std::optional<QStringList> folders) : folders_(std::move(folders)) {}

    std::vector<InstalledApp> allApps() override {
        std::call_once(scanned_, [this] { apps_ = scan(); });
        return apps_;
    }

private:
    std::vector<InstalledApp> scan() const {
        QStringList folders = folders_ ? *folders_ : xdg::BaseDirs::fromEnvironment().applicationDirs();
        std::vector<std::pair<QString, InstalledApp>> listed;
        for (const auto& e : xdg::scanDesktopEntries(folders, xdg::currentLocaleName())) {
            if (!e.isListed()) continue;
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

    std::optional<QStringList> folders_;
    std::once_flag scanned_;
    std::vector<InstalledApp> apps_;  // written once, inside call_once
};

}  // namespace

std::unique_ptr<AppDirectory> makeAppDirectory(std::vector<std::string> applicationFolders) {
    QStringList folders;
    for (const auto& f : applicationFolders) folders << QString::fromStdString(f);
    return std::make_unique<XdgAppDirectory>(folders);
}

AppDirectory& AppDirectory::makeShared() { return processLifetimeInstance<XdgAppDirectory>(std::nullopt); }

}  // namespace orbel::platform
