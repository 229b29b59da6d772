#include "icons/icon_catalog.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <exception>

#include "model/json.h"
#include "model/text.h"

namespace orbel {
namespace {

constexpr std::string_view kCatalogSuffix = "-catalog.json";
const IconPack kSystemSymbols{"sf"};

template <class T>
std::optional<std::vector<T>> decodeArray(std::string_view text) {
    try {
        const json::Json document = json::parse(text);
        return json::Node(document).map([](const json::Node& n) { return T::fromJson(n); });
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::string> readFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll().toStdString();
}

std::string packFolder(const IconPack& pack) { return "IconPacks/" + pack.rawValue; }

}  // namespace

std::optional<std::vector<IconCatalogEntry>> decodeIconCatalog(std::string_view text) {
    return decodeArray<IconCatalogEntry>(text);
}

std::optional<std::vector<IconPackManifestEntry>> decodeIconPackManifest(std::string_view text) {
    return decodeArray<IconPackManifestEntry>(text);
}

IconCatalog::IconCatalog(platform::Bundle& bundle, platform::Fonts& fonts, platform::Symbols& symbols)
    : bundle_(bundle), fonts_(fonts), symbols_(symbols) {}

IconCatalog& IconCatalog::makeShared() {
    static auto* catalog =
        new IconCatalog(platform::Bundle::shared(), platform::Fonts::shared(), platform::Symbols::shared());
    return *catalog;
}

const std::vector<IconPack>& IconCatalog::knownPacks() {
    static const std::vector<IconPack> packs = [] {
        std::vector<IconPack> out;
        for (const auto& [id, name] : IconPack::knownPacks()) out.push_back(IconPack{id});
        return out;
    }();
    return packs;
}

void IconCatalog::bootstrap() {
    for (const auto& entry : manifest()) available_.insert(entry.pack);
    for (const auto& pack : discoverCatalogPacks()) available_.insert(pack);
    for (const auto& pack : knownPacks()) {
        if (pack == kSystemSymbols) continue;
        if (const auto fontName = pack.fontPostScriptName()) {
            if (const auto font = bundle_.resourcePath(*fontName, "ttf", packFolder(pack))) {
                if (fonts_.registerFontFile(*font)) available_.insert(pack);
                continue;
            }
        }
        if (catalogPath(pack)) available_.insert(pack);
    }
}

const std::vector<IconPackManifestEntry>& IconCatalog::manifest() {
    if (!loadedManifest_) {
        const auto path = bundle_.resourcePath("icon-packs-manifest", "json", "IconPacks");
        const auto text = path ? readFile(*path) : std::nullopt;
        const auto decoded = text ? decodeIconPackManifest(*text) : std::nullopt;
        loadedManifest_ = decoded.value_or(std::vector<IconPackManifestEntry>{});
    }
    return *loadedManifest_;
}

std::vector<IconPack> IconCatalog::discoverCatalogPacks() {
    const auto dir = bundle_.resourceDir();
    if (!dir) return {};
    std::vector<IconPack> found;
    std::unordered_set<std::string> seen;
    // Hidden files and folders are skipped: QDir::Hidden is not asked for.
    QDirIterator it(QString::fromStdString(*dir), QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const std::string name = QFileInfo(it.next()).fileName().toStdString();
        if (name.size() <= kCatalogSuffix.size() || !name.ends_with(kCatalogSuffix)) continue;
        std::string id = name.substr(0, name.size() - kCatalogSuffix.size());
        if (seen.insert(id).second) found.push_back(IconPack{std::move(id)});
    }
    std::vector<std::pair<QString, IconPack>> named;
    for (auto& pack : found)
        named.emplace_back(QString::fromStdString(displayName(pack)).normalized(QString::NormalizationForm_C), pack);
    std::stable_sort(named.begin(), named.end(), [](const auto& a, const auto& b) {
        return QString::compare(a.first, b.first, Qt::CaseSensitive) < 0;
    });
    std::vector<IconPack> out;
    for (auto& [name, pack] : named) out.push_back(std::move(pack));
    return out;
}

std::optional<std::string> IconCatalog::catalogPath(const IconPack& pack) const {
    if (pack == kSystemSymbols) return std::nullopt;
    return bundle_.resourcePath(pack.rawValue + "-catalog", "json", packFolder(pack));
}

std::vector<IconPack> IconCatalog::allPacks() {
    std::vector<IconPack> candidates = knownPacks();
    for (const auto& entry : manifest()) candidates.push_back(entry.pack);
    for (auto& pack : discoverCatalogPacks()) candidates.push_back(std::move(pack));
    std::vector<IconPack> out;
    std::unordered_set<IconPack> kept;
    for (auto& pack : candidates) {
        if (isAvailable(pack) && kept.insert(pack).second) out.push_back(std::move(pack));
    }
    return out;
}

std::string IconCatalog::displayName(const IconPack& pack) {
    for (const auto& entry : manifest()) {
        if (entry.pack == pack) return entry.displayName;
    }
    return pack.displayName();
}

const std::vector<IconCatalogEntry>& IconCatalog::entries(const IconPack& pack) {
    if (const auto found = loadedPacks_.find(pack); found != loadedPacks_.end()) return found->second;
    std::vector<IconCatalogEntry> result;
    if (pack == kSystemSymbols) {
        result = sfSymbolEntries();
    } else if (const auto path = catalogPath(pack)) {
        const auto text = readFile(*path);
        if (auto decoded = text ? decodeIconCatalog(*text) : std::nullopt) result = std::move(*decoded);
    }
    return loadedPacks_.emplace(pack, std::move(result)).first->second;
}

std::optional<IconCatalogEntry> IconCatalog::pickEntry(std::string_view text, std::string_view name) {
    if (name.find_first_of("\"\\") != std::string_view::npos) return std::nullopt;
    const std::string key = "{\"name\":\"" + std::string(name) + "\"";
    const std::size_t from = text.find(key);
    if (from == std::string_view::npos) return std::nullopt;
    // The element ends at its closing brace, outside strings.
    int depth = 0;
    bool inString = false;
    for (std::size_t i = from; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') ++i;
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if ((c == '}' || c == ']') && --depth == 0) {
            const auto one = decodeIconCatalog("[" + std::string(text.substr(from, i + 1 - from)) + "]");
            if (!one || one->size() != 1 || one->front().name != name) return std::nullopt;
            return one->front();
        }
    }
    return std::nullopt;
}

std::optional<IconCatalogEntry> IconCatalog::entry(const IconPack& pack, std::string_view name) {
    const auto find = [&](const std::vector<IconCatalogEntry>& all) -> std::optional<IconCatalogEntry> {
        for (const auto& e : all)
            if (e.name == name) return e;
        return std::nullopt;
    };
    if (pack == kSystemSymbols) return find(sfSymbolEntries());
    if (const auto loaded = loadedPacks_.find(pack); loaded != loadedPacks_.end()) return find(loaded->second);
    const std::string key = pack.rawValue + "|" + std::string(name);
    if (const auto picked = pickedEntries_.find(key); picked != pickedEntries_.end()) return picked->second;
    std::optional<IconCatalogEntry> found;
    if (const auto path = catalogPath(pack)) {
        // Mapped, not read: nothing of the file stays with the process.
        QFile file(QString::fromStdString(*path));
        if (file.open(QIODevice::ReadOnly) && file.size() > 0) {
            if (const uchar* bytes = file.map(0, file.size())) {
                const std::string_view text(reinterpret_cast<const char*>(bytes), std::size_t(file.size()));
                found = pickEntry(text, name);
                // A catalogue not in the bundled compact form: the whole pack it is.
                const std::size_t first = text.find_first_not_of(" \t\r\n");
                if (!found && (first == std::string_view::npos || text.substr(first, 10) != "[{\"name\":\""))
                    found = find(entries(pack));
                file.unmap(const_cast<uchar*>(bytes));
            }
        }
    }
    pickedEntries_.emplace(key, found);
    return found;
}

std::vector<IconCatalogEntry> IconCatalog::search(const IconPack& pack, std::string_view query) {
    const std::string q = text::toLower(text::trimSpacesAndTabs(query));
    const auto& all = entries(pack);
    if (q.empty()) return all;
    std::vector<IconCatalogEntry> out;
    for (const auto& entry : all) {
        bool match = text::toLower(entry.name).find(q) != std::string::npos;
        for (std::size_t i = 0; !match && i < entry.keywords.size(); ++i)
            match = text::toLower(entry.keywords[i]).find(q) != std::string::npos;
        if (match) out.push_back(entry);
    }
    return out;
}

const std::vector<IconCatalogEntry>& IconCatalog::sfSymbolEntries() {
    static const std::vector<IconCatalogEntry> entries = [] {
        const std::vector<std::pair<const char*, std::vector<std::string>>> table = {
            {"star.fill", {"favorite", "rating"}},
            {"heart.fill", {"favourite", "love", "like"}},
            {"bookmark.fill", {"save", "tag"}},
            {"flag.fill", {"mark", "report"}},
            {"bolt.fill", {"lightning", "fast", "power"}},
            {"sparkles", {"magic", "ai", "shine"}},
            {"flame.fill", {"fire", "hot"}},
            {"wand.and.stars", {"magic", "wizard"}},
            {"folder", {"directory"}},
            {"folder.fill", {"directory"}},
            {"doc", {"file", "document"}},
            {"doc.text", {"file", "document", "text"}},
            {"tray", {"inbox"}},
            {"archivebox", {"archive", "storage"}},
            {"message", {"chat", "talk"}},
            {"envelope", {"mail", "email"}},
            {"phone", {"call"}},
            {"video", {"camera", "call"}},
            {"hammer", {"tool", "build"}},
            {"wrench.and.screwdriver", {"tools", "settings"}},
            {"paintbrush", {"paint", "design"}},
            {"scissors", {"cut"}},
            {"ruler", {"measure"}},
            {"music.note", {"audio", "song"}},
            {"play.fill", {"start"}},
            {"pause.fill", {"stop"}},
            {"speaker.wave.2.fill", {"sound", "volume"}},
            {"mic", {"microphone", "record"}},
            {"rectangle.grid.2x2", {"grid", "layout"}},
            {"rectangle.split.3x1", {"columns"}},
            {"sidebar.left", {"panel"}},
            {"dock.rectangle", {"dock", "shelf"}},
            {"display", {"monitor", "screen"}},
            {"laptopcomputer", {"mac", "computer"}},
            {"keyboard", {"type"}},
            {"magicmouse", {"mouse"}},
            {"checkmark", {"done", "ok"}},
            {"xmark", {"close", "cancel"}},
            {"plus", {"add"}},
            {"minus", {"remove", "subtract"}},
            {"arrow.right", {"next", "forward"}},
            {"arrow.left", {"back", "previous"}},
            {"arrow.up", {"up"}},
            {"arrow.down", {"down"}},
            {"arrow.uturn.backward", {"undo"}},
            {"checkmark.circle.fill", {"complete", "success"}},
            {"xmark.circle.fill", {"error", "fail"}},
            {"exclamationmark.triangle", {"warning", "alert"}},
            {"info.circle", {"info", "help"}},
            {"questionmark.circle", {"help", "info"}},
            {"calendar", {"date", "schedule"}},
            {"clock", {"time"}},
            {"alarm", {"timer", "wake"}},
            {"timer", {"countdown"}},
            {"globe", {"web", "internet"}},
            {"link", {"url", "connect"}},
            {"paperplane", {"send"}},
            {"gearshape", {"settings", "preferences"}},
            {"magnifyingglass", {"search", "find"}},
            {"lock", {"secure", "private"}},
            {"eye", {"view", "watch"}},
            {"eye.slash", {"hide"}},
            {"trash", {"delete", "remove"}},
            {"square.and.arrow.up", {"share", "export"}},
            {"square.and.arrow.down", {"import", "save"}},
            {"paintpalette", {"color", "design"}},
            {"paperclip", {"attach"}},
            {"pin", {"fix"}},
            {"location", {"place", "where"}},
            {"map", {"location"}},
            {"house", {"home"}},
            {"person", {"user", "profile"}},
            {"person.2", {"users", "people"}},
            {"cart", {"shop", "buy"}},
            {"creditcard", {"pay"}},
            {"tag", {"label"}},
        };
        std::vector<IconCatalogEntry> out;
        for (const auto& [name, keywords] : table) out.push_back(IconCatalogEntry{name, {}, {}, {}, {}, keywords});
        return out;
    }();
    return entries;
}

}  // namespace orbel
