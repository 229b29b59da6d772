#include "config/config_manager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <functional>
#include <sys/stat.h>

#include "config/atomic_file.h"
#include "config/orbel_backup.h"
#include "config/profile_list.h"
#include "model/json_writer.h"
#include "model/overloaded.h"
#include "model/profile_name.h"
#include "platform/app_paths.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/main_queue.h"
#include "platform/peer_file.h"

namespace orbel {

namespace {

QPointer<ConfigManager>& currentManager() {
    static QPointer<ConfigManager> manager;
    return manager;
}

// Tries `keep` on the dated names of `original` at the clock's time, the
// plain one first, until one takes (an earlier copy is never replaced); the
// name taken, or nothing.
std::optional<std::string> keptUnderADatedName(const std::string& original,
                                               const std::function<bool(const QString&)>& keep) {
    const double now = platform::Clock::shared().secondsSince1970();
    for (int attempt = 1; attempt <= ConfigManager::kRejectedCopyNames; ++attempt) {
        const std::string path = ConfigManager::rejectedCopyPath(original, now, attempt);
        if (keep(QString::fromStdString(path))) return path;
    }
    return std::nullopt;
}

bool isEmptyOrBadBinding(const HoldBinding& binding) {
    if (const auto* m = binding.asMouseButton()) return m->button <= 1;
    if (const auto* k = binding.asKeyCombination()) {
        // Key code 0 is the A key: only a combination with nothing at all is empty.
        if (k->mouseButton) return *k->mouseButton <= 1;
        return k->keyCode == 0 && k->modifiers == 0;
    }
    return false;  // a HID++ control is never flagged
}

}  // namespace

ConfigManager::ConfigManager(std::optional<std::string> configPath, std::optional<ProfileStore> profileStore,
                             QObject* parent)
    : QObject(parent),
      config_(AppConfig::defaultConfig()),
      configPath_(configPath ? *configPath : platform::AppPaths::shared().configDir() + "/config.json"),
      profileStore_(profileStore ? std::move(*profileStore) : ProfileStore()) {
    ensureConfigDirectory();
    // Left by saves that were killed half-way: in the folder (config.json
    // and the other files kept there), beside a linked config.json's
    // target, and among the profiles.
    removeStaleTemporariesBeside(configPath_);
    const auto leftAside = clearInterruptedSaves(configPath_);
    profileStore_.removeStaleTemporaries();
    take(read(true));
    tellLeftAside(leftAside);
}

ConfigManager::~ConfigManager() {
    finishWaiting();  // a change still waiting is written, never dropped
    if (settling_ && settling_->timer) platform::Timers::shared().cancel(settling_->timer);
}

ProfileList& ConfigManager::profileList() {
    if (!profileList_) profileList_ = std::make_unique<ProfileList>(profileStore_);
    return *profileList_;
}

void ConfigManager::profilesWritten() {
    if (profileList_) profileList_->invalidate();
}

ConfigManager& ConfigManager::makeShared() {
    ConfigManager& manager = platform::processLifetimeInstance<ConfigManager>();
    setCurrent(&manager);  // what the profile slots reach
    return manager;
}

ConfigManager* ConfigManager::current() { return currentManager().data(); }
void ConfigManager::setCurrent(ConfigManager* manager) { currentManager() = manager; }

void ConfigManager::setConfig(AppConfig config) {
    if (running_) {
        config_ = std::move(config);  // published once the waiting changes are saved
        return;
    }
    Q_EMIT configWillChange();
    config_ = std::move(config);
    Q_EMIT configChanged();
}

void ConfigManager::replaceConfig(AppConfig config) {
    ++generation_;
    setConfig(std::move(config));
    if (!running_) Q_EMIT configReplaced();
}

std::optional<ConfigError> ConfigManager::change(std::function<void(AppConfig&)> edit) {
    return commit({[edit = std::move(edit)](AppConfig& c) {
        const std::string before = c.encodeDocument();
        edit(c);
        return c.encodeDocument() != before;
    }});
}

std::optional<ConfigError> ConfigManager::save() {
    return commit({[](AppConfig&) { return true; }});
}

std::optional<ConfigError> ConfigManager::commit(const Commit& step) {
    // Another program's save that lands while the new file is written is
    // taken in and the edit applied to it again, as at the start; a file that
    // keeps changing is left to that program.
    constexpr int kAttempts = 3;
    for (int attempt = 1;; ++attempt) {
        bool editedMeanwhile = false;
        auto refused = commitOnce(step, editedMeanwhile);
        if (!editedMeanwhile) return refused;
        if (attempt == kAttempts)
            return ConfigError::notSaved(configPath_ +
                                         " kept being changed by another program while it was saved, so the change "
                                         "was not saved.");
    }
}

std::optional<ConfigError> ConfigManager::commitOnce(const Commit& step, bool& editedMeanwhile) {
    // Changes made while config.json was being written go first, in order,
    // also while they are being saved; the one being saved goes on.
    if (&step != saving_ && !settleNow()) return defer(step);
    // Another program's save still being written is neither read nor
    // replaced yet, until the wait has lasted its longest.
    if (!overdue() && changing()) return defer(step);
    const auto previous = activeProfile();
    bool tookIn = false;
    if (editedOutside()) {
        // Validated, and told about, as Reload does.
        if (!load()) return defer(step);
        tookIn = true;
    }
    if (auto refused = keepUnusedFile()) return refused;
    // A switch away from a profile whose live version was edited outside
    // (taken in now, or by an earlier Reload) stores that version first, so
    // that switching back finds it.
    if ((tookIn || reloadedUnmirrored_) && step.activate && previous && activeProfile() == previous && !loadNotice_) {
        try {
            profileStore_.save(config_, *previous);
            profilesWritten();
        } catch (const std::exception& e) {
            return ConfigError::notSaved("Couldn't save the profile \"" + shownProfileName(*previous) + "\": " +
                                         e.what());
        }
    }
    AppConfig next = config_;
    if (!step.edit(next)) return std::nullopt;
    if (step.replaces) next = normalise(next);
    if (auto errors = validate(next); !errors.empty()) return errors.front();
    const auto profile = step.activate ? (step.writeActivated ? step.activate : std::nullopt) : activeProfile();
    if (auto failure = write(next, profile, &editedMeanwhile))
        return editedMeanwhile ? std::nullopt : std::optional<ConfigError>(ConfigError::notSaved(*failure));
    if (step.activate) {
        platform::KeyValueStore::shared().setString(kActiveProfileKey, *step.activate);
        reloadedUnmirrored_ = false;  // the live configuration is the activated profile's
    }
    if (step.replaces) replaceConfig(std::move(next));
    else setConfig(std::move(next));
    return std::nullopt;
}

bool ConfigManager::changing() const {
    const auto stamp = FileStamp::of(configPath_);
    return stamp && stamp->changedLately() && !(knownStamp_ && stamp->sameAs(*knownStamp_));
}

ConfigManager::Settling& ConfigManager::waiting() {
    if (!settling_) {
        settling_ = Settling{};
        settling_->since = platform::Clock::shared().secondsSince1970();
    }
    return *settling_;
}

bool ConfigManager::overdue() const {
    return settling_ && (settling_->hurry || platform::Clock::shared().secondsSince1970() >=
                                                 settling_->since + kLongestWaitSeconds);
}

AppConfig ConfigManager::withWaiting(AppConfig config) const {
    for (const Commit& step : settling_->pending) {
        AppConfig next = config;
        if (!step.edit(next)) continue;
        if (step.replaces) next = normalise(next);
        if (validate(next).empty()) config = std::move(next);
    }
    return config;
}

std::optional<ConfigError> ConfigManager::defer(const Commit& step) {
    if (&step == saving_) {
        // The change being saved waits again, still first in line; it is
        // shown already.
        settling_->pending.insert(settling_->pending.begin(), step);
        requeued_ = true;
        settleWhenQuiet();
        return std::nullopt;
    }
    AppConfig next = config_;
    const bool edited = step.edit(next);
    if (edited) {
        if (step.replaces) next = normalise(next);
        if (auto errors = validate(next); !errors.empty()) return errors.front();
    }
    Settling& settling = waiting();
    if (!settling.onto) settling.onto = config_;
    settling.pending.push_back(step);
    // While the queue is saved, what it publishes comes at its end.
    if (edited && !running_) {
        if (step.replaces) replaceConfig(std::move(next));
        else setConfig(std::move(next));
    }
    platform::Log::write(platform::LogCategory::config,
                         "[orbel-config] " + configPath_ + " is being written by another program: the change is saved "
                         "once it is quiet, or in " + std::to_string(int(kLongestWaitSeconds)) +
                         " seconds at the latest");
    if (settling_) settleWhenQuiet();
    return std::nullopt;
}

void ConfigManager::settleWhenQuiet() {
    auto& timers = platform::Timers::shared();
    if (settling_->timer) timers.cancel(settling_->timer);
    const double now = platform::Clock::shared().secondsSince1970();
    const auto stamp = FileStamp::of(configPath_);
    const double quiet = stamp ? std::clamp(stamp->quietAt() - now, 0.0, FileStamp::kSettleSeconds) : 0.0;
    // Never past the longest wait, whatever the file does.
    const double wait = std::clamp(settling_->since + kLongestWaitSeconds - now, 0.0, quiet);
    settling_->timer = timers.singleShot(std::chrono::milliseconds(std::llround(wait * 1000) + 20), [this] {
        settling_->timer = 0;
        settle();
    });
}

void ConfigManager::settle() {
    if (!settling_ || running_) return;
    if (!overdue() && changing()) return settleWhenQuiet();
    if (settling_->timer) platform::Timers::shared().cancel(settling_->timer);
    settling_->timer = 0;
    // What the run publishes is published once, at its end.
    const AppConfig shown = config_;
    const std::uint64_t generation = generation_;
    running_ = true;
    bool tookReading = false;
    if (settling_->reread) {
        settling_->reread = false;
        const bool firstLoad = settling_->firstLoad;
        Reading reading = read(firstLoad);
        const bool reloaded = !firstLoad && !reading.unsettled;
        tookReading = !reading.unsettled;
        take(std::move(reading));
        if (reloaded) reloadedUnmirrored_ = true;
    }
    std::vector<ConfigError> refused;
    if (!settling_->reread) {
        settling_->firstLoad = false;
        // The changes go onto what the file holds: what was just read, or
        // the configuration they were made on while the file holds the same
        // bytes (another program's save is taken in by the commit).
        if (!tookReading && settling_->onto) config_ = *settling_->onto;
        while (!settling_->reread && !settling_->pending.empty()) {
            const Commit step = settling_->pending.front();
            settling_->pending.erase(settling_->pending.begin());
            requeued_ = false;
            saving_ = &step;
            auto failure = commit(step);
            saving_ = nullptr;
            if (requeued_) break;
            if (failure) refused.push_back(std::move(*failure));
        }
    }
    running_ = false;
    AppConfig next = config_;
    if (!settling_->pending.empty()) {
        settling_->onto = config_;
        next = withWaiting(config_);
    } else if (!settling_->reread) {
        platform::Timers::shared().cancel(settling_->timer);
        settling_.reset();
    }
    const bool replaced = generation_ != generation;
    config_ = shown;
    if (replaced || next.encodeDocument() != shown.encodeDocument()) {
        setConfig(std::move(next));
        if (replaced) Q_EMIT configReplaced();
    }
    for (const auto& error : refused) {
        platform::Log::write(platform::LogCategory::config,
                             "[orbel-config] a change made while " + configPath_ +
                                 " was being written by another program was not saved: " + error.what());
        Q_EMIT saveRefused(error);
    }
    if (!settling_) Q_EMIT settled();
}

bool ConfigManager::settleNow() {
    if (!settling_) return true;
    if (running_ || (!overdue() && changing())) return false;
    settle();
    return !settling_;
}

void ConfigManager::finishWaiting() {
    if (!settling_ || running_) return;
    if (settling_->pending.empty()) {
        platform::Timers::shared().cancel(settling_->timer);
        settling_.reset();
        return;
    }
    settling_->hurry = true;
    settle();
}

std::optional<std::string> ConfigManager::write(const AppConfig& config, const std::optional<std::string>& profile,
                                                bool* editedMeanwhile) {
    const std::string bytes = config.encodeDocument();
    bool edited = false;
    std::optional<FileStamp> written;
    ReplaceGuard guard;
    guard.beforeSwap = beforeReplaceHook_;
    guard.unchanged = [this, judgeNow = overdue()](const std::string& replaced, bool swappedOut) {
        // The file an exchange took out is judged by its bytes: the exchange
        // moved its change time, so an edit in place whose modification time
        // was put back would pass for unchanged by its stamp.
        const auto stamp = FileStamp::of(replaced);
        const bool asKnown = stamp && knownStamp_ && stamp->sameAs(*knownStamp_, swappedOut);
        if (!swappedOut && asKnown && knownStamp_->settled) return true;
        // Changed moments ago, and not the file last read or written: another
        // program may still be writing into it. It is theirs, until the wait
        // for it has lasted its longest: its bytes tell then.
        if (!judgeNow && stamp && stamp->changedLately(swappedOut) && !asKnown) return false;
        return !differsFromKnown(replaced);
    };
    guard.displaced = &edited;
    guard.written = &written;
    guard.rename = renameForTests_;
    if (known_) guard.known = std::string_view(known_->constData(), std::size_t(known_->size()));
    std::optional<ReplaceGuard::KeptAside> kept;
    guard.keptAside = &kept;
    auto failure = writeFileAtomically(configPath_, bytes, guard);
    if (kept) {
        // Told as it is on disk: which save is in config.json, and where the
        // other one is.
        // The folder is named once: two whole paths in a row read badly.
        const QFileInfo target(QString::fromStdString(configPath_)), aside(QString::fromStdString(kept->path));
        const std::string in = "In " + aside.absolutePath().toStdString() + ": ";
        const std::string name = target.fileName().toStdString(), keptName = aside.fileName().toStdString();
        notice(LoadNotice{LoadNotice::Kind::keptAside,
                          failure ? "A later save of " + configPath_ + " by another program could not be put in its "
                                    "place (" + kept->why + "). " + in + name +
                                        " holds an earlier save of that program; the later one is kept as " +
                                        keptName + "."
                                  : configPath_ + " was saved by another program while Orbel saved it, and that "
                                    "program's save could not be put back (" + kept->why + "). " + in + name +
                                        " holds Orbel's save, with the change; the other program's save is kept as " +
                                        keptName + ".",
                          kept->path, configPath_, std::nullopt});
    }
    if (failure) {
        if (editedMeanwhile) *editedMeanwhile = edited;
        return "Couldn't save " + configPath_ + ": " + *failure;
    }
    if (profile) {
        try {
            profileStore_.save(config, *profile);
            profilesWritten();
        } catch (const std::exception& e) {
            // config.json and the active profile stay one configuration.
            if (!known_) QFile::remove(QString::fromStdString(configPath_));
            else (void)writeFileAtomically(configPath_, std::string_view(known_->constData(), known_->size()));
            return "Couldn't save the profile \"" + shownProfileName(*profile) + "\": " + e.what();
        }
    }
    known_ = QByteArray::fromStdString(bytes);
    knownStamp_ = written;
    if (profile) reloadedUnmirrored_ = false;
    return std::nullopt;
}

std::optional<ConfigError> ConfigManager::keepUnusedFile() {
    if (!unused_) return std::nullopt;
    const bool kept = unused_->bytes ? keepRejectedCopy(*unused_->bytes).has_value() : moveAsideUnreadable().has_value();
    if (kept) {
        unused_.reset();
        return std::nullopt;
    }
    return ConfigError::notSaved(configPath_ +
                                 " could not be used and no copy of it could be kept, so it was left as it is.");
}

bool ConfigManager::editedOutside() {
    const QFileInfo info(QString::fromStdString(configPath_));
    if (!info.exists() && !info.isSymLink()) return false;
    const auto stamp = FileStamp::of(configPath_);
    if (stamp && knownStamp_ && stamp->unchangedSince(*knownStamp_)) return false;
    if (differsFromKnown(configPath_)) return true;
    knownStamp_ = stamp;  // the same bytes, written again
    return false;
}

bool ConfigManager::differsFromKnown(const std::string& path) const {
    const QString name = QString::fromStdString(path);
    const QFileInfo info(name);
    if (!info.exists() && !info.isSymLink()) return false;  // nothing in it to lose
    if (!info.isFile() || !known_) return true;            // something else took its place, or a file appeared
    // Another length is another file; one of the same length is compared.
    if (info.size() != known_->size()) return true;
    const platform::PeerFile file = platform::readPeerFile(name, known_->size());
    return !file.bytes || *file.bytes != *known_;
}

std::optional<std::string> ConfigManager::activeProfile() const {
    // Normalised as it is kept, also when an earlier version kept it as typed.
    auto name = platform::KeyValueStore::shared().string(kActiveProfileKey);
    if (name) name = normalisedProfileName(*name);
    return name;
}

void ConfigManager::clearActiveProfile() { platform::KeyValueStore::shared().remove(kActiveProfileKey); }

void ConfigManager::ensureConfigDirectory() const {
    const QString dir = QFileInfo(QString::fromStdString(configPath_)).absolutePath();
    if (!QFileInfo::exists(dir)) QDir().mkpath(dir);
}

std::string ConfigManager::rejectedCopyPath(const std::string& configPath, double secondsSince1970, int attempt) {
    double seconds = secondsSince1970;
    for (int n = 1; n < attempt; ++n) seconds = std::nextafter(seconds, HUGE_VAL);
    char text[512];  // any double, written out in full
    const auto [end, error] = std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed);
    std::string digits(text, error == std::errc() ? end : text);
    if (digits.find('.') == std::string::npos) digits += ".0";  // always a point and a fraction
    return configPath + ".backup." + digits;
}

