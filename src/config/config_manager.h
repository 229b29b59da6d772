#pragma once

// Owner of the one live configuration: loads config.json (falling back to the
// built-in defaults and keeping a dated copy of a rejected file), validates,
// publishes every change, and is the one writer of config.json and of the
// profile files. Every write goes through one validated path (commit()):
// an outside edit of config.json is taken in first, the write happens before
// anything is published, and a failed write is returned to the caller. The
// files are a few kilobytes in the user's own folder and are written on the
// interface thread, because the caller must learn whether they were saved.
// A config.json another program changed moments ago may still be being
// written (in place, in pieces): it is judged, and replaced, only once it
// has been left alone for a while, or once the wait has lasted its longest
// (kLongestWaitSeconds), whatever the file does. Meanwhile a reading that
// fails waits (nothing is kept, told or written), and a change is published
// at once and saved then, once, applied to what the file holds by then: the
// configuration it was made on when the file holds the same bytes, the
// other program's save when they changed; a timer waits, never the caller.
// Only a change of bytes is an outside save: times or mode alone are not.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/atomic_file.h"
#include "config/config_error.h"
#include "config/profile_store.h"
#include "model/app_config.h"
#include "platform/key_value_store.h"
#include "platform/shared_instance.h"
#include "platform/timers.h"

namespace orbel {

class ProfileList;

class ConfigManager : public QObject, public platform::Shared<ConfigManager> {
    Q_OBJECT

public:
    static constexpr const char* kActiveProfileKey = "orbel.activeProfile";
    static constexpr const char* kDefaultProfileName = "Default";
    static constexpr int kSlotsPerLevel = 6;

    // Without arguments: config.json in the configuration folder and the
    // default profile store. The active profile's name is kept in the shared
    // key-value store. Creates the folder and loads the file.
    explicit ConfigManager(std::optional<std::string> configPath = std::nullopt,
                           std::optional<ProfileStore> profileStore = std::nullopt, QObject* parent = nullptr);
    ~ConfigManager() override;

    // A weak reference for those that must not keep the manager alive.
    static ConfigManager* current();
    static void setCurrent(ConfigManager* manager);

    const AppConfig& config() const { return config_; }
    // Publishes a configuration without writing it (tests set a scene with
    // it); screens use change().
    void setConfig(AppConfig config);
    // The one way a screen changes the configuration: when config.json
    // changed on disk since it was last read or written, the outside version
    // is taken in first (as load() does); then `edit` runs on a copy, the copy
    // is validated, written (config.json and the active profile's file), and
    // only then published, once. On a validation error or a failed write
    // nothing changes and the error comes back for the screen to show
    // (ConfigError::notSaved with the system's reason for a failed write). An
    // edit that changes nothing writes nothing. While another program is
    // still writing config.json the edit is published at once and runs on
    // what the file holds once it is quiet (or the wait has lasted its
    // longest), after this call has returned: it owns what it uses
    // (captures by value), and it may run on copies meanwhile to show the
    // changes still waiting on a configuration read again; a failure then is
    // told by saveRefused().
    std::optional<ConfigError> change(std::function<void(AppConfig&)> edit);

    const std::string& configPath() const { return configPath_; }
    // For reading profiles; they are written through this manager only.
    const ProfileStore& profileStore() const { return profileStore_; }
    // The profiles with their icons as the dial lists them, kept up to date
    // off the GUI thread (made, and first read, on first use).
    ProfileList& profileList();
    std::optional<std::string> activeProfile() const;
    // No profile active any more (a replace restore starts with this).
    void clearActiveProfile();

    void ensureConfigDirectory() const;
    // Reads config.json. A file that cannot be used as written is kept
    // beside it (see LoadNotice); while the defaults stand in for it, the
    // active profile's stored copy is used instead when it can be, or else
    // no profile stays active (so that no profile is written from the
    // defaults). False when the file is still being written by another
    // program: it is read once it is quiet, and settled() follows.
    bool load();
    // Writes what is published through the same path as change().
    std::optional<ConfigError> save();
    // Every write is made before the call that asks for it returns; nothing
    // is ever pending. Kept for callers that want to say they wait.
    void flushSaves() const {}
    // config.json is being written by another program: a reading or changes
    // wait until it is quiet (settled() then).
    bool waitingForQuiet() const { return settling_.has_value(); }
    // The longest a reading or a change waits for config.json to be quiet,
    // from the first wait: then what is there is judged, and the changes
    // are written through the guarded exchange all the same.
    static constexpr double kLongestWaitSeconds = 5;
    // Ends a wait at once (quitting): a change still waiting is written as
    // when the wait has lasted its longest; a reading alone is dropped.
    void finishWaiting();

