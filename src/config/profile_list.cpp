#include "config/profile_list.h"

#include <QFileInfo>
#include <sys/stat.h>

#include "platform/peer_file.h"

namespace orbel {

ProfileList::ProfileList(ProfileStore store, QObject* parent) : QObject(parent), store_(std::move(store)) {
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &ProfileList::invalidate);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &ProfileList::invalidate);
    watch({});
    readInBackground();
}

ProfileList::~ProfileList() = default;

ProfileList::Stamp ProfileList::stampOf(const std::string& folder) {
    struct stat info{};
    if (::stat(folder.c_str(), &info) != 0) return std::nullopt;
    return std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
}

ProfileList::Reading ProfileList::read(const ProfileStore& store) {
    Reading reading{stampOf(store.directory()), nullptr, {}};
    std::vector<std::string> names;
    for (const auto& profile : store.scan().profiles) {
        reading.files << QString::fromStdString(store.directory() + "/" + profile.file);
        names.push_back(profile.name);
    }
    if (names.size() > static_cast<std::size_t>(ProfileStore::kLimit)) names.resize(ProfileStore::kLimit);
    Entries out;
    for (const std::string& name : names) {
        Entry entry{name, SlotIcon::automatic()};
        try {
            entry.icon = store.loadIcon(name).value_or(SlotIcon::automatic());
        } catch (const std::exception&) {
            // An unreadable profile still gets its wedge.
        }
        out.push_back(std::move(entry));
    }
    reading.entries = std::make_shared<const Entries>(std::move(out));
    return reading;
}

std::shared_ptr<const ProfileList::Entries> ProfileList::entries() {
    if (!entries_.entries || entriesGeneration_ != generation_ || stampOf(store_.directory()) != entries_.stamp) {
        // Asked for before the reading of the latest change came back.
        ++*readings_;
        entries_ = read(store_);
        entriesGeneration_ = generation_;
        watch(entries_.files);
    }
    return entries_.entries;
}

void ProfileList::invalidate() {
    ++generation_;
    readInBackground();  // which watches what it found: a file replaced by renaming afresh, a new folder at all
}

void ProfileList::readInBackground() {
    // One reading at a time; a change during it is read when it ends.
    if (inFlight_) return;
    inFlight_ = true;
    platform::readOffGuiThread<Reading>(
        this,
        [store = store_, readings = readings_] {
            ++*readings;
            return read(store);
        },
        [this, generation = generation_](Reading reading) { delivered(generation, std::move(reading)); });
}

void ProfileList::delivered(std::uint64_t generation, Reading reading) {
    inFlight_ = false;
    // A reading made on the GUI thread for a later change is kept.
    if (generation > entriesGeneration_) {
        entries_ = std::move(reading);
        entriesGeneration_ = generation;
        watch(entries_.files);
    }
    if (generation != generation_) readInBackground();
}

void ProfileList::watch(const QStringList& files) {
    const QString folder = QString::fromStdString(store_.directory());
    QStringList wanted;
    if (QFileInfo(folder).isDir()) {
        wanted << folder << files;
    } else {
        wanted << QFileInfo(folder).absolutePath();  // where it will be made
    }
    QStringList watched = watcher_.directories() + watcher_.files();
    QStringList gone;
    for (const QString& path : watched)
        if (!wanted.contains(path)) gone << path;
    if (!gone.isEmpty()) watcher_.removePaths(gone);
    QStringList added;
    for (const QString& path : wanted)
        if (!watched.contains(path)) added << path;
    if (!added.isEmpty()) watcher_.addPaths(added);
}

}  // namespace orbel
