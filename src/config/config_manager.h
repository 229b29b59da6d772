#pragma once

// Owner of the one live configuration: loads config.json (falling back to the
// built-in defaults and keeping a dated copy of a rejected file), validates,
// publishes every change, and is the one writer of config.json and of the
// profile files. This is the configuration side; ConfigFile is the file side
// (what the file holds, the wait for it to be quiet, the exchange, what is
// kept aside).
// Every change takes one path (commit()): the edit runs once, on what is
// published; the result is validated, saved once onto what config.json
// holds, and only then published (at once, and saved later, while another
// program is still writing the file). What config.json holds is another
// program's save only when its bytes changed: the change is then carried onto
// that save by what the user acted on (config_merge.h), or told as not saved.
// A file Orbel cannot use never turns a running dial into the defaults: it is
// kept aside and told, and the change is saved onto what Orbel runs with;
// only a start and Reload fall back to the defaults. The files are a few
// kilobytes in the user's own folder and are written on the interface
// thread, because the caller must learn whether they were saved; a timer
// waits, never the caller.

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
#include "config/config_file.h"
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
    // The one way a screen changes the configuration: `edit` runs once, on a
    // copy of what is published (what the user sees); the result is
    // validated, saved (config.json and the active profile's file) and only
    // then published, once. When another program saved config.json since it
    // was last read or written, the change is carried onto that save by what
    // the user acted on (config_merge.h), or refused when it no longer means
    // what the user saw; a config.json Orbel cannot use is kept aside and
    // told, and the change saved onto what is published. On a validation
    // error or a failed or refused save nothing changes and the error comes
    // back for the screen to show (ConfigError::notSaved). An edit that
    // changes nothing writes nothing. While another program is still writing
    // config.json the result is published at once and saved once the file is
    // quiet (or the wait has lasted its longest), after this call has
    // returned; a failure then is told by saveRefused().
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
    // program: it is read once it is quiet, and settled() follows. Changes
    // still waiting are carried onto what it reads, and saved then; when it
    // cannot be used they are told as not saved (saveRefused()).
    bool load();
    // Writes what is published through the same path as change().
    std::optional<ConfigError> save();
    // Every write is made before the call that asks for it returns; nothing
    // is ever pending. Kept for callers that want to say they wait.
    void flushSaves() const {}
    // config.json is being written by another program: a reading or changes
    // wait until it is quiet (settled() then).
    bool waitingForQuiet() const { return waiting_.has_value(); }
    // The longest a reading or a change waits for config.json to be quiet,
    // from the first wait: then what is there is judged, and the changes
    // are written through the guarded exchange all the same.
    static constexpr double kLongestWaitSeconds = ConfigFile::kLongestWaitSeconds;
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
    // A switch is all or nothing: the profile switched from receives what was
    // in force (another program's save it had not read included); one that
    // is not saved puts back both the dial and the active profile.
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
    // not happen. What config.json holds by then, when another program saved
    // it, goes into that profile with the switch. A profile that cannot be
    // loaded changes nothing.
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
            notSaved,    // a change was not saved while Orbel quit: `reason` says why
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
        // Found by a change, not a start: the configuration in use stayed,
        // and the change was saved onto it.
        bool keptInUse = false;
        bool operator==(const LoadNotice&) const = default;
    };
    // The notice to show now. Every notice is kept (also across a quit)
    // until the user has answered it; the next one waits until then.
    const std::optional<LoadNotice>& loadNotice() const { return loadNotice_; }
    // Which notice loadNotice() is, for the answer to name it.
    std::uint64_t loadNoticeId() const { return loadNoticeId_; }
    // The user answered the notice shown (only when it is `answered`, when
    // given): it is forgotten, and the next one waiting, if any, follows
    // (loadNoticeChanged()).
    void clearLoadNotice(std::optional<std::uint64_t> answered = std::nullopt);

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
    void setBeforeReplaceHookForTests(std::function<void()> hook) { file_.beforeReplaceHook = std::move(hook); }
    // Tests: stands in for renameat2(2) in the writes of config.json.
    void setRenameForTests(RenameCall rename) { file_.renameCall = std::move(rename); }