    std::vector<ConfigError> validate(const std::optional<AppConfig>& config = std::nullopt) const;
    static std::vector<ConfigError> validateSlots(const std::vector<SlotConfig>& slots);
    static MenuGroup normaliseGroup(const MenuGroup& group);
    // The root group and every per-app menu cut to six slots per level.
    static AppConfig normalise(const AppConfig& config);

    // Edits of the root group, through change(); out-of-range indices and a
    // full root group change nothing.
    std::optional<ConfigError> addSlot(const SlotConfig& slot, std::optional<int> index = std::nullopt);
    std::optional<ConfigError> updateSlot(int index, const SlotConfig& slot);
    std::optional<ConfigError> swapSlots(int a, int b);
    std::optional<ConfigError> setAppMenu(const std::optional<MenuGroup>& group, const std::string& bundleId);
    // Replaces the configuration (cut to six slots per level), validated and
    // written like a change.
    std::optional<ConfigError> applyConfig(const AppConfig& config);

    // Profiles. These throw ProfileStoreError (and ProfileMutationError), and
    // ConfigError when a configuration fails validation or cannot be written.
    // A name is the profile it normalises to (normalisedProfileName): "Work "
    // switches to, and is kept active as, "Work".
    // A profile with a level of more than six slots is published cut and
    // rewritten cut once its file is kept beside it (a notice says so); when
    // no copy can be kept, the file is left as it is.
    void switchToProfile(const std::string& name);
    // The switch the dial's profile slots and the Profiles tab make. While no
    // profile is active the live configuration may be stored nowhere but
    // config.json, which the switch overwrites: unless a profile holds it
    // already, it is first stored as "Default" (or the first free "Default 2",
    // "Default 3", ... when "Default" holds something else), so that nothing
    // is lost; when it cannot be stored (six profiles exist) the switch does
    // not happen. A profile that cannot be loaded changes nothing.
    void switchToProfileKeepingLive(const std::string& name);
    void ensureDefaultProfile();
    void deleteProfile(const std::string& name);
    void setProfileIcon(const std::string& name, const std::optional<SlotIcon>& icon);
    // Stores a configuration as a profile that is not live, validated first.
    void storeProfile(const AppConfig& config, const std::string& name);
    // Copies a stored profile under a new name (ProfileStore's rules).
    void duplicateProfile(const std::string& source, const std::string& destination);
    // Replaces every stored profile, all or nothing (ProfileStore::replaceAll);
    // a profile that fails validation is refused before anything is written.
    std::optional<ProfileStore::ReplaceFailure> replaceProfiles(const std::map<std::string, AppConfig>& profiles);

    // The name a rejected configuration file is kept under: the file's name,
    // ".backup." and the seconds since 1970 as the shortest decimal that
    // reads back as the same number, as in config.json.backup.1700000000.5. When
    // that name is taken, `attempt` 2 names the next later time that has a
    // name of its own ("...1700000000.5000002"), and so on up to the limit.
    static constexpr int kRejectedCopyNames = 10;
    static std::string rejectedCopyPath(const std::string& configPath, double secondsSince1970, int attempt = 1);

