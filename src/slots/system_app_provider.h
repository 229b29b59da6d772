#pragma once

// The applications the settings window offers for app slots: every installed
// desktop entry, merged with two built-in lists of well-known applications.
// Scanning reads every desktop entry, so callers off the GUI thread use
// allApps() directly or let load() do it and hand the lists back on the GUI
// thread.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/shared_instance.h"

class QObject;
#include "slots/app_info.h"

namespace orbel {

// One row of a built-in list.
struct KnownApp {
    std::string name;
    std::string bundleId;
};

// The three lists the pickers show.
struct AppLists {
    std::vector<AppInfo> all;
    std::vector<AppInfo> system;
    std::vector<AppInfo> thirdParty;
};

class SystemAppProvider : public platform::Shared<SystemAppProvider> {
public:
    SystemAppProvider();
    ~SystemAppProvider();
    SystemAppProvider(const SystemAppProvider&) = delete;
    SystemAppProvider& operator=(const SystemAppProvider&) = delete;

    // Every installed application, each bundle identifier once (a built-in
    // list's record wins over the scan's), sorted by name. Made once, on the
    // first call; later calls return the same records. Any thread; concurrent
    // first calls wait for one shared scan.
    std::vector<AppInfo> allApps();
    // The installed rows of the respective built-in list, sorted by name. Not
    // cached: each call asks the workspace again. Any thread.
    std::vector<AppInfo> systemApps() const;
    std::vector<AppInfo> thirdPartyApps() const;

    // Make the three lists (or only the full list) on a worker thread and
    // call `done` with them on the GUI thread (always queued), unless
    // `context` was destroyed meanwhile: a view closed before its list came
    // is never called. Safe if the provider is destroyed first.
    void load(const QObject* context, std::function<void(AppLists)> done);
    void loadAllApps(const QObject* context, std::function<void(std::vector<AppInfo>)> done);

    // The cache, if allApps() has filled it.
    std::optional<std::vector<AppInfo>> cachedAllApps() const;

    static const std::vector<KnownApp>& systemAppList();      // 36 rows
    static const std::vector<KnownApp>& thirdPartyAppList();  // 39 rows

    // Sorts by name, case-insensitively in the user's locale; equal names keep
    // their order.
    static void sortByName(std::vector<AppInfo>& apps);

private:
    friend platform::Shared<SystemAppProvider>;
    static SystemAppProvider& makeShared();

    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace orbel
