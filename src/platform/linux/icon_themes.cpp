#include "platform/icon_themes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QMutex>
#include <limits>
#include <map>
#include <sys/stat.h>

#include "platform/linux/xdg_folders.h"
#include "platform/peer_file.h"

namespace orbel::platform {
namespace {

// One folder of a theme, as its index.theme describes it; sizes in pixels
// (its Size times its Scale).
struct ThemeFolder {
    QString name;
    int size = 0, min = 0, max = 0;

    int distance(int pixels) const {
        if (pixels < min) return min - pixels;
        if (pixels > max) return pixels - max;
        return 0;
    }
};

struct Theme {
    QStringList places;  // the theme's folder under each folder holding themes
    std::vector<ThemeFolder> folders;
    QStringList parents;
};

bool isRegularFile(const QString& path) {
    struct stat info{};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

// The groups of an index.theme, each a map of its keys.
std::map<QByteArray, std::map<QByteArray, QByteArray>> readIndex(const QByteArray& text) {
    std::map<QByteArray, std::map<QByteArray, QByteArray>> groups;
    std::map<QByteArray, QByteArray>* current = nullptr;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[') && line.endsWith(']')) current = &groups[line.mid(1, line.size() - 2)];
        else if (const auto eq = line.indexOf('='); current && eq > 0 && !line.startsWith('#'))
            current->emplace(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return groups;
}

QStringList listOf(const QByteArray& value) {
    QStringList out;
    for (const QByteArray& item : value.split(','))
        if (!item.trimmed().isEmpty()) out << QString::fromUtf8(item.trimmed());
    return out;
}

// The theme `name` as found in `search`'s folders; nothing when no folder
// holds its index.theme. Read as a peer file: a pipe there reads as nothing.
std::optional<Theme> readTheme(const QString& name, const IconSearch& search) {
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.'))) return std::nullopt;
    Theme theme;
    QByteArray index;
    for (const QString& folder : search.themeFolders) {
        const QString place = folder + QLatin1Char('/') + name;
        if (!QFileInfo(place).isDir()) continue;
        theme.places << place;
        if (index.isEmpty())
            index = readPeerFile(place + QStringLiteral("/index.theme"), 1 << 20).bytes.value_or(QByteArray());
    }
    const auto groups = readIndex(index);
    const auto head = groups.find("Icon Theme");
    if (head == groups.end()) return std::nullopt;
    const auto value = [](const std::map<QByteArray, QByteArray>& keys, const char* key, int otherwise) {
        const auto it = keys.find(key);
        bool ok = false;
        const int v = it == keys.end() ? 0 : it->second.toInt(&ok);
        return ok ? v : otherwise;
    };
    const auto& keys = head->second;
    QStringList names = listOf(keys.count("Directories") ? keys.at("Directories") : QByteArray());
    names << listOf(keys.count("ScaledDirectories") ? keys.at("ScaledDirectories") : QByteArray());
    for (const QString& folder : names) {
        const auto group = groups.find(folder.toUtf8());
        if (group == groups.end() || folder.contains(QLatin1String(".."))) continue;
        const auto& g = group->second;
        const int scale = std::max(1, value(g, "Scale", 1));
        const int size = value(g, "Size", 0);
        if (size <= 0) continue;
        const QByteArray type = g.count("Type") ? g.at("Type") : QByteArray("Threshold");
        const int threshold = value(g, "Threshold", 2);
        ThemeFolder f{folder, size * scale, size * scale, size * scale};
        if (type == "Scalable") f.min = value(g, "MinSize", size) * scale, f.max = value(g, "MaxSize", size) * scale;
        else if (type != "Fixed") f.min = (size - threshold) * scale, f.max = (size + threshold) * scale;
        theme.folders.push_back(std::move(f));
    }
    if (const auto it = keys.find("Inherits"); it != keys.end()) theme.parents = listOf(it->second);
    return theme;
}

// The picture of `name` in `folder` (PNG, then SVG, then XPM), when it is a
// regular file; empty otherwise.
QString fileOf(const QString& folder, const QString& name) {
    for (const char* extension : {".png", ".svg", ".xpm"})
        if (QString file = folder + QLatin1Char('/') + name + QLatin1String(extension); isRegularFile(file)) return file;
    return {};
}

// Parsed themes, shared by the reader threads: a theme is read once. Never
// destroyed: quitting does not wait for a reader thread that may use them.
std::optional<Theme> cachedTheme(const QString& name, const IconSearch& search) {
    static QMutex& mutex = *new QMutex;
    static auto& themes = *new std::map<QString, std::optional<Theme>>;
    const QString key = search.themeFolders.join(QLatin1Char(':')) + QLatin1Char('|') + name;
    {
        QMutexLocker lock(&mutex);
        if (auto it = themes.find(key); it != themes.end()) return it->second;
    }
    std::optional<Theme> theme = readTheme(name, search);
    if (!theme) return theme;  // it may be installed later
    QMutexLocker lock(&mutex);
    if (themes.size() > 64) themes.clear();
    return themes.emplace(key, std::move(theme)).first->second;
}

// The closest file in `theme` and its parents, depth first; `seen` keeps a
// theme from being searched twice (or forever, when parents loop).
QString findIn(const QString& themeName, const QString& name, int pixels, const IconSearch& search,
               QStringList& seen) {
    if (seen.contains(themeName) || seen.size() > 16) return {};
    seen << themeName;
    const std::optional<Theme> theme = cachedTheme(themeName, search);
    if (!theme) return {};
    const auto fileIn = [&](const ThemeFolder& folder) -> QString {
        for (const QString& place : theme->places)
            if (QString file = fileOf(place + QLatin1Char('/') + folder.name, name); !file.isEmpty()) return file;
        return {};
    };
    QString best;
    int bestDistance = std::numeric_limits<int>::max();
    for (const ThemeFolder& folder : theme->folders) {
        const int distance = folder.distance(pixels);
        if (distance >= bestDistance) continue;
        if (QString file = fileIn(folder); !file.isEmpty()) best = std::move(file), bestDistance = distance;
        if (bestDistance == 0) break;
    }
    if (!best.isEmpty()) return best;
    for (const QString& parent : theme->parents)
        if (QString file = findIn(parent, name, pixels, search, seen); !file.isEmpty()) return file;
    return {};
}

}  // namespace

IconSearch sessionIconSearch() {
    IconSearch search;
    for (const QString& theme : {QIcon::themeName(), QIcon::fallbackThemeName(), QStringLiteral("hicolor")})
        if (!theme.isEmpty() && !search.themes.contains(theme)) search.themes << theme;
    search.themeFolders << QDir::homePath() + QStringLiteral("/.icons")
                        << xdg::dataHome() + QStringLiteral("/icons");
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty()) dataDirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString& folder : dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(folder)) search.themeFolders << folder + QStringLiteral("/icons");
    search.pictureFolders << QStringLiteral("/usr/share/pixmaps");
    return search;
}

QString findThemeIcon(const QString& name, int pixels, const IconSearch& search) {
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.'))) return {};
    QStringList seen;
    for (const QString& theme : search.themes)
        if (QString file = findIn(theme, name, pixels, search, seen); !file.isEmpty()) return file;
    for (const QString& folder : search.pictureFolders)
        if (QString file = fileOf(folder, name); !file.isEmpty()) return file;
    return {};
}

}  // namespace orbel::platform