    // What the last load had to do to a file it could not use as written,
    // for the application to tell the user: why, and where the original was
    // kept. Nothing after a clean load.
    struct LoadNotice {
        enum class Kind {
            unreadable,  // the file could not be read; the defaults are in use
            rejected,    // it did not decode, or failed validation; the defaults are in use
            cut,         // a dial level held more than six slots; the first six are in use
            missing,     // there was no file (not told at a first start); the defaults are in use
            keptAside,   // another program's save could not be put (back) in place, or an unfinished save left
                         // a file that may hold one: `reason` says what is where
        };
        Kind kind = Kind::rejected;
        // The decoding error with its coding path, the validation errors,
        // the system's reason, or the levels that were cut.
        std::string reason;
        // The copy of the original file; nothing when none could be made
        // (a file that is not used was then left as it was).
        std::optional<std::string> keptAt;
        // The file concerned: config.json, or a profile switched to.
        std::string file;
        // The active profile whose stored copy stands in for config.json
        // instead of the defaults.
        std::optional<std::string> profileInUse = std::nullopt;
        bool operator==(const LoadNotice&) const = default;
    };
    const std::optional<LoadNotice>& loadNotice() const { return loadNotice_; }
    // The next notice waiting, if any, then follows (loadNoticeChanged()).
    void clearLoadNotice();

    // "the main dial (8 slots)", "the group \"Apps\" (7 slots)", ...: each
    // level of the configuration that holds more than six slots.
    static std::vector<std::string> overfullLevels(const AppConfig& config);

    // Counts the times the configuration was replaced under the screens (a
    // load or Reload, a profile switch, a restore, an outside edit taken in).
    // A sheet or tab keeps the value it opened with and never saves a draft
    // made before a replacement.
    std::uint64_t generation() const { return generation_; }

    // Tests: runs each time a new config.json is on disk, right before it
    // takes the old one's place: where another program's save can land.
    void setBeforeReplaceHookForTests(std::function<void()> hook) { beforeReplaceHook_ = std::move(hook); }
    // Tests: stands in for renameat2(2) in the writes of config.json.
    void setRenameForTests(RenameCall rename) { renameForTests_ = std::move(rename); }

Q_SIGNALS:
    void configWillChange();
    void configChanged();
    // After configChanged(), when the change replaced the configuration
    // rather than applied a screen's edit (see generation()).
    void configReplaced();
    // A load left a notice (see loadNotice()).
    void loadNoticeChanged();
    // Nothing waits for config.json to be quiet any more.
    void settled();
    // A change published while config.json was being written could not be
    // saved once it was quiet; the configuration is then what is on disk.
    void saveRefused(const ConfigError& error);

private:
    friend platform::Shared<ConfigManager>;
    // The application's manager, made on first use.
    static ConfigManager& makeShared();

    // config.json could not be used and no copy of it could be kept: its
    // bytes (nothing when it could not even be read).
    struct Unused {
        std::optional<QByteArray> bytes;
    };
    // What config.json holds, as load() takes it in.
    struct Reading {
        AppConfig config;
        std::optional<LoadNotice> notice;
        enum class Write { nothing, config, configAndProfile } write = Write::nothing;
        bool clearActive = false;
        std::optional<std::string> profileInUse;
        std::optional<QByteArray> bytes;  // what the file held; nothing when there was none
        std::optional<FileStamp> stamp;   // the file's, taken before its bytes were read
        std::optional<Unused> unused;
        // The file did not read, or needs rewriting, and another program may
        // still be writing it: judged again once it is quiet.
        bool unsettled = false;
        bool firstLoad = false;
    };
    Reading read(bool firstLoad);
    void standIn(Reading& reading);
    void take(Reading reading);
    // Whether config.json is no longer what was last read or written. A
    // missing file is no outside edit: there is nothing in it to lose. The
    // file is read only when its stamp cannot tell, and never beyond the
    // size last read or written.
    bool editedOutside();
    // Whether the file at `path` holds other bytes than those last read or
    // written (a missing file holds nothing to lose).
    bool differsFromKnown(const std::string& path) const;

    // The one path of every write of the live configuration. `edit` returns
    // false when there is nothing to change.
    struct Commit {
        Commit(std::function<bool(AppConfig&)> e, bool r = false, std::optional<std::string> a = std::nullopt,
               bool w = false)
            : edit(std::move(e)), replaces(r), activate(std::move(a)), writeActivated(w) {}
        std::function<bool(AppConfig&)> edit;
        bool replaces;                        // publish as a replacement
        std::optional<std::string> activate;  // the profile that becomes active
        bool writeActivated;                  // and whether its file is rewritten
    };
    std::optional<ConfigError> commit(const Commit& step);
    // One try of commit(); `editedMeanwhile` when another program saved
    // config.json while the new one was written (nothing is written or
    // published then).
    std::optional<ConfigError> commitOnce(const Commit& step, bool& editedMeanwhile);

