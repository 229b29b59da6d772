#include "platform/linux/app_index.h"

#include "platform/linux/gio_include.h"
#include "platform/linux/launch_context.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThreadPool>
#include <utility>

namespace orbel::platform::gio {
namespace {

QString text(const char* s) { return s ? QString::fromUtf8(s) : QString(); }

// g_free for the strings GIO hands over.
QString owned(char* s) {
    QString out = text(s);
    g_free(s);
    return out;
}

QString withoutSuffix(QString id) {
    if (id.endsWith(QLatin1String(".desktop"))) id.chop(8);
    return id;
}

// The program an Exec line starts, without folder; "env VAR=x prog" skips to prog.
QString programOf(GAppInfo* info) {
    const char* commandLine = g_app_info_get_commandline(info);
    gchar** argv = nullptr;
    gint argc = 0;
    if (!commandLine || !g_shell_parse_argv(commandLine, &argc, &argv, nullptr)) return {};
    gint i = 0;
    if (QFileInfo(text(argv[0])).fileName() == QLatin1String("env"))
        for (i = 1; i < argc && (std::strchr(argv[i], '=') || argv[i][0] == '-'); ++i) {
        }
    QString program = i < argc ? QFileInfo(text(argv[i])).fileName() : QString();
    g_strfreev(argv);
    return program;
}

AppRecord recordOf(GDesktopAppInfo* desktop) {
    GAppInfo* info = G_APP_INFO(desktop);
    AppRecord r;
    r.id = withoutSuffix(text(g_app_info_get_id(info)));
    r.location = text(g_desktop_app_info_get_filename(desktop));
    if (r.id.isEmpty()) r.id = withoutSuffix(QFileInfo(r.location).fileName());
    r.name = text(g_app_info_get_name(info));
    r.icon = owned(g_desktop_app_info_get_string(desktop, "Icon"));
    r.startupWMClass = text(g_desktop_app_info_get_startup_wm_class(desktop));
    r.program = programOf(info);
    r.categories = text(g_desktop_app_info_get_categories(desktop)).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const char* const* type = g_app_info_get_supported_types(info); type && *type; ++type) r.mimeTypes << text(*type);
    r.listed = g_app_info_should_show(info);
    return r;
}

std::optional<AppRecord> recordOf(GAppInfo* info) {
    Ref<GAppInfo> owner(info);
    if (!info || !G_IS_DESKTOP_APP_INFO(info)) return std::nullopt;
    return recordOf(G_DESKTOP_APP_INFO(info));
}

QStringList currentDesktops() {
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP").toLower().split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

// xdg-terminal-exec's preference lists, most important first.
QStringList terminalLists() {
    QStringList folders{text(g_get_user_config_dir())};
    for (const gchar* const* d = g_get_system_config_dirs(); d && *d; ++d) folders << text(*d);
    QStringList lists;
    for (const QString& folder : folders) {
        for (const QString& desktop : currentDesktops())
            lists << folder + QLatin1Char('/') + desktop + QStringLiteral("-xdg-terminals.list");
        lists << folder + QStringLiteral("/xdg-terminals.list");
    }
    return lists;
}

const char* const kSettingsIds[] = {
    "org.gnome.Settings",  "gnome-control-center",      "systemsettings",    "org.kde.systemsettings",
    "kdesystemsettings",   "xfce-settings-manager",     "org.xfce.settings.manager",
    "cinnamon-settings",   "mate-control-center",       "budgie-control-center", "lxqt-config",
};

}  // namespace

std::optional<AppRole> roleForIdentifier(const QString& bundleId) {
    const AppCounterpart* counterpart = counterpartFor(bundleId.toStdString());
    return counterpart ? counterpart->role : std::nullopt;
}

namespace {
// Every identifier of the table, for resolving ahead of the GUI thread.
const QStringList& tableIdentifiers() {
    static const QStringList ids = [] {
        QStringList out;
        for (const std::string& id : counterpartIdentifiers()) out << QString::fromStdString(id);
        return out;
    }();
    return ids;
}
}  // namespace

AppIndex& AppIndex::shared() {
    static AppIndex* index = new AppIndex;  // lives as long as the process
    return *index;
}

AppIndex::AppIndex() {
    // The monitor reports on the thread-default main context of the caller;
    // a pool thread has none, so it falls to the GUI thread's loop.
    GAppInfoMonitor* monitor = g_app_info_monitor_get();  // kept for the process's life
    g_signal_connect(monitor, "changed", G_CALLBACK(+[](GAppInfoMonitor*, gpointer self) {
                         static_cast<AppIndex*>(self)->invalidate();
                     }),
                     this);
    rebuildInBackground();
}

std::shared_ptr<const std::vector<AppRecord>> AppIndex::readAll() {
    auto records = std::make_shared<std::vector<AppRecord>>();
    GList* infos = g_app_info_get_all();
    for (GList* l = infos; l; l = l->next)
        if (G_IS_DESKTOP_APP_INFO(l->data)) records->push_back(recordOf(G_DESKTOP_APP_INFO(l->data)));
    g_list_free_full(infos, g_object_unref);
    return records;
}

void AppIndex::rebuildInBackground() {
    {
        std::lock_guard lock(mutex_);
        if (rebuilding_) {
            rebuildAgain_ = true;  // the read under way may have missed the change
            return;
        }
        rebuilding_ = true;
    }
    QThreadPool::globalInstance()->start([this] {
        auto records = readAll();
        {
            std::lock_guard lock(mutex_);
            all_ = records;  // the table below is matched against the new list
        }
        auto table = resolveTable();
        bool again;
        {
            std::lock_guard lock(mutex_);
            rebuilding_ = false;
            again = std::exchange(rebuildAgain_, false);
            ++generation_;  // answers made from the old list are matched again
            resolved_ = std::move(table);
        }
        if (again) rebuildInBackground();
    });
}

void AppIndex::invalidate() {
    {
        std::lock_guard lock(mutex_);
        ++generation_;
        // Plain ids are looked up again at once; the table's answers stay
        // until the new ones are made, so the GUI thread never waits on them.
        for (auto it = resolved_.begin(); it != resolved_.end();)
            it = tableIdentifiers().contains(it->first) ? std::next(it) : resolved_.erase(it);
    }
    // Readers keep the list they have until the new one is read.
    rebuildInBackground();
}

std::map<QString, std::optional<AppRecord>> AppIndex::resolveTable() {
    std::map<QString, std::optional<AppRecord>> out;
    for (const QString& id : tableIdentifiers()) out[id] = lookUp(id);
    return out;
}

std::uint64_t AppIndex::generation() {
    std::lock_guard lock(mutex_);
    return generation_;
}

std::shared_ptr<const std::vector<AppRecord>> AppIndex::all() {
    {
        std::lock_guard lock(mutex_);
        if (all_) return all_;
    }
    // Only before the first list is read.
    auto records = readAll();
    std::lock_guard lock(mutex_);
    if (!all_) all_ = records;
    return all_;
}

std::optional<AppRecord> AppIndex::resolve(const QString& bundleId) {
    std::uint64_t generation;
    {
        std::lock_guard lock(mutex_);
        if (auto it = resolved_.find(bundleId); it != resolved_.end()) return it->second;
        generation = generation_;
    }
    std::optional<AppRecord> found = lookUp(bundleId);
    std::lock_guard lock(mutex_);
    if (generation == generation_) resolved_[bundleId] = found;
    return found;
}

std::optional<AppRecord> AppIndex::lookUp(const QString& bundleId) {
    if (auto found = byId(bundleId)) return found;
    const AppCounterpart* counterpart = counterpartFor(bundleId.toStdString());
    if (!counterpart) return std::nullopt;
    for (const std::string& id : counterpart->desktopIds)
        if (auto found = byId(QString::fromStdString(id))) return found;
    if (counterpart->role) return forRole(*counterpart->role);
    return std::nullopt;
}

std::optional<AppRecord> AppIndex::byId(const QString& id) {
    // GIO leaves out Hidden entries and those whose program is missing.
    if (id.isEmpty() || id.contains(QLatin1Char('/'))) return std::nullopt;
    return recordOf(reinterpret_cast<GAppInfo*>(g_desktop_app_info_new((id + QStringLiteral(".desktop")).toUtf8().constData())));
}

std::optional<AppRecord> AppIndex::forRole(AppRole role) {
    auto defaultFor = [this](std::initializer_list<const char*> types) -> std::optional<AppRecord> {
        for (const char* type : types)
            if (auto found = recordOf(g_app_info_get_default_for_type(type, FALSE))) return found;
        // No default chosen. GIO finds the entries that declare a type only
        // through the folders' mimeinfo.cache, which a user's own folder
        // seldom has: the first declaring entry by id.
        for (const char* type : types) {
            std::optional<AppRecord> declaring;
            for (const AppRecord& r : *all())
                if (r.mimeTypes.contains(QLatin1String(type)) && (!declaring || r.id < declaring->id)) declaring = r;
            if (declaring) return declaring;
        }
        return std::nullopt;
    };
    switch (role) {
        case AppRole::browser: return defaultFor({"x-scheme-handler/https", "x-scheme-handler/http", "text/html"});
        case AppRole::fileManager: return defaultFor({"inode/directory"});
        case AppRole::terminal: return terminal();
        case AppRole::mailClient: return defaultFor({"x-scheme-handler/mailto"});
        case AppRole::calendar: return defaultFor({"text/calendar", "x-scheme-handler/webcal"});
        case AppRole::textEditor: return defaultFor({"text/plain"});
        case AppRole::settings:
            for (const char* id : kSettingsIds)
                if (auto found = byId(QString::fromLatin1(id))) return found;
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<AppRecord> AppIndex::terminal() {
    // Lines are desktop ids; "-id" excludes one, "+id" and ":action" are tolerated.
    QSet<QString> excluded;
    for (const QString& path : terminalLists()) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        for (const QByteArray& raw : file.readAll().split('\n')) {
            QString line = QString::fromUtf8(raw).trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
            const bool exclude = line.startsWith(QLatin1Char('-'));
            if (exclude || line.startsWith(QLatin1Char('+'))) line = line.mid(1);
            line = withoutSuffix(line.section(QLatin1Char(':'), 0, 0));
            if (exclude)
                excluded.insert(line);
            else if (!excluded.contains(line))
                if (auto found = byId(line)) return found;
        }
    }
    // Else any terminal, the same one each time: the first by id.
    std::optional<AppRecord> any;
    for (const AppRecord& r : *all())
        if (r.categories.contains(QLatin1String("TerminalEmulator")) && !excluded.contains(r.id) && (!any || r.id < any->id))
            any = r;
    return any;
}

bool AppIndex::launch(const QString& location) {
    Ref<GDesktopAppInfo> info(g_desktop_app_info_new_from_filename(location.toUtf8().constData()));
    if (!info) return false;
    Ref<GAppLaunchContext> context = x11::makeLaunchContext();
    // An entry without a Path of its own starts in the user's home folder,
    // not in whatever folder Orbel was started from. The change of folder
    // runs in the child, just before it becomes the application.
    gchar* own = g_desktop_app_info_get_string(info.get(), "Path");
    const bool hasPath = own && *own;
    g_free(own);
    const QByteArray home = QFile::encodeName(QDir::homePath());
    const GSpawnChildSetupFunc toHome = [](gpointer folder) { (void)::chdir(static_cast<const char*>(folder)); };
    GError* error = nullptr;
    const bool ok = g_desktop_app_info_launch_uris_as_manager(
        info.get(), nullptr, context.get(), G_SPAWN_SEARCH_PATH, hasPath ? nullptr : toHome,
        const_cast<char*>(home.constData()), nullptr, nullptr, &error);
    if (error) g_error_free(error);
    return ok;
}

}  // namespace orbel::platform::gio
