#pragma once

// The profiles the dial's profile list shows: each name with its icon. They
// are read on a reader thread at the start and again whenever the profiles
// folder changes (a file added, removed, replaced or edited in place, as
// the folder's watcher reports, or a write ConfigManager made itself), so
// that opening the list reads no file, only the folder's time of change
// (a file added, removed or renamed there since the last reading whose
// report has not arrived yet). Only when the list is asked for before the
// reading of the latest change has come back is it read there and then,
// once for that change.
//
// GUI thread only; the readings run elsewhere and come back queued.

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/profile_store.h"
#include "model/slot_icon.h"

namespace orbel {

class ProfileList : public QObject {
    Q_OBJECT

public:
    struct Entry {
        std::string name;
        SlotIcon icon;  // automatic when the profile has none or cannot be read
        bool operator==(const Entry&) const = default;
    };
    using Entries = std::vector<Entry>;

    // Starts the first reading.
    explicit ProfileList(ProfileStore store, QObject* parent = nullptr);
    ~ProfileList() override;

    // The profiles in the store's order, at most ProfileStore::kLimit.
    std::shared_ptr<const Entries> entries();
    // The folder changed: the next answer is read again.
    void invalidate();

    // How many times the folder has been read, on any thread.
    std::uint64_t readings() const { return readings_->load(); }
    // Whether a reading is under way.
    bool reading() const { return inFlight_; }

private:
    // When the folder's list of files last changed; nothing when there is no folder.
    using Stamp = std::optional<std::int64_t>;
    struct Reading {
        Stamp stamp;  // taken before the files are read
        std::shared_ptr<const Entries> entries;
        QStringList files;  // every profile file there, to be watched
    };
    static Stamp stampOf(const std::string& folder);
    static Reading read(const ProfileStore& store);
    void readInBackground();
    void delivered(std::uint64_t generation, Reading reading);
    // Watches the folder and each profile file in it; the configuration
    // folder while the profiles folder does not exist yet.
    void watch(const QStringList& files);

    ProfileStore store_;
    QFileSystemWatcher watcher_;
    std::uint64_t generation_ = 1;  // grows with each change
    Reading entries_;
    std::uint64_t entriesGeneration_ = 0;  // the change entries_ was read after
    bool inFlight_ = false;
    std::shared_ptr<std::atomic<std::uint64_t>> readings_ = std::make_shared<std::atomic<std::uint64_t>>(0);
};

}  // namespace orbel
