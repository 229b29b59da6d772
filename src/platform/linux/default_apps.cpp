#include "platform/linux/default_apps.h"

#include <QFile>
#include <QSet>
#include <map>

namespace orbel::platform::xdg {
namespace {

// Group -> key -> list of desktop ids, from one mimeapps.list.
using Groups = std::map<QString, std::map<QString, QStringList>>;

Groups readMimeapps(const QString& path) {
    Groups groups;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > 4 * 1024 * 1024) return groups;
    QString group;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2);
            continue;
        }
        qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || group.isEmpty()) continue;
        QStringList ids;
        for (QString id : line.mid(eq + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            id = id.trimmed();
            if (id.endsWith(QLatin1String(".desktop"))) id.chop(8);
            if (!id.isEmpty()) ids << id;
        }
        auto& list = groups[group][line.left(eq).trimmed()];
        list += ids;
    }
    return groups;
}

QStringList idsIn(const Groups& groups, const char* group, const QString& key) {
    auto g = groups.find(QString::fromLatin1(group));
    if (g == groups.end()) return {};
    auto k = g->second.find(key);
    return k == g->second.end() ? QStringList() : k->second;
}

}  // namespace

std::optional<AppRole> roleForIdentifier(const QString& bundleId) {
    static const std::map<QString, AppRole> roles{
        {QStringLiteral("com.apple.Safari"), AppRole::browser},
        {QStringLiteral("com.apple.finder"), AppRole::fileManager},
        {QStringLiteral("com.apple.Terminal"), AppRole::terminal},
        {QStringLiteral("com.apple.mail"), AppRole::mailClient},
        {QStringLiteral("com.apple.iCal"), AppRole::calendar},
        {QStringLiteral("com.apple.TextEdit"), AppRole::textEditor},
        {QStringLiteral("com.apple.systempreferences"), AppRole::settings},
        {QStringLiteral("com.apple.SystemPreferences"), AppRole::settings},
    };
    auto it = roles.find(bundleId);
    if (it == roles.end()) return std::nullopt;
    return it->second;
}

DefaultApps::DefaultApps(BaseDirs dirs, QString locale) : dirs_(std::move(dirs)), locale_(std::move(locale)) {}

QStringList DefaultApps::mimeappsFiles() const {
    QStringList out;
    auto addFolder = [&](const QString& folder) {
        for (const QString& desktop : dirs_.currentDesktops) out << folder + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list");
        out << folder + QStringLiteral("/mimeapps.list");
    };
    addFolder(dirs_.configHome);
    for (const QString& d : dirs_.configDirs) addFolder(d);
    addFolder(dirs_.dataHome + QStringLiteral("/applications"));
    for (const QString& d : dirs_.dataDirs) addFolder(d + QStringLiteral("/applications"));
    out.removeDuplicates();
    return out;
}

std::optional<DesktopEntry> DefaultApps::installed(const QString& id) const {
    auto entry = findDesktopEntry(dirs_.applicationDirs(), id, locale_);
    if (!entry || !entry->isLaunchable()) return std::nullopt;
    return entry;
}

const std::vector<DesktopEntry>& DefaultApps::allEntries() const {
    if (!entries_) entries_ = scanDesktopEntries(dirs_.applicationDirs(), locale_);
    return *entries_;
}

std::optional<DesktopEntry> DefaultApps::defaultFor(const QString& mimeType) const {
    std::vector<Groups> files;
    for (const QString& path : mimeappsFiles()) files.push_back(readMimeapps(path));

    for (const Groups& g : files)
        for (const QString& id : idsIn(g, "Default Applications", mimeType))
            if (auto entry = installed(id)) return entry;

    QSet<QString> removed;
    for (const Groups& g : files) {
        for (const QString& id : idsIn(g, "Removed Associations", mimeType)) removed.insert(id);
        for (const QString& id : idsIn(g, "Added Associations", mimeType))
            if (!removed.contains(id))
                if (auto entry = installed(id)) return entry;
    }
    for (const DesktopEntry& entry : allEntries())
        if (entry.mimeTypes.contains(mimeType) && !removed.contains(entry.id) && entry.isLaunchable()) return entry;
    return std::nullopt;
}

std::optional<DesktopEntry> DefaultApps::terminal() const {
    // xdg-terminal-exec's preference lists: one desktop id a line, "-id"
    // excludes it, "+id" and "/action" suffixes are tolerated.
    QStringList lists;
    for (const QString& desktop : dirs_.currentDesktops)
        lists << dirs_.configHome + QLatin1Char('/') + desktop + QStringLiteral("-xdg-terminals.list");
    lists << dirs_.configHome + QStringLiteral("/xdg-terminals.list");
    for (const QString& d : dirs_.configDirs) {
        for (const QString& desktop : dirs_.currentDesktops)
            lists << d + QLatin1Char('/') + desktop + QStringLiteral("-xdg-terminals.list");
        lists << d + QStringLiteral("/xdg-terminals.list");
    }
    QSet<QString> excluded;
    for (const QString& path : lists) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        for (const QByteArray& raw : file.readAll().split('\n')) {
            QString line = QString::fromUtf8(raw).trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
            bool exclude = line.startsWith(QLatin1Char('-'));
            if (exclude || line.startsWith(QLatin1Char('+'))) line = line.mid(1);
            line = line.section(QLatin1Char(':'), 0, 0);
            if (line.endsWith(QLatin1String(".desktop"))) line.chop(8);
            if (exclude) {
                excluded.insert(line);
            } else if (!excluded.contains(line)) {
                if (auto entry = installed(line)) return entry;
            }
        }
    }
    for (const DesktopEntry& entry : allEntries())
        if (entry.categories.contains(QLatin1String("TerminalEmulator")) && !excluded.contains(entry.id) &&
            entry.isLaunchable())
            return entry;
    return std::nullopt;
}

std::optional<DesktopEntry> DefaultApps::settings() const {
    static const QStringList known{
        "org.gnome.Settings",     "gnome-control-center", "systemsettings",        "org.kde.systemsettings",
        "kdesystemsettings",      "xfce-settings-manager", "org.xfce.settings.manager",
        "cinnamon-settings",      "mate-control-center",  "budgie-control-center", "lxqt-config",
    };
    for (const QString& id : known)
        if (auto entry = installed(id)) return entry;
    return std::nullopt;
}

std::optional<DesktopEntry> DefaultApps::entryFor(AppRole role) const {
    auto firstOf = [&](std::initializer_list<const char*> types) -> std::optional<DesktopEntry> {
        for (const char* type : types)
            if (auto entry = defaultFor(QString::fromLatin1(type))) return entry;
        return std::nullopt;
    };
    switch (role) {
    case AppRole::browser: return firstOf({"x-scheme-handler/https", "x-scheme-handler/http", "text/html"});
    case AppRole::fileManager: return firstOf({"inode/directory"});
    case AppRole::terminal: return terminal();
    case AppRole::mailClient: return firstOf({"x-scheme-handler/mailto"});
    case AppRole::calendar: return firstOf({"text/calendar", "x-scheme-handler/webcal"});
    case AppRole::textEditor: return firstOf({"text/plain"});
    case AppRole::settings: return settings();
    }
    return std::nullopt;
}

}  // namespace orbel::platform::xdg
