#include "config/profile_list.h"

#include <QDir>
#include <QFileInfo>

#include "platform/peer_file.h"

namespace orbel {

ProfileList::ProfileList(ProfileStore store, QObject* parent) : QObject(parent), store_(std::move(store)) {
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &ProfileList::invalidate);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &ProfileList::invalidate);
    watch();
    readInBackground();
}

ProfileList::~ProfileList() = default;

ProfileList::Entries ProfileList::read(const ProfileStore& store) {
    std::vector<std::string> names = store.list();
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
    return out;
}

std::shared_ptr<const ProfileList::Entries> ProfileList::entries() {
    if (!entries_ || entriesGeneration_ != generation_) {
        // Asked for before the reading of the latest change came back.
        ++*readings_;
        entries_ = std::make_shared<const Entries>(read(store_));
        entriesGeneration_ = generation_;
    }
    return entries_;
}

void ProfileList::invalidate() {
    ++generation_;
    watch();  // a file replaced by renaming is watched afresh, a new folder at all
    readInBackground();
}

void ProfileList::readInBackground() {
    // One reading at a time; a change during it is read when it ends.
    if (inFlight_) return;
    inFlight_ = true;
    platform::readOffGuiThread<std::shared_ptr<const Entries>>(
        this,
        [store = store_, readings = readings_] {
            ++*readings;
            return std::make_shared<const Entries>(read(store));
        },
        [this, generation = generation_](std::shared_ptr<const Entries> entries) {
            delivered(generation, std::move(entries));
        });
}

void ProfileList::delivered(std::uint64_t generation, std::shared_ptr<const Entries> entries) {
    inFlight_ = false;
    // A reading made on the GUI thread for a later change is kept.
    if (generation > entriesGeneration_) {
        entries_ = std::move(entries);
        entriesGeneration_ = generation;
    }
    if (generation != generation_) readInBackground();
}

void ProfileList::watch() {
    const QString folder = QString::fromStdString(store_.directory());
    QStringList wanted;
    if (QFileInfo(folder).isDir()) {
        wanted << folder;
        for (const QString& file : QDir(folder).entryList({QStringLiteral("*.json")}, QDir::Files))
            wanted << QDir(folder).filePath(file);
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