std::optional<std::string> ConfigManager::keepCopy(const std::string& original, const QByteArray& bytes) {
    return keptUnderADatedName(original, [&bytes](const QString& path) {
        QFile copy(path);
        // A name already taken (an earlier copy) is never overwritten.
        if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return false;
        const bool ok = copy.write(bytes) == bytes.size();
        copy.close();
        if (ok && copy.error() == QFileDevice::NoError) return true;
        copy.remove();
        return false;
    });
}

std::optional<std::string> ConfigManager::moveAsideUnreadable() const {
    const QString original = QString::fromStdString(configPath_);
    return keptUnderADatedName(configPath_, [&original](const QString& path) { return QFile::rename(original, path); });
}

void ConfigManager::notice(LoadNotice notice) {
    loadNotice_ = std::move(notice);
    Q_EMIT loadNoticeChanged();
}

void ConfigManager::clearLoadNotice() {
    loadNotice_.reset();
    if (laterNotices_.empty()) return;
    LoadNotice next = std::move(laterNotices_.front());
    laterNotices_.erase(laterNotices_.begin());
    notice(std::move(next));
}

void ConfigManager::tellLeftAside(const std::vector<std::string>& files) {
    if (files.empty()) return;
    const auto nameOf = [](const std::string& path) {
        return QFileInfo(QString::fromStdString(path)).fileName().toStdString();
    };
    std::string names;
    for (std::size_t i = 0; i < files.size(); ++i)
        names += (i == 0 ? "" : i + 1 == files.size() ? " and " : ", ") + nameOf(files[i]);
    const bool one = files.size() == 1;
    const std::string folder = QFileInfo(QString::fromStdString(files.front())).absolutePath().toStdString();
    LoadNotice told{LoadNotice::Kind::keptAside,
                    std::string(one ? "A save of " : "Saves of ") + configPath_ + " did not finish, and " +
                        (one ? "the file it replaced" : "the files they replaced") +
                        " may hold another program's save. In " + folder + ": " + nameOf(configPath_) +
                        " holds the configuration in use; the replaced " + (one ? "file is" : "files are") +
                        " kept as " + names + ".",
                    files.front(), configPath_, std::nullopt};
    if (loadNotice_) laterNotices_.push_back(std::move(told));
    else notice(std::move(told));
}

