#pragma once

// The installed applications of this session, read from the desktop
// entries of the XDG application folders (followed as they change), the
// default choices of mimeapps.list, the default terminal, and the stand-ins
// for the stock dial's foreign identifiers. The index reads only the keys
// it keeps, so it stays small with hundreds of applications installed.

#include <QString>
#include <QStringList>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/app_counterparts.h"
#include "platform/lookup.h"

namespace orbel::platform::xdg {

// One launchable desktop entry.
struct AppRecord {
    QString id;              // desktop-entry id, without ".desktop"
    QString location;        // absolute path of the .desktop file
    QString name;            // localised Name
    QString icon;            // the Icon value as written: a theme name or a path; may be empty
    QString startupWMClass;  // StartupWMClass
    QString program;         // the program the Exec line runs, without folder; "env VAR=x prog" runs prog
    QStringList categories;
    QStringList mimeTypes;   // MimeType
    bool listed = false;     // shown in application menus (not NoDisplay)

    bool operator==(const AppRecord&) const = default;
};

using platform::AppRole;

// The role a foreign identifier of the stock dial stands for
// ("com.apple.Safari" is the browser, ...); nothing for any other text.
std::optional<AppRole> roleForIdentifier(const QString& bundleId);

// Answers are cached until a change in the application or configuration
// folders is heard (on the GUI thread's event loop); the
// list of every entry is then read again on a pool thread while readers
// keep the one they have, and the identifiers of the identifier table
// (platform/app_counterparts.h) are resolved there too, so the GUI thread
// finds them answered. Safe from any thread.
class AppIndex {
public:
    static AppIndex& shared();

    // Every launchable entry, NoDisplay ones too: the folders in order of
    // precedence, each by id. The GUI thread is answered at once with the
    // list read last (none before the first reading ends); other threads
    // wait for the first reading.
    std::shared_ptr<const std::vector<AppRecord>> all();
    // The entry with this id; for the stock dial's foreign identifiers the
    // entry standing for their role on this desktop. None when none is
    // installed; on the GUI thread, not known yet until ready(): the GUI
    // thread never reads an entry or a list itself.
    platform::Lookup<AppRecord> resolve(const QString& bundleId);
    // Whether the first reading has ended (the list read and the stock
    // dial's identifiers resolved).
    bool ready();
    // Runs `done` queued on the GUI thread once ready(), at once (still
    // queued) when it already is.
    void whenReady(std::function<void()> done);
    // Grows each time the cached answers are dropped.
    std::uint64_t generation();
    // Whether every change heard so far has been read: the first reading
    // has ended, and no notice of a change waits to be read or let settle,
    // nor does a reading it started. GUI thread only.
    bool settled();

    // Starts the entry at `location` without waiting (field codes expanded,
    // D-Bus activation and startup notification when the entry asks for
    // them); false when it cannot be started.
    static bool launch(const QString& location);

    AppIndex(const AppIndex&) = delete;
    AppIndex& operator=(const AppIndex&) = delete;

private:
    AppIndex();
    void invalidate();
    // Every entry, and the subfolders of the application folders it read.
    static std::shared_ptr<const std::vector<AppRecord>> readAll(QStringList* subfolders = nullptr);
    void rebuildInBackground();
    void readInBackground();  // with rebuilding_ set
    std::optional<AppRecord> lookUp(const QString& bundleId);
    std::map<QString, std::optional<AppRecord>> resolveTable();
    std::optional<AppRecord> byId(const QString& id);
    std::optional<AppRecord> forRole(AppRole role);
    std::optional<AppRecord> terminal();
    std::optional<AppRecord> defaultFor(std::initializer_list<const char*> types);
    void watch(const QStringList& subfolders);

    std::mutex mutex_;
    std::uint64_t generation_ = 1;
    std::shared_ptr<const std::vector<AppRecord>> all_;
    bool reading_ = false;               // the list is being read on the pool
    std::condition_variable listRead_;  // told when it has been
    bool rebuilding_ = false;
    bool rebuildAgain_ = false;
    std::map<QString, std::optional<AppRecord>> resolved_;
    bool ready_ = false;
    int watchesDue_ = 0;  // readings' subfolders not yet watched (queued on the GUI thread)
    std::vector<std::function<void()>> whenReady_;  // until ready_
    struct Watcher;
    Watcher* watcher_ = nullptr;  // GUI thread only
};

}  // namespace orbel::platform::xdg
