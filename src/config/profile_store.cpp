#include "config/profile_store.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "config/atomic_file.h"
#include "model/json.h"
#include "model/json_writer.h"
#include "model/profile_name.h"
#include "model/text.h"
#include "model/uuid.h"
#include "platform/app_paths.h"
#include "platform/peer_file.h"

namespace orbel {
namespace {

using Kind = ProfileStoreError::Kind;

std::string describe(Kind kind, const std::string& payload) {
    switch (kind) {
        case Kind::invalidName:
        case Kind::io: return payload;
        case Kind::alreadyExists: return "A profile named \"" + shownProfileName(payload) + "\" already exists.";
        case Kind::notFound: return "There is no profile named \"" + shownProfileName(payload) + "\".";
        case Kind::atCap: return "Six profiles exist already.";
    }
    return payload;
}

QString qstr(const std::string& s) { return QString::fromStdString(s); }

// Anything at the path, a dangling link included. Such an entry is no
// profile (list() leaves it out), but its name is taken: loading it fails
// with io, removing it works, and nothing is duplicated onto it.
bool entryExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

constexpr const char* kJsonSuffix = ".json";
constexpr std::size_t kMaxFileNameBytes = 255;

}  // namespace

ProfileStoreError::ProfileStoreError(Kind kind, std::string payload)
    : Error(describe(kind, payload)), kind_(kind), payload_(std::move(payload)) {}

ProfileStore::ProfileStore() : ProfileStore(platform::AppPaths::shared().configDir() + "/profiles") {}

ProfileStore::ProfileStore(std::string directory) : directory_(std::move(directory)) {}

namespace {

// Why a name, spaces and tabs trimmed, cannot name a profile's file.
std::optional<std::string> nameProblem(const std::string& trimmed) {
    if (trimmed.empty()) return "Profile name must not be empty";
    if (trimmed.front() == '.') return "Profile name must not start with '.'";
    if (trimmed.find_first_of("/\\") != std::string::npos) return "Profile name must not contain path separators";
    // Names the file system cannot hold: a NUL would cut the path short
    // ("Home" instead of "Home.json"), and a file name has at most 255 bytes.
    if (trimmed.find('\0') != std::string::npos) return "Profile name must not contain a null character";
    if (trimmed.size() + std::string_view(kJsonSuffix).size() > kMaxFileNameBytes) return "Profile name is too long";
    return std::nullopt;
}

}  // namespace

std::string ProfileStore::url(const std::string& name) const {
    const std::string trimmed = normalisedProfileName(name);
    if (auto problem = nameProblem(trimmed)) throw ProfileStoreError(Kind::invalidName, *problem);
    const std::string exact = directory_ + "/" + trimmed + kJsonSuffix;
    if (entryExists(qstr(exact))) return exact;
    // A file whose name is not trimmed (written by hand or by another
    // program) is the profile its name trims to, as the list shows it.
    for (const auto& profile : scan().profiles)
        if (profile.name == trimmed) return directory_ + "/" + profile.file;
    return exact;
}

void ProfileStore::checkNewName(const std::string& name) {
    const std::string trimmed = normalisedProfileName(name);
    if (auto problem = nameProblem(trimmed)) throw ProfileStoreError(Kind::invalidName, *problem);
    if (hasControlCharacters(trimmed))
        throw ProfileStoreError(Kind::invalidName, "Profile name must not contain control characters");
}

ProfileStore::Listing ProfileStore::scan() const {
    // Regular files only (a link to one counts): a FIFO, a socket, a device
    // or a folder named "X.json" is no profile, and opening a FIFO would wait
    // for a writer. stat() looks at the entry without opening it. Hidden
    // entries (a leading dot) are left out because QDir::Hidden is not asked
    // for.
    const QDir dir(qstr(directory_));
    const QStringList entries =
        dir.entryList(QDir::Dirs | QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    const std::string suffix = kJsonSuffix;
    std::set<std::string> present;  // every "<x>.json" entry, of any kind
    std::vector<std::string> files;  // the regular files among them
    for (const QString& entry : entries) {
        const std::string file = entry.toStdString();
        if (file.size() <= suffix.size() || file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        present.insert(file);
        if (QFileInfo(dir.filePath(entry)).isFile()) files.push_back(file);  // stat only: a FIFO is never opened
    }
    std::sort(files.begin(), files.end());  // UTF-8 bytes: code point order

    // A file named exactly after its profile is that profile. Any other
    // file is the profile its name trims to when nothing is at that name's
    // own file and no earlier file took it; otherwise no name reaches it.
    std::map<std::string, std::string> owners;  // name -> file
    std::vector<std::string> strays;
    for (const std::string& file : files) {
        const std::string stem = file.substr(0, file.size() - suffix.size());
        if (normalisedProfileName(stem) == stem && !nameProblem(stem)) owners.emplace(stem, file);
        else strays.push_back(file);
    }
    Listing listing;
    for (const std::string& file : strays) {
        const std::string name = normalisedProfileName(file.substr(0, file.size() - suffix.size()));
        if (nameProblem(name) || present.count(name + suffix) || !owners.emplace(name, file).second)
            listing.unlisted.push_back(file);
    }
    for (auto& [name, file] : owners) listing.profiles.push_back({name, std::move(file)});
    return listing;
}

std::vector<std::string> ProfileStore::list() const {
    std::vector<std::string> names;
    for (auto& profile : scan().profiles) names.push_back(std::move(profile.name));
    return names;
}

bool ProfileStore::contains(const std::string& name) const { return entryExists(qstr(url(name))); }

namespace {

// Opened without blocking and only when it is a regular file (a FIFO put in
// the folder never holds up the caller), and read up to the limit.
QByteArray readProfile(const std::string& file, const std::string& name) {
    const QString path = qstr(file);
    if (!entryExists(path)) throw ProfileStoreError(ProfileStoreError::Kind::notFound, name);
    platform::PeerFile read = platform::readPeerFile(path, ProfileStore::kMaxFileBytes);
    if (!read.bytes) throw ProfileStoreError(ProfileStoreError::Kind::io, read.error);
    return std::move(*read.bytes);
}

std::string_view view(const QByteArray& bytes) {
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

std::optional<SlotIcon> ProfileStore::loadIcon(const std::string& name) const {
    const QByteArray bytes = readProfile(url(name), name);
    json::Json icon;
    try {
        icon = json::parseMember(view(bytes), "profileIcon");
    } catch (const json::DecodingError& error) {
        throw ProfileStoreError(Kind::io, error.detailed());
    }
    if (icon.is_null()) return std::nullopt;
    return json::attempt([&] { return SlotIcon::fromJson(json::Node(icon)); });
}

AppConfig ProfileStore::load(const std::string& name) const {
    const QByteArray bytes = readProfile(url(name), name);
    try {
        const json::Json document = json::parse(view(bytes));
        return AppConfig::fromJson(json::Node(document));
    } catch (const ProfileStoreError&) {
        throw;
    } catch (const json::DecodingError& error) {
        throw ProfileStoreError(Kind::io, error.detailed());
    } catch (const std::exception& error) {
        throw ProfileStoreError(Kind::io, error.what());
    }
}

void ProfileStore::save(const AppConfig& config, const std::string& name) const {
    const std::string file = url(name);
    if (!entryExists(qstr(file))) {
        checkNewName(name);
        if (list().size() >= static_cast<std::size_t>(kLimit)) throw ProfileStoreError(Kind::atCap);
    }
    ensureDirectory();

    std::string bytes;
    try {
        bytes = config.encodeDocument();
    } catch (const std::exception& error) {
        throw ProfileStoreError(Kind::io, error.what());
    }

    // Written beside the target and renamed over it only once complete, so
    // a crash or a full disk never leaves a truncated profile behind.
    if (auto failure = writeFileAtomically(file, bytes)) throw ProfileStoreError(Kind::io, *failure);
}

void ProfileStore::removeStaleTemporaries() const { orbel::removeStaleTemporaries(directory_); }

void ProfileStore::remove(const std::string& name) const {
    const QString path = qstr(url(name));
    if (!entryExists(path)) throw ProfileStoreError(Kind::notFound, name);
    QFile file(path);
    if (!file.remove()) throw ProfileStoreError(Kind::io, file.errorString().toStdString());
}

void ProfileStore::duplicate(const std::string& source, const std::string& destination) const {
    const AppConfig config = load(source);
    if (entryExists(qstr(url(destination)))) throw ProfileStoreError(Kind::alreadyExists, destination);
    if (list().size() >= static_cast<std::size_t>(kLimit)) throw ProfileStoreError(Kind::atCap);
    save(config, destination);
}

void ProfileStore::ensureDirectory() const {
    const std::filesystem::path dir(directory_);
    std::error_code error;
    // Something already at the path (even a file) is left alone; the write
    // that follows reports the failure then.
    if (std::filesystem::symlink_status(dir, error).type() != std::filesystem::file_type::not_found && !error) return;
    error.clear();
    std::filesystem::create_directories(dir, error);
    if (error) throw ProfileStoreError(Kind::io, error.message());
}

std::optional<ProfileStore::ReplaceFailure> ProfileStore::replaceAll(
    const std::map<std::string, AppConfig>& profiles) const {
    namespace fs = std::filesystem;
    using Step = ReplaceFailure::Step;
    const fs::path dir(directory_);
    const std::string tag = Uuid::random().toString();
    // Hidden, so that list() never shows them, even after a crash.
    const fs::path staging = dir / (".restore-" + tag);
    const fs::path aside = dir / (".replaced-" + tag);
    std::error_code ignored;
    auto cleanUp = [&] {
        fs::remove_all(staging, ignored);
        fs::remove_all(aside, ignored);
    };
    auto moveAll = [&](const std::vector<std::string>& files, const fs::path& from, const fs::path& to) {
        for (const auto& file : files) fs::rename(from / file, to / file, ignored);
    };

    const ProfileStore staged(staging.string());
    for (const auto& [name, config] : profiles) {
        try {
            staged.save(config, name);
        } catch (const ProfileStoreError& error) {
            cleanUp();
            return ReplaceFailure{Step::writing, name, error.what()};
        }
    }

    // The listed profiles go; files no name reaches stay where they are.
    std::vector<std::string> movedAside;
    const auto old = scan().profiles;
    if (!old.empty()) fs::create_directory(aside, ignored);
    for (const auto& [name, file] : old) {
        std::error_code error;
        fs::rename(dir / file, aside / file, error);
        if (error) {
            moveAll(movedAside, aside, dir);
            cleanUp();
            return ReplaceFailure{Step::removing, name, error.message()};
        }
        movedAside.push_back(file);
    }

    std::vector<std::string> movedIn;
    for (const auto& [name, config] : profiles) {
        const std::string file = fs::path(staged.url(name)).filename().string();
        std::error_code error;
        fs::rename(staging / file, dir / file, error);
        if (error) {
            for (const auto& done : movedIn) fs::remove(dir / done, ignored);
            moveAll(movedAside, aside, dir);
            cleanUp();
            return ReplaceFailure{Step::writing, name, error.message()};
        }
        movedIn.push_back(file);
    }
    cleanUp();
    return std::nullopt;
}

}  // namespace orbel