namespace {

void collectOverfull(const MenuGroup& group, const std::string& name, std::vector<std::string>& out) {
    if (group.slots.size() > static_cast<std::size_t>(ConfigManager::kSlotsPerLevel))
        out.push_back(name + " (" + std::to_string(group.slots.size()) + " slots)");
    for (const auto& slot : group.slots) {
        if (const auto* g = slot.type.get<SlotType::Group>())
            collectOverfull(*g->group, "the group \"" + slot.title + "\"", out);
    }
}

// What is at a path that holds no regular file, in the words of a notice.
std::string notAFile(const QFileInfo& info) {
    if (!info.isSymLink() || info.exists()) return "It is not a regular file.";
    struct stat there{};
    const bool loop = ::stat(QFile::encodeName(info.filePath()).constData(), &there) != 0 && errno == ELOOP;
    return loop ? "It is a link that leads back to itself, through other links or none."
                : "It is a link to " + info.symLinkTarget().toStdString() + ", which does not exist.";
}

std::string joined(const std::vector<std::string>& parts, const char* separator) {
    std::string out;
    for (const auto& part : parts) out += (out.empty() ? "" : separator) + part;
    return out;
}

}  // namespace

std::vector<std::string> ConfigManager::overfullLevels(const AppConfig& config) {
    std::vector<std::string> out;
    collectOverfull(config.rootGroup, "the main dial", out);
    for (const auto& [bundleId, group] : config.appMenus()) collectOverfull(group, "the dial for " + bundleId, out);
    return out;
}