Q_SIGNALS:
    void configWillChange();
    void configChanged();
    // After configChanged(), when the change replaced the configuration
    // rather than applied a screen's edit (see generation()).
    void configReplaced();
    // A notice is to be shown (see loadNotice()).
    void loadNoticeChanged();
    // Nothing waits for config.json to be quiet any more.
    void settled();
    // A change published while config.json was being written could not be
    // saved once it was quiet; the configuration is then what is on disk (or
    // what was in force before the change, when nothing usable is there).
    // It is told by a notice too ("Setting Not Saved").
    void saveRefused(const ConfigError& error);

private:
    friend platform::Shared<ConfigManager>;
    // The application's manager, made on first use.
    static ConfigManager& makeShared();

    // MARK: reading

    // What config.json holds, judged (nothing is kept, written or told yet).
    struct Reading {
        enum class Verdict { usable, missing, unusable, beingWritten } verdict = Verdict::usable;
        ConfigFile::Look look;
        AppConfig config;               // usable: as it is used, cut to six slots per level
        std::vector<std::string> cut;   // usable: the levels that were cut
        LoadNotice::Kind kind = LoadNotice::Kind::rejected;  // unusable: unreadable or rejected
        std::string reason;
        // Unusable once the wait is over, and still changing: its writer may
        // still be writing into it, so it is kept by the exchange itself.
        bool stillWritten = false;
        // Unusable but a configuration all the same (it failed validation):
        // a start copies it and leaves it in place.
        bool leaveInPlace = false;
    };
    Reading read();
    // A start's or Reload's reading taken in: what cannot be used is kept
    // aside and told, and the defaults (or the active profile's copy) stand
    // in for it.
    void take(Reading reading, bool firstLoad);
    struct StandIn {
        AppConfig config;
        std::optional<std::string> profileInUse;
        bool clearActive = false;
    };
    StandIn standIn() const;
    // Keeps an unusable config.json before anything replaces it: a copy of
    // its bytes, the file itself moved aside, or, when its writer may still
    // be writing into it, under the name the exchange will move it to
    // (`keepTakenOutAs`). Where it is, or nothing.
    std::optional<std::string> keepUnusable(const Reading& reading, std::optional<std::string>& keepTakenOutAs);

    // MARK: changing

    // One edit of the configuration; it runs once, on what is published.
    struct Commit {
        Commit(std::function<bool(AppConfig&)> e, bool r = false, std::optional<std::string> a = std::nullopt,
               bool w = false, std::optional<std::string> s = std::nullopt)
            : edit(std::move(e)), replaces(r), activate(std::move(a)), writeActivated(w), storedLiveAs(std::move(s)) {}
        std::function<bool(AppConfig&)> edit;  // false: nothing to change
        bool replaces;                          // a replacement: published as one, and saved whole
        std::optional<std::string> activate;    // the profile that becomes active
        bool writeActivated;                    // and whether its file is rewritten
        // No profile was active: the one the live configuration was just
        // stored as, which receives what config.json holds with the switch.
        std::optional<std::string> storedLiveAs;
    };
    std::optional<ConfigError> commit(const Commit& step);

    // The user's changes not yet saved: the configuration they were made on
    // (what config.json held then) and how to save what is published now.
    struct Unsaved {
        AppConfig base;
        bool replaces = false;
        bool writeProfile = true;                 // the active profile's file receives it
        std::optional<std::string> activate;      // a profile switched to
        // The first switch among the changes: the profile that receives what
        // was in force then (`leaving`, the edits before the switch
        // included), and the profile active before it, put back when the
        // switch cannot be saved.
        bool switched = false;
        std::optional<std::string> switchedFrom;
        std::optional<AppConfig> leaving;
        std::optional<std::string> wasActive;
    };
    // What a save did to the files, to be published once it is over.
    struct Saved {
        std::optional<ConfigError> refused;
        bool mustWait = false;           // another program is still writing config.json
        std::optional<AppConfig> publish;
        bool replaced = false;           // another program's save, or a replacement, is in it
        std::vector<LoadNotice> told;
    };
    // Saves `mine` once, onto what config.json holds: as it is when it still
    // holds the bytes the changes were made on; carried onto another
    // program's save by what the user acted on; onto what Orbel runs with
    // when the file cannot be used (kept aside and told first).
    Saved saveOnto(const Unsaved& unsaved, const AppConfig& mine);
    // A config.json that could not be used, still in its place: the next
    // save keeps the file itself (its writer may still write into it), never
    // a copy followed by a removal.
    struct UnusableInPlace {
        std::optional<QByteArray> bytes;
        std::optional<std::string> copy;  // a copy of it told earlier
        LoadNotice notice;
        bool told = false;
    };
    std::optional<UnusableInPlace> unusableInPlace_;
    // After a save: where the unusable file is now (`keptAs`, when the save
    // took it out), told or told already.
    void keptUnusable(const UnusableInPlace& unusable, const std::optional<std::string>& keptAs, bool failed,
                      std::vector<LoadNotice>& told);
    LoadNotice replacedSaveNotice(const std::string& path) const;
    void finish(Saved saved);
    // Writes config.json, then the profile's file; when the latter fails
    // config.json gets its previous bytes back.
    ConfigFile::Saved write(const AppConfig& config, const std::optional<std::string>& profile,
                            const std::optional<std::string>& keepTakenOutAs = std::nullopt);
    std::optional<LoadNotice> keptAsideNotice(const ConfigFile::Saved& saved) const;
    LoadNotice keptWhileWrittenNotice(const std::vector<std::string>& paths) const;

    // MARK: waiting

    // A wait for config.json to be quiet: a reading to make again, changes
    // to save.
    struct Waiting {
        bool reread = false;  // a start or Reload reads the file again
        bool firstLoad = false;
        std::optional<Unsaved> unsaved;
    };
    std::optional<Waiting> waiting_;
    Waiting& wait();
    // Publishes the change at once and saves it once config.json is quiet.
    std::optional<ConfigError> defer(Unsaved unsaved, AppConfig mine);
    void settle();
    void settleWhenQuiet();
    void endWaiting();
    // A switch among changes not saved: the profile active before it is again.
    void putBackSwitch(const Unsaved& unsaved);
    // A change saved once config.json was quiet, refused then.
    void refused(const ConfigError& error);

    // MARK: the rest

    std::optional<std::string> keepRejectedCopy(const QByteArray& bytes) const {
        return ConfigFile::keepCopy(configPath_, bytes);
    }
    // Kept in the record until answered, and told after the one shown, if any.
    void notice(LoadNotice notice);
    void queue(std::uint64_t id, LoadNotice notice);
    void switchTo(const std::string& name, const std::optional<std::string>& storedLiveAs);
    void publish(AppConfig config, bool replaced);
    // Publishes a configuration that replaces the one the screens edit.
    void replaceConfig(AppConfig config);

    AppConfig config_;
    std::uint64_t generation_ = 0;
    std::string configPath_;
    ConfigFile file_;
    ProfileStore profileStore_;
    std::unique_ptr<ProfileList> profileList_;
    // Each write of a profile file tells the list at once, ahead of the
    // folder's watcher.
    void profilesWritten();
    std::optional<LoadNotice> loadNotice_;
    std::uint64_t loadNoticeId_ = 0;
    // Notices that wait for the one shown (loadNotice_), with their ids.
    std::vector<std::pair<std::uint64_t, LoadNotice>> laterNotices_;
    // Files that interrupted saves of config.json left aside and that may
    // hold another program's save: told at the start.
    void tellLeftAside(const std::vector<std::string>& files);
    // Notices earlier runs made and the user did not answer.
    void tellUntold(std::vector<KeptRecord::ToTell> records);
    // config.json was read again (Reload) and the active profile's file has
    // not received it since.
    bool reloadedUnmirrored_ = false;
};

}  // namespace orbel
