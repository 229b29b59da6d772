#include "config/kept_record.h"

#include <algorithm>

#include "config/atomic_file.h"
#include "model/json.h"
#include "platform/key_value_store.h"

namespace orbel {

namespace {

using json::Json;

constexpr const char* kKeptKey = "orbel.keptAside";
constexpr const char* kToTellKey = "orbel.untoldConfigNotices";
// One notice made while quitting, as an earlier version kept it.
constexpr const char* kEarlierToTellKey = "orbel.untoldConfigNotice";
// A stored list longer than this is no list Orbel wrote.
constexpr std::size_t kLongestList = 4 * 1024 * 1024;
constexpr qint64 kLargestSize = qint64(1) << 40;

Json storedList(const char* key) {
    const auto text = platform::KeyValueStore::shared().string(key);
    if (!text || text->size() > kLongestList) return Json::array();
    const Json list = Json::parse(*text, nullptr, false);
    return list.is_array() ? list : Json::array();
}

// Written only when it changes: a start with nothing to settle writes nothing.
void storeList(const char* key, const Json& list) {
    auto& store = platform::KeyValueStore::shared();
    const auto stored = store.string(key);
    if (list.empty()) {
        if (stored) store.remove(key);
    } else if (const std::string text = list.dump(); stored != text) {
        store.setString(key, text);
    }
}

// A member of `entry` of the given kind, or nothing: absent, or of another
// type, or longer than the record keeps.
const std::string* textOf(const Json& entry, const char* key) {
    const auto it = entry.find(key);
    if (it == entry.end() || !it->is_string()) return nullptr;
    const auto& text = it->get_ref<const std::string&>();
    return text.size() <= KeptRecord::kLongestText ? &text : nullptr;
}
std::optional<std::int64_t> integerOf(const Json& entry, const char* key) {
    const auto it = entry.find(key);
    if (it == entry.end() || !it->is_number_integer()) return std::nullopt;
    return it->get<std::int64_t>();
}

bool isDigest(const std::string& text) {
    return text.size() == 64 &&
           std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// Whether an entry belongs to another config.json (a test run's, another
// folder's): left as it is, and never acted on here.
bool othersEntry(const Json& entry, const std::string& path) {
    const std::string* of = entry.is_object() ? textOf(entry, "of") : nullptr;
    return of && *of != path;
}

// A notice as stored, when it is one Orbel writes; `legacy`: an earlier
// version's record, which names no file of its own and has no id.
std::optional<KeptRecord::ToTell> toTellFrom(const Json& entry, bool legacy) {
    if (!entry.is_object()) return std::nullopt;
    KeptRecord::ToTell out;
    const auto kind = integerOf(entry, "kind");
    const std::string* reason = textOf(entry, "reason");
    const std::string* file = textOf(entry, "file");
    if (!kind || *kind < 0 || *kind >= KeptRecord::kMostKinds || !reason || !file) return std::nullopt;
    out.kind = int(*kind);
    out.reason = *reason;
    out.file = *file;
    if (!legacy) {
        const auto id = integerOf(entry, "id");
        if (!id || *id <= 0) return std::nullopt;
        out.id = std::uint64_t(*id);
    }
    // Optional members: absent, or of their kind.
    for (auto [key, into] : {std::pair{"keptAt", &out.keptAt}, std::pair{"profileInUse", &out.profileInUse}}) {
        if (!entry.contains(key)) continue;
        const std::string* text = textOf(entry, key);
        if (!text) return std::nullopt;
        *into = *text;
    }
    if (entry.contains("keptInUse")) {
        if (!entry["keptInUse"].is_boolean()) return std::nullopt;
        out.keptInUse = entry["keptInUse"].get<bool>();
    }
    return out;
}

Json toJson(const KeptRecord::ToTell& notice, const std::string& path) {
    Json record = Json::object();
    record["of"] = path;
    record["id"] = notice.id;
    record["kind"] = notice.kind;
    record["reason"] = notice.reason;
    if (notice.keptAt) record["keptAt"] = *notice.keptAt;
    record["file"] = notice.file;
    if (notice.profileInUse) record["profileInUse"] = *notice.profileInUse;
    record["keptInUse"] = notice.keptInUse;
    return record;
}

}  // namespace

KeptRecord::KeptRecord(std::string configPath) : path_(std::move(configPath)) {}

// MARK: files kept aside

std::vector<KeptRecord::Kept> KeptRecord::kept() const {
    std::vector<Kept> out;
    for (const auto& entry : storedList(kKeptKey)) {
        if (out.size() >= kMostKept) break;
        if (!entry.is_object()) continue;
        const std::string* of = textOf(entry, "of");
        const std::string* path = textOf(entry, "path");
        const std::string* digest = textOf(entry, "digest");
        const auto size = integerOf(entry, "size");
        if (!of || *of != path_ || !path || !digest || !size) continue;
        // Only what Orbel keeps aside, by the name it gives it, beside this
        // config.json: config.json itself, a profile or any other file is
        // never Orbel's to remove.
        if (!isKeptAsideName(path_, *path) || !isDigest(*digest) || *size < 0 || *size > kLargestSize) continue;
        out.push_back({*path, *size, *digest});
    }
    return out;
}

void KeptRecord::setKept(const std::vector<Kept>& kept) {
    Json list = Json::array();
    for (const auto& entry : storedList(kKeptKey))
        if (othersEntry(entry, path_) && list.size() < kMostKept) list.push_back(entry);
    for (std::size_t i = 0; i < kept.size() && i < kMostKept; ++i)
        list.push_back({{"of", path_}, {"path", kept[i].path}, {"size", kept[i].size}, {"digest", kept[i].digest}});
    storeList(kKeptKey, list);
}

// MARK: notices

std::vector<KeptRecord::ToTell> KeptRecord::readToTell(bool& rewrite) const {
    std::vector<ToTell> out;
    const auto add = [&](std::optional<ToTell> notice) {
        if (!notice || out.size() >= kMostToTell) return void(rewrite = true);
        out.push_back(std::move(*notice));
    };
    if (const auto earlier = platform::KeyValueStore::shared().string(kEarlierToTellKey)) {
        rewrite = true;
        add(toTellFrom(Json::parse(*earlier, nullptr, false), true));
    }
    for (const auto& entry : storedList(kToTellKey)) {
        if (othersEntry(entry, path_)) continue;
        if (entry.is_string()) {  // an earlier version's: a record in a string, no id
            rewrite = true;
            const auto& text = entry.get_ref<const std::string&>();
            add(text.size() <= kLongestText ? toTellFrom(Json::parse(text, nullptr, false), true) : std::nullopt);
        } else {
            add(toTellFrom(entry, false));
        }
    }
    // Earlier versions' records, and any two that share an id, are given ids
    // of their own.
    std::uint64_t next = 1;
    for (const auto& notice : out) next = std::max(next, notice.id + 1);
    std::vector<std::uint64_t> seen;
    for (auto& notice : out) {
        if (notice.id == 0 || std::find(seen.begin(), seen.end(), notice.id) != seen.end()) {
            notice.id = next++;
            rewrite = true;
        }
        seen.push_back(notice.id);
    }
    return out;
}

void KeptRecord::storeToTell(const std::vector<ToTell>& list) const {
    Json stored = Json::array();
    for (const auto& entry : storedList(kToTellKey))
        if (othersEntry(entry, path_) && stored.size() < kMostToTell) stored.push_back(entry);
    for (const auto& notice : list) stored.push_back(toJson(notice, path_));
    storeList(kToTellKey, stored);
    auto& store = platform::KeyValueStore::shared();
    if (store.string(kEarlierToTellKey)) store.remove(kEarlierToTellKey);
}

std::vector<KeptRecord::ToTell> KeptRecord::untold() {
    bool rewrite = false;
    auto list = readToTell(rewrite);
    if (rewrite) storeToTell(list);
    return list;
}

std::uint64_t KeptRecord::keepToTell(ToTell notice) {
    bool rewrite = false;
    auto list = readToTell(rewrite);
    // The same notice again (a file that keeps failing the same way) is
    // the one already waiting for an answer.
    for (const auto& other : list) {
        ToTell same = notice;
        same.id = other.id;
        if (same == other) return other.id;
    }
    notice.id = 1;
    for (const auto& other : list) notice.id = std::max(notice.id, other.id + 1);
    // Bounded: past that many unanswered, the oldest goes first.
    if (list.size() >= kMostToTell) list.erase(list.begin(), list.begin() + std::ptrdiff_t(list.size() - kMostToTell + 1));
    list.push_back(std::move(notice));
    storeToTell(list);
    return list.back().id;
}

void KeptRecord::answered(std::uint64_t id) {
    bool rewrite = false;
    auto list = readToTell(rewrite);
    const auto before = list.size();
    std::erase_if(list, [id](const ToTell& notice) { return notice.id == id; });
    if (rewrite || list.size() != before) storeToTell(list);
}

}  // namespace orbel
