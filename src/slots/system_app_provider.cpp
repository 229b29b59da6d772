#include "slots/system_app_provider.h"

#include <QCollator>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThreadPool>
#include <QUrl>
#include <algorithm>
#include <mutex>
#include <unordered_set>

#include "platform/app_directory.h"
#include "platform/main_queue.h"
#include "platform/workspace.h"

namespace orbel {

struct SystemAppProvider::State {
    mutable std::mutex mutex;  // held for the whole first scan, so it runs once
    std::optional<std::vector<AppInfo>> cachedAllApps;

    std::vector<AppInfo> installedRows(const std::vector<KnownApp>& rows) const;
    std::vector<AppInfo> scanApplications() const;
    std::vector<AppInfo> allApps();
};

namespace {

std::string fileUrl(const std::string& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded).toStdString();
}

}  // namespace

std::vector<AppInfo> SystemAppProvider::State::installedRows(const std::vector<KnownApp>& rows) const {
    std::vector<AppInfo> out;
    for (const auto& row : rows) {
        const auto lookup = platform::Workspace::shared().applicationFor(row.bundleId);
        const platform::ApplicationRef* ref = lookup.value();
        // The workspace answers a few of these identifiers with a stand-in (the
        // default browser for Safari, ...). Those stay usable on slots, but the
        // pickers list the stand-in under its own entry instead of a name that
        // is false here.
        if (!ref || ref->bundleId != row.bundleId) continue;
        out.push_back({Uuid::random(), row.name, row.bundleId, ref->icon, fileUrl(ref->location)});
    }
    sortByName(out);
    return out;
}

std::vector<AppInfo> SystemAppProvider::State::scanApplications() const {
    std::vector<AppInfo> out;
    for (const auto& app : platform::AppDirectory::shared().allApps()) {
        if (app.id.empty()) continue;
        out.push_back({Uuid::random(), app.name.empty() ? app.id : app.name, app.id, app.icon, fileUrl(app.location)});
    }
    return out;
}

std::vector<AppInfo> SystemAppProvider::State::allApps() {
    std::lock_guard lock(mutex);
    if (cachedAllApps) return *cachedAllApps;
    std::vector<AppInfo> result;
    std::unordered_set<std::string> seen;
    auto append = [&](std::vector<AppInfo> records) {
        for (auto& r : records)
            if (seen.insert(r.bundleId).second) result.push_back(std::move(r));
    };
    append(installedRows(systemAppList()));
    append(installedRows(thirdPartyAppList()));
    append(scanApplications());
    sortByName(result);
    cachedAllApps = result;
    return result;
}

SystemAppProvider::SystemAppProvider() : state_(std::make_shared<State>()) {}

SystemAppProvider::~SystemAppProvider() = default;

SystemAppProvider& SystemAppProvider::makeShared() { return platform::processLifetimeInstance<SystemAppProvider>(); }

std::vector<AppInfo> SystemAppProvider::allApps() { return state_->allApps(); }

std::vector<AppInfo> SystemAppProvider::systemApps() const { return state_->installedRows(systemAppList()); }

std::vector<AppInfo> SystemAppProvider::thirdPartyApps() const { return state_->installedRows(thirdPartyAppList()); }

std::optional<std::vector<AppInfo>> SystemAppProvider::cachedAllApps() const {
    std::unique_lock lock(state_->mutex, std::try_to_lock);
    if (!lock.owns_lock()) return std::nullopt;  // the first scan is still running
    return state_->cachedAllApps;
}

namespace {

// Runs `make` on a pool thread and hands its result to `done` on the GUI
// thread while `context` lives. The guard is read on the GUI thread only.
template <class T>
void makeOffThread(const QObject* context, std::function<T()> make, std::function<void(T)> done) {
    QPointer<const QObject> guard(context);
    QThreadPool::globalInstance()->start([guard, make = std::move(make), done = std::move(done)]() mutable {
        T result = make();
        platform::MainQueue::shared().post([guard, result = std::move(result), done = std::move(done)]() mutable {
            if (guard) done(std::move(result));
        });
    });
}

}  // namespace

void SystemAppProvider::load(const QObject* context, std::function<void(AppLists)> done) {
    makeOffThread<AppLists>(
        context,
        [state = state_] {
            return AppLists{state->allApps(), state->installedRows(systemAppList()),
                            state->installedRows(thirdPartyAppList())};
        },
        std::move(done));
}

void SystemAppProvider::loadAllApps(const QObject* context, std::function<void(std::vector<AppInfo>)> done) {
    makeOffThread<std::vector<AppInfo>>(context, [state = state_] { return state->allApps(); }, std::move(done));
}