void ConfigManager::standIn(Reading& reading) {
    reading.config = AppConfig::defaultConfig();
    const auto active = activeProfile();
    if (!active) return;
    try {
        AppConfig stored = normalise(profileStore_.load(*active));
        if (validate(stored).empty()) {
            reading.config = std::move(stored);
            reading.profileInUse = active;
            return;
        }
    } catch (const std::exception&) {
    }
    // The defaults are nobody's profile: none stays active.
    reading.clearActive = true;
}

ConfigManager::Reading ConfigManager::read(bool firstLoad) {
    using Write = Reading::Write;
    Reading r;
    auto say = [&](LoadNotice::Kind kind, std::string reason, std::optional<std::string> keptAt) {
        r.notice = LoadNotice{kind, std::move(reason), std::move(keptAt), configPath_, r.profileInUse};
    };
    r.firstLoad = firstLoad;
    const QString path = QString::fromStdString(configPath_);
    const QFileInfo info(path);
    // A file another program changed moments ago, or while it was read, may
    // be half-written: what would be kept, told or written waits until it is
    // quiet, and meanwhile the start uses the stand-in, a Reload what it has.
    // Nothing that can be read at the path, before or after (a dangling
    // link, a loop of links), is nothing being written: it is judged at once.
    // And once the wait has lasted its longest, whatever is there is judged.
    const bool judgeNow = overdue();
    const auto stillWritten = [&] {
        const auto now = FileStamp::of(configPath_);
        if (judgeNow || (!now && !r.stamp)) return false;
        return !now || !r.stamp || !now->sameAs(*r.stamp) || now->changedLately();
    };
    const auto waitForQuiet = [&] {
        Reading waiting;
        waiting.unsettled = true;
        waiting.firstLoad = firstLoad;
        if (firstLoad) standIn(waiting);
        else waiting.config = config_;
        waiting.clearActive = false;
        waiting.profileInUse.reset();
        return waiting;
    };
    if (!info.exists() && !info.isSymLink()) {
        standIn(r);
        r.write = Write::config;
        // A first start has nothing to tell, unless a profile stands in.
        if (!firstLoad || r.profileInUse) say(LoadNotice::Kind::missing, "There is no file.", std::nullopt);
        return r;
    }
    // Only a regular file is opened: a pipe or a device would never end. One
    // larger than a backup could hold is refused unread.
    r.stamp = FileStamp::of(configPath_);
    const platform::PeerFile file =
        info.isFile() ? platform::readPeerFile(path, OrbelBackup::kMaxFileBytes) : platform::PeerFile{};
    if (!file.bytes && stillWritten()) return waitForQuiet();
    if (!file.bytes) {
        // Put the unreadable file aside before anything replaces it; if that
        // is impossible, leave it alone and keep the stand-in in memory.
        const std::string reason = info.isFile() ? file.error : notAFile(info);
        standIn(r);
        const auto movedTo = moveAsideUnreadable();
        if (movedTo) r.write = Write::config;
        else r.unused = Unused{};
        say(LoadNotice::Kind::unreadable, reason, movedTo);
        return r;
    }
    const QByteArray& bytes = *file.bytes;
    r.bytes = bytes;

    std::optional<AppConfig> decoded;
    std::string decodingError;
    json::CorrectionLog corrections;
    try {
        const json::Json doc = json::parse(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        decoded = AppConfig::fromJson(json::Node(doc));
    } catch (const json::DecodingError& e) {
        decoded.reset();
        decodingError = e.detailed();
    }
    if (decoded) {
        // Values the decoder had to change are used changed, and said so;
        // the file keeps them as written until the next save.
        const std::string name = info.fileName().toStdString();
        for (const auto& line : corrections.lines())
            platform::Log::write(platform::LogCategory::config, "[orbel-config] " + name + ": " + line);
    }
    if (!decoded && stillWritten()) return waitForQuiet();
    if (!decoded) {
        const auto kept = keepRejectedCopy(bytes);
        standIn(r);
        if (kept) r.write = Write::config;
        else r.unused = Unused{bytes};
        say(LoadNotice::Kind::rejected, decodingError, kept);
        return r;
    }

    AppConfig normalised = normalise(*decoded);
    if (const auto errors = validate(normalised); !errors.empty()) {
        if (stillWritten()) return waitForQuiet();
        std::vector<std::string> texts;
        for (const auto& error : errors) texts.push_back(error.what());
        const auto kept = keepRejectedCopy(bytes);
        standIn(r);
        if (!kept) r.unused = Unused{bytes};
        say(LoadNotice::Kind::rejected, joined(texts, "\n"), kept);
        return r;
    }
    r.config = std::move(normalised);
    // A level cut to six slots (nested ones too) is written cut at once,
    // so that the next start neither cuts nor tells again; the original is
    // kept first, and when that is impossible the file is left as it is.
    if (const auto cut = overfullLevels(*decoded); !cut.empty()) {
        if (stillWritten()) return waitForQuiet();
        const auto kept = keepRejectedCopy(bytes);
        if (kept) r.write = Write::configAndProfile;  // the user's own configuration, cut: mirrored like any save
        else r.unused = Unused{bytes};
        say(LoadNotice::Kind::cut, joined(cut, ", "), kept);
    }
    return r;
}

bool ConfigManager::load() {
    Reading reading = read(false);
    const bool unsettled = reading.unsettled;
    take(std::move(reading));
    // What Reload read is in config.json only, until a save mirrors it.
    if (!unsettled) reloadedUnmirrored_ = true;
    return !unsettled;
}

void ConfigManager::take(Reading reading) {
    if (reading.unsettled) {
        waiting().reread = true;
        settling_->firstLoad = settling_->firstLoad || reading.firstLoad;
        if (reading.firstLoad) replaceConfig(std::move(reading.config));
        settleWhenQuiet();
        return;
    }
    loadNotice_.reset();
    if (reading.clearActive) clearActiveProfile();
    known_ = reading.bytes;
    knownStamp_ = reading.stamp;
    unused_ = reading.unused;
    if (reading.write != Reading::Write::nothing) {
        const auto profile = reading.write == Reading::Write::configAndProfile ? activeProfile() : std::nullopt;
        if (auto failure = write(reading.config, profile))
            platform::Log::write(platform::LogCategory::config, "[orbel-config] " + *failure);
    }
    // Changes still waiting go onto what was read (the reading waits no
    // more), and are shown on it.
    AppConfig shown = reading.config;
    if (settling_ && !running_) {
        settling_->reread = false;
        settling_->onto = reading.config;
        shown = withWaiting(std::move(shown));
    }
    replaceConfig(std::move(shown));
    if (reading.notice) notice(std::move(*reading.notice));
    if (settling_ && !running_ && settling_->pending.empty()) {
        platform::Timers::shared().cancel(settling_->timer);
        settling_.reset();
        Q_EMIT settled();
    }
}

// MARK: validation and normalising

std::vector<ConfigError> ConfigManager::validate(const std::optional<AppConfig>& candidate) const {
    const AppConfig& c = candidate ? *candidate : config_;
    std::vector<ConfigError> errors;
    if (isEmptyOrBadBinding(c.activation.binding)) errors.push_back(ConfigError::invalidHotkey());
    if (c.rootGroup.title.empty()) errors.push_back(ConfigError::missingField("rootGroup.title"));
    auto slotErrors = validateSlots(c.rootGroup.slots);
    errors.insert(errors.end(), slotErrors.begin(), slotErrors.end());
    return errors;
}

std::vector<ConfigError> ConfigManager::validateSlots(const std::vector<SlotConfig>& slots) {
    std::vector<ConfigError> errors;
    auto invalid = [&](const char* message) { errors.push_back(ConfigError::invalidSlot(message)); };
    auto append = [&](const std::vector<ConfigError>& more) { errors.insert(errors.end(), more.begin(), more.end()); };
    // One case per kind and no default, so that a new kind cannot be left out.
    for (const auto& slot : slots) {
        if (slot.title.empty()) errors.push_back(ConfigError::missingField("slot.title"));
        std::visit(Overloaded{
                       [&](const SlotType::App& app) {
                           if (app.bundleId.empty()) invalid("App slot must have valid bundle ID");
                       },
                       [&](const SlotType::Group& group) {
                           if (group.group->title.empty()) errors.push_back(ConfigError::missingField("group.title"));
                           append(validateSlots(group.group->slots));
                       },
                       [&](const SlotType::Keystroke& keys) {
                           for (const auto& step : keys.steps) {
                               if (const auto* t = step.as<MacroStep::Text>(); t && t->text.empty()) {
                                   invalid("Macro text step cannot be empty");
                               } else if (const auto* w = step.as<MacroStep::WaitForWindow>();
                                          w && text::trimSpacesAndTabs(w->bundleId).empty()) {
                                   invalid("Macro waitForWindow must specify a bundleId");
                               }
                           }
                       },
                       [&](const SlotType::Script& script) {
                           if (text::trimWhitespaceAndNewlines(script.invocation.source).empty()) {
                               invalid("Script slot must have non-empty source");
                           }
                       },
                       [&](const SlotType::Snippet& snippet) {
                           if (snippet.text.empty()) invalid("Snippet slot must have non-empty body");
                       },
                       [&](const SlotType::Dynamic& dynamic) {
                           if (text::trimWhitespaceAndNewlines(dynamic.config.producer.source).empty()) {
                               invalid("Dynamic slot must have non-empty producer source");
                           }
                       },
                       [&](const SlotType::Cycling& cycling) {
                           if (cycling.children.empty()) invalid("Cycling slot must have at least one child");
                           for (const auto& child : cycling.children) {
                               const SlotType& type = child.type;
                               if (type.is<SlotType::Group>()) invalid("Cycling slot children cannot be groups");
                               else if (type.is<SlotType::Cycling>()) invalid("Cycling slots cannot be nested");
                               else if (type.is<SlotType::Transport>() || type.is<SlotType::ModeSwitch>() ||
                                        type.is<SlotType::VolumeScrub>()) {
                                   invalid("Cycling slot cannot host music-mode children");
                               }
                           }
                           append(validateSlots(cycling.children));
                       },
                       [&](const SlotType::ProfileTarget& target) {
                           if (target.profile.name.empty()) {
                               invalid("Profile target slot must reference a non-empty profile name");
                           }
                       },
                       [](const SlotType::Action&) {},
                       [](const SlotType::Transport&) {},
                       [](const SlotType::ModeSwitch&) {},
                       [](const SlotType::VolumeScrub&) {},
                       [](const SlotType::ProfileSwitch&) {},
                   },
                   slot.type.value);
    }
    return errors;
}

MenuGroup ConfigManager::normaliseGroup(const MenuGroup& group) {
    MenuGroup out = group;
    if (out.slots.size() > static_cast<std::size_t>(kSlotsPerLevel)) out.slots.resize(kSlotsPerLevel);
    for (auto& slot : out.slots) {
        if (auto* g = slot.type.get<SlotType::Group>()) *g->group = normaliseGroup(*g->group);
    }
    return out;
}

AppConfig ConfigManager::normalise(const AppConfig& config) {
    AppConfig out = config;
    out.rootGroup = normaliseGroup(out.rootGroup);
    auto menus = out.appMenus();
    for (auto& [bundleId, group] : menus) group = normaliseGroup(group);
    out.setAppMenus(menus);
    return out;
}

// MARK: edits

std::optional<ConfigError> ConfigManager::addSlot(const SlotConfig& slot, std::optional<int> index) {
    return commit({[slot, index](AppConfig& c) {
        auto& slots = c.rootGroup.slots;
        const int count = static_cast<int>(slots.size());
        if (count >= kSlotsPerLevel) return false;
        if (index && *index >= 0 && *index <= count) slots.insert(slots.begin() + *index, slot);
        else slots.push_back(slot);
        return true;
    }});
}

std::optional<ConfigError> ConfigManager::updateSlot(int index, const SlotConfig& slot) {
    return commit({[index, slot](AppConfig& c) {
        if (index < 0 || index >= static_cast<int>(c.rootGroup.slots.size())) return false;
        c.rootGroup.slots[static_cast<std::size_t>(index)] = slot;
        return true;
    }});
}

std::optional<ConfigError> ConfigManager::swapSlots(int a, int b) {
    return commit({[a, b](AppConfig& c) {
        auto& slots = c.rootGroup.slots;
        const int count = static_cast<int>(slots.size());
        if (a < 0 || b < 0 || a >= count || b >= count || a == b) return false;
        std::swap(slots[static_cast<std::size_t>(a)], slots[static_cast<std::size_t>(b)]);
        return true;
    }});
}

std::optional<ConfigError> ConfigManager::setAppMenu(const std::optional<MenuGroup>& group, const std::string& bundleId) {
    return change([group, bundleId](AppConfig& c) {
        auto menus = c.appMenus();
        if (group) menus[bundleId] = *group;
        else menus.erase(bundleId);
        c.setAppMenus(menus);
    });
}

std::optional<ConfigError> ConfigManager::applyConfig(const AppConfig& config) {
    return commit({[config](AppConfig& c) {
                       c = config;
                       return true;
                   },
                   true});
}

// MARK: profiles

namespace {

// The first of "Default", "Default 2", "Default 3", ... that names no
// stored profile.
std::string freeDefaultName(const std::vector<std::string>& names) {
    const std::string base = ConfigManager::kDefaultProfileName;
    auto taken = [&](const std::string& name) { return std::find(names.begin(), names.end(), name) != names.end(); };
    if (!taken(base)) return base;
    for (int n = 2;; ++n) {
        if (std::string candidate = base + " " + std::to_string(n); !taken(candidate)) return candidate;
    }
}

}  // namespace

void ConfigManager::storeProfile(const AppConfig& config, const std::string& name) {
    if (auto errors = validate(normalise(config)); !errors.empty()) throw errors.front();
    profileStore_.save(config, name);
    profilesWritten();
}

void ConfigManager::duplicateProfile(const std::string& source, const std::string& destination) {
    const AppConfig config = profileStore_.load(source);
    if (profileStore_.contains(destination)) throw ProfileStoreError(ProfileStoreError::Kind::alreadyExists, destination);
    if (profileStore_.list().size() >= static_cast<std::size_t>(ProfileStore::kLimit))
        throw ProfileStoreError(ProfileStoreError::Kind::atCap);
    storeProfile(config, destination);
}

std::optional<ProfileStore::ReplaceFailure> ConfigManager::replaceProfiles(
    const std::map<std::string, AppConfig>& profiles) {
    for (const auto& [name, config] : profiles) {
        if (auto errors = validate(normalise(config)); !errors.empty())
            return ProfileStore::ReplaceFailure{ProfileStore::ReplaceFailure::Step::writing, name, errors.front().what()};
    }
    auto failure = profileStore_.replaceAll(profiles);
    profilesWritten();
    return failure;
}

void ConfigManager::switchToProfile(const std::string& name) {
    const AppConfig stored = profileStore_.load(name);
    std::optional<LoadNotice> cut;
    if (const auto levels = overfullLevels(stored); !levels.empty()) {
        // The switch writes the profile cut only once the original is kept.
        const std::string path = profileStore_.url(name);
        QFile file(QString::fromStdString(path));
        const auto kept = file.open(QIODevice::ReadOnly) ? keepCopy(path, file.readAll()) : std::nullopt;
        cut = LoadNotice{LoadNotice::Kind::cut, joined(levels, ", "), kept, path, std::nullopt};
    }
    AppConfig loaded = normalise(stored);
    // A profile that would make the next start reject config.json is refused.
    if (auto errors = validate(loaded); !errors.empty()) throw errors.front();
    QPointer<ConfigManager> self(this);
    std::optional<ConfigError> refused;
    platform::MainQueue::shared().postAndWait([&, self] {
        if (!self) return;
        refused = self->commit({[loaded](AppConfig& c) {
                                    c = loaded;
                                    return true;
                                },
                                true, normalisedProfileName(name), cut && cut->keptAt});
        if (!refused && cut) self->notice(std::move(*cut));
    });
    if (refused) throw *refused;
}

void ConfigManager::switchToProfileKeepingLive(const std::string& name) {
    if (!activeProfile()) {
        const auto names = profileStore_.list();
        const bool toImplicitDefault = normalisedProfileName(name) == kDefaultProfileName &&
                                       std::find(names.begin(), names.end(), kDefaultProfileName) == names.end();
        if (!toImplicitDefault) (void)profileStore_.load(name);  // a missing profile throws before anything is written
        // A live configuration some profile already holds is not stored again.
        const std::string live = config_.encodeDocument();
        bool held = false;
        for (const auto& other : names) {
            try {
                held = held || profileStore_.load(other).encodeDocument() == live;
            } catch (const ProfileStoreError&) {
            }
        }
        if (toImplicitDefault || !held) storeProfile(config_, freeDefaultName(names));
    }
    switchToProfile(name);
}

void ConfigManager::ensureDefaultProfile() {
    if (!profileStore_.contains(kDefaultProfileName)) storeProfile(config_, kDefaultProfileName);
    if (!activeProfile()) platform::KeyValueStore::shared().setString(kActiveProfileKey, kDefaultProfileName);
}

void ConfigManager::deleteProfile(const std::string& name) {
    if (auto active = activeProfile(); active && *active == normalisedProfileName(name))
        throw ProfileMutationError(name);
    profileStore_.remove(name);
    profilesWritten();
}

void ConfigManager::setProfileIcon(const std::string& name, const std::optional<SlotIcon>& icon) {
    const auto active = activeProfile();
    const std::string normalised = normalisedProfileName(name);
    const bool implicitDefault = !active && normalised == kDefaultProfileName && !profileStore_.contains(name);
    if (implicitDefault || (active && *active == normalised)) {
        // The live configuration, and with it the active profile's file.
        if (auto refused = change([icon](AppConfig& c) { c.profileIcon = icon; })) throw *refused;
        return;
    }
    AppConfig stored;
    try {
        stored = profileStore_.load(name);
    } catch (const ProfileStoreError& e) {
        // A profile that exists but cannot be read is reported, not
        // overwritten with a copy of the live configuration.
        if (e.kind() != ProfileStoreError::Kind::notFound) throw;
        stored = config_;
    }
    stored.profileIcon = icon;
    storeProfile(stored, name);
}

}  // namespace orbel