    // Waiting for config.json to be quiet: a reading to make again, and the
    // changes made meanwhile, in order. What is published meanwhile is
    // `onto` with the waiting changes applied (on copies).
    struct Settling {
        bool reread = false;
        bool firstLoad = false;
        std::vector<Commit> pending;
        // The configuration the waiting changes were made on, as the file
        // held it (known_): they are saved onto it when the file still
        // holds those bytes.
        std::optional<AppConfig> onto;
        double since = 0;    // when the wait began, by the Clock
        bool hurry = false;  // ended at once (quitting)
        platform::Timers::Id timer = 0;
    };
    std::optional<Settling> settling_;
    // The wait, begun now when none was.
    Settling& waiting();
    // The waiting changes are being saved: what they publish is held until
    // all are (the screens see one change), a change made meanwhile joins
    // the queue, and `saving_` is the one being saved.
    bool running_ = false;
    const Commit* saving_ = nullptr;
    bool requeued_ = false;  // the one being saved waits again
    // Whether config.json changed moments ago (by its times), and not by
    // the last read or write.
    bool changing() const;
    // Whether the wait has lasted its longest: the file is judged as it is.
    bool overdue() const;
    // `config` with the waiting changes applied, as they are shown.
    AppConfig withWaiting(AppConfig config) const;
    // Publishes the step at once and saves it once config.json is quiet.
    std::optional<ConfigError> defer(const Commit& step);
    void settleWhenQuiet();
    // Once config.json is quiet (or the wait is overdue): reads it again if
    // a reading waits, then saves the changes made meanwhile, onto what the
    // file holds.
    void settle();
    // Whether nothing waits any more (settling now, when the file is quiet).
    bool settleNow();
    // Writes config.json, then the profile's file; on a failure of the
    // latter config.json gets its previous bytes back. The failure's text.
    // The old config.json, as the new one takes its place, is compared with
    // what was last seen: when it changed, it stays (nothing is written) and
    // `editedMeanwhile` says so.
    std::optional<std::string> write(const AppConfig& config, const std::optional<std::string>& profile,
                                     bool* editedMeanwhile = nullptr);
    // A file that could not be used and of which no copy exists is never
    // overwritten: another copy is tried first.
    std::optional<ConfigError> keepUnusedFile();
    // Keeps a rejected file beside it before anything may overwrite it.
    // Returns where, or nothing when no copy could be made.
    static std::optional<std::string> keepCopy(const std::string& path, const QByteArray& bytes);
    std::optional<std::string> keepRejectedCopy(const QByteArray& bytes) const { return keepCopy(configPath_, bytes); }
    std::optional<std::string> moveAsideUnreadable() const;
    void notice(LoadNotice notice);
    void notice(LoadNotice::Kind kind, std::string reason, std::optional<std::string> keptAt) {
        notice(LoadNotice{kind, std::move(reason), std::move(keptAt), configPath_, std::nullopt});
    }

    // Publishes a configuration that replaces the one the screens edit.
    void replaceConfig(AppConfig config);

    AppConfig config_;
    std::uint64_t generation_ = 0;
    std::string configPath_;
    ProfileStore profileStore_;
    std::unique_ptr<ProfileList> profileList_;
    // Each write of a profile file tells the list at once, ahead of the
    // folder's watcher.
    void profilesWritten();
    std::optional<LoadNotice> loadNotice_;
    // Notices of the start that wait for the one shown (loadNotice_).
    std::vector<LoadNotice> laterNotices_;
    // Files that interrupted saves of config.json left aside and that may
    // hold another program's save: told at the start.
    void tellLeftAside(const std::vector<std::string>& files);
    // The bytes of config.json as last read or written; nothing when there
    // was no file.
    std::optional<QByteArray> known_;
    // The file's stamp when known_ was read or written.
    std::optional<FileStamp> knownStamp_;
    // config.json was read again (Reload) and the active profile's file has
    // not received it since.
    bool reloadedUnmirrored_ = false;
    std::optional<Unused> unused_;
    std::function<void()> beforeReplaceHook_;
    RenameCall renameForTests_;
};

}  // namespace orbel