void SystemAppProvider::sortByName(std::vector<AppInfo>& apps) {
    QCollator collator;  // one per call: a collator is not shared between threads
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<std::pair<QString, AppInfo>> keyed;
    keyed.reserve(apps.size());
    for (auto& a : apps) keyed.emplace_back(QString::fromStdString(a.name), std::move(a));
    std::stable_sort(keyed.begin(), keyed.end(),
                     [&](const auto& a, const auto& b) { return collator.compare(a.first, b.first) < 0; });
    apps.clear();
    for (auto& [name, app] : keyed) apps.push_back(std::move(app));
}

const std::vector<KnownApp>& SystemAppProvider::systemAppList() {
    static const std::vector<KnownApp> rows{
        {"Finder", "com.apple.finder"},
        {"Safari", "com.apple.Safari"},
        {"Mail", "com.apple.mail"},
        {"Calendar", "com.apple.iCal"},
        {"Contacts", "com.apple.AddressBook"},
        {"Messages", "com.apple.MobileSMS"},
        {"FaceTime", "com.apple.FaceTime"},
        {"Notes", "com.apple.Notes"},
        {"Reminders", "com.apple.Reminders"},
        {"Maps", "com.apple.Maps"},
        {"Photos", "com.apple.Photos"},
        {"Music", "com.apple.Music"},
        {"TV", "com.apple.TV"},
        {"Podcasts", "com.apple.podcasts"},
        {"Books", "com.apple.iBooksX"},
        {"News", "com.apple.News"},
        {"Stocks", "com.apple.stocks"},
        {"Weather", "com.apple.weather"},
        {"Voice Memos", "com.apple.VoiceMemos"},
        {"TextEdit", "com.apple.TextEdit"},
        {"Preview", "com.apple.Preview"},
        {"QuickTime Player", "com.apple.QuickTimePlayerX"},
        {"Calculator", "com.apple.calculator"},
        {"Activity Monitor", "com.apple.ActivityMonitor"},
        {"Disk Utility", "com.apple.DiskUtility"},
        {"Terminal", "com.apple.Terminal"},
        {"Console", "com.apple.Console"},
        {"System Preferences", "com.apple.SystemPreferences"},
        {"System Information", "com.apple.SystemProfiler"},
        {"Keychain Access", "com.apple.keychainaccess"},
        {"Migration Assistant", "com.apple.MigrationAssistant"},
        {"Boot Camp Assistant", "com.apple.BootCampAssistant"},
        {"App Store", "com.apple.AppStore"},
        {"Xcode", "com.apple.dt.Xcode"},
        {"Instruments", "com.apple.dt.instruments"},
        {"Simulator", "com.apple.iphonesimulator"},
    };
    return rows;
}

const std::vector<KnownApp>& SystemAppProvider::thirdPartyAppList() {
    static const std::vector<KnownApp> rows{
        {"Google Chrome", "com.google.Chrome"},
        {"Firefox", "org.mozilla.firefox"},
        {"Microsoft Edge", "com.microsoft.edgemac"},
        {"Opera", "com.operasoftware.Opera"},
        {"Slack", "com.tinyspeck.slackmacgap"},
        {"Discord", "com.hnc.Discord"},
        {"Zoom", "us.zoom.xos"},
        {"Microsoft Teams", "com.microsoft.teams"},
        {"Skype", "com.skype.skype"},
        {"WhatsApp", "net.whatsapp.WhatsApp"},
        {"Telegram", "ru.keepcoder.Telegram"},
        {"Visual Studio Code", "com.microsoft.VSCode"},
        {"Sublime Text", "com.sublimetext.4"},
        {"Atom", "com.github.atom"},
        {"IntelliJ IDEA", "com.jetbrains.intellij"},
        {"PyCharm", "com.jetbrains.pycharm"},
        {"Docker Desktop", "com.docker.docker"},
        {"GitHub Desktop", "com.github.GitHubClient"},
        {"Postman", "com.postmanlabs.mac"},
        {"Microsoft Word", "com.microsoft.Word"},
        {"Microsoft Excel", "com.microsoft.Excel"},
        {"Microsoft PowerPoint", "com.microsoft.Powerpoint"},
        {"Notion", "notion.id"},
        {"Obsidian", "md.obsidian"},
        {"Evernote", "com.evernote.Evernote"},
        {"1Password 7", "com.agilebits.onepassword7"},
        {"Dropbox", "com.getdropbox.dropbox"},
        {"Google Drive", "com.google.GoogleDrive"},
        {"VLC", "org.videolan.vlc"},
        {"Spotify", "com.spotify.client"},
        {"Adobe Photoshop", "com.adobe.Photoshop"},
        {"Adobe Illustrator", "com.adobe.illustrator"},
        {"Final Cut Pro", "com.apple.FinalCut"},
        {"Logic Pro", "com.apple.logic10"},
        {"Alfred", "com.runningwithcrayons.Alfred"},
        {"Raycast", "com.raycast.macos"},
        {"CleanMyMac X", "com.macpaw.CleanMyMac4"},
        {"The Unarchiver", "cx.c3.theunarchiver"},
        {"AppCleaner", "net.freemacsoft.AppCleaner"},
    };
    return rows;
}

}  // namespace orbel
