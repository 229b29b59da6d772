#include "config/config_manager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <functional>
#include <variant>

#include "config/atomic_file.h"
#include "config/config_merge.h"
#include "config/orbel_backup.h"
#include "config/profile_list.h"
#include "model/json_writer.h"
#include "model/overloaded.h"
#include "model/profile_name.h"
#include "platform/app_paths.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/main_queue.h"

namespace orbel {

namespace {

QPointer<ConfigManager>& currentManager() {
    static QPointer<ConfigManager> manager;
    return manager;
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

std::string joined(const std::vector<std::string>& parts, const char* separator) {
    std::string out;
    for (const auto& part : parts) out += (out.empty() ? "" : separator) + part;
    return out;
}

void collectOverfull(const MenuGroup& group, const std::string& name, std::vector<std::string>& out) {
    if (group.slots.size() > static_cast<std::size_t>(ConfigManager::kSlotsPerLevel))
        out.push_back(name + " (" + std::to_string(group.slots.size()) + " slots)");
    for (const auto& slot : group.slots) {
        if (const auto* g = slot.type.get<SlotType::Group>())
            collectOverfull(*g->group, "the group \"" + slot.title + "\"", out);
    }
}

std::string fileName(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).fileName().toStdString();
}
std::string folderOf(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
}
// "a", "a and b", "a, b and c": the files' names.
std::string namesOf(const std::vector<std::string>& files) {
    std::string names;
    for (std::size_t i = 0; i < files.size(); ++i)
        names += (i == 0 ? "" : i + 1 == files.size() ? " and " : ", ") + fileName(files[i]);
    return names;
}

}  // namespace

ConfigManager::ConfigManager(std::optional<std::string> configPath, std::optional<ProfileStore> profileStore,
                             QObject* parent)
    : QObject(parent),
      config_(AppConfig::defaultConfig()),
      configPath_(configPath ? *configPath : platform::AppPaths::shared().configDir() + "/config.json"),
      file_(configPath_),
      profileStore_(profileStore ? std::move(*profileStore) : ProfileStore()) {
    ensureConfigDirectory();
    file_.keptFilesChanged = [this](const std::vector<std::string>& paths) { notice(keptWhileWrittenNotice(paths)); };
    // Left by saves that were killed half-way: in the folder (config.json
    // and the other files kept there), beside a linked config.json's
    // target, and among the profiles.
    removeStaleTemporariesBeside(configPath_);
    const auto leftAside = clearInterruptedSaves(configPath_);
    profileStore_.removeStaleTemporaries();
    // What earlier runs had to tell and the user did not answer, told after
    // what this start's reading tells.
    auto untold = file_.record().untold();
    take(read(), true);
    tellUntold(std::move(untold));
    tellLeftAside(leftAside);
    file_.reviewKept();  // what earlier runs kept aside: removed, or told
}

ConfigManager::~ConfigManager() {
    finishWaiting();  // a change still waiting is written, never dropped
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

// MARK: publishing

void ConfigManager::setConfig(AppConfig config) {
    Q_EMIT configWillChange();
    config_ = std::move(config);
    Q_EMIT configChanged();
}

void ConfigManager::replaceConfig(AppConfig config) {
    ++generation_;
    setConfig(std::move(config));
    Q_EMIT configReplaced();
}

void ConfigManager::publish(AppConfig config, bool replaced) {
    if (replaced) replaceConfig(std::move(config));
    else setConfig(std::move(config));
}

// MARK: changing

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
    // The edit runs once, on what the user sees; what it made is what is
    // saved and published, never the edit again.
    AppConfig mine = config_;
    if (!step.edit(mine)) return std::nullopt;
    if (step.replaces) mine = normalise(mine);
    if (auto errors = validate(mine); !errors.empty()) return errors.front();
    Unsaved unsaved;
    unsaved.base = config_;
    unsaved.replaces = step.replaces;
    unsaved.writeProfile = !step.activate || step.writeActivated;
    unsaved.activate = step.activate;
    if (step.activate) {
        // The profile switched from receives what it holds at the switch.
        unsaved.switched = true;
        unsaved.wasActive = activeProfile();
        unsaved.switchedFrom = step.storedLiveAs ? step.storedLiveAs : unsaved.wasActive;
        unsaved.leaving = config_;
    }
    // Another program's save still being written is neither read nor
    // replaced yet; changes made meanwhile go after those waiting.
    if (waiting_ || file_.changing()) return defer(std::move(unsaved), std::move(mine));
    Saved saved = saveOnto(unsaved, mine);
    if (saved.mustWait) return defer(std::move(unsaved), std::move(mine));
    auto refused = saved.refused;
    finish(std::move(saved));
    return refused;
}

ConfigManager::Saved ConfigManager::saveOnto(const Unsaved& unsaved, const AppConfig& mine) {
    Saved out;
    const auto refuse = [&out](std::string why) {
        out.refused = ConfigError::notSaved(std::move(why));
        return out;
    };
    // Another program's save that lands while the new file is written is
    // put back, and the change carried onto it in turn; a file that keeps
    // changing is left to that program.
    constexpr int kAttempts = 3;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        out = Saved{};
        // Also after another program's save was put back: it may still be
        // writing into it.
        if (!file_.waitOver() && file_.changing()) {
            out.mustWait = true;
            return out;
        }
        AppConfig next = mine;
        std::optional<AppConfig> theirs;
        // Not saved: what is in force is another program's save, when one
        // was read, or `instead`.
        const auto inForce = [&](const std::optional<AppConfig>& instead = std::nullopt) {
            if (const auto& used = instead ? instead : theirs) out.publish = *used, out.replaced = true;
        };
        // A change that no longer means what the user saw: the other
        // program's save stays as it is.
        const auto notCarried = [&](const std::string& why) {
            inForce();
            return refuse(configPath_ + " was saved by another program meanwhile, and " + why +
                          ", so the change was not saved.");
        };
        // A file in config.json's place that could not be used: the save
        // keeps the file itself, never a copy of it followed by a removal.
        std::optional<UnusableInPlace> unusable = unusableInPlace_;
        if (file_.editedOutside()) {
            Reading reading = read();
            using Verdict = Reading::Verdict;
            if (reading.verdict == Verdict::beingWritten) {
                out.mustWait = true;
                return out;
            }
            if (reading.verdict == Verdict::unusable && reading.look.dangling)  // a link stays a link
                return refuse(configPath_ + " could not be written: " + reading.reason + " The change was not saved.");
            file_.remember(reading.look, reading.verdict == Verdict::usable);
            unusable.reset();
            if (reading.verdict == Verdict::usable) {
                theirs = reading.config;
                if (!reading.cut.empty()) {
                    LoadNotice cut{LoadNotice::Kind::cut, joined(reading.cut, ", "),
                                   keepRejectedCopy(*reading.look.bytes), configPath_, std::nullopt};
                    if (cut.keptAt) out.told.push_back(std::move(cut));
                    else unusable = UnusableInPlace{reading.look.bytes, std::nullopt, std::move(cut), false};
                }
                if (!unsaved.replaces) {
                    auto carried = carryOnto(unsaved.base, mine, reading.config);
                    if (const auto* why = std::get_if<std::string>(&carried)) return notCarried(*why);
                    next = std::get<AppConfig>(std::move(carried));
                }
            } else if (reading.verdict == Verdict::unusable) {
                unusable = UnusableInPlace{reading.look.bytes, std::nullopt,
                                           LoadNotice{reading.kind, reading.reason, std::nullopt, configPath_,
                                                      std::nullopt, true},
                                           false};
            }
        }
        std::optional<std::string> keepTakenOutAs;
        if (unusable && !(keepTakenOutAs = file_.freeDatedName())) {
            keptUnusable(*unusable, std::nullopt, true, out.told);
            return refuse(configPath_ + " could not be used and no copy of it could be kept, so it was left as it is.");
        }
        // The profile switched from receives what it holds now: the edits
        // made before the switch, carried onto another program's save when
        // there is one; that save alone; or what an earlier Reload read.
        std::optional<AppConfig> leaving;
        if (unsaved.activate && unsaved.switchedFrom) {
            const bool edited = unsaved.leaving && unsaved.leaving->encodeDocument() != unsaved.base.encodeDocument();
            if (theirs && edited) {
                auto carried = carryOnto(unsaved.base, *unsaved.leaving, *theirs);
                if (const auto* why = std::get_if<std::string>(&carried)) return notCarried(*why);
                leaving = std::get<AppConfig>(std::move(carried));
            } else if (theirs) {
                leaving = theirs;
            } else if (edited) {
                leaving = unsaved.leaving;
            } else if (reloadedUnmirrored_ && !loadNotice_) {
                leaving = unsaved.base;
            }
        }
        // A replacement that has no profile to keep another program's save
        // in keeps its file aside, and tells where.
        const bool keepTheirs = unsaved.replaces && theirs && !leaving && !keepTakenOutAs;
        if (keepTheirs && !(keepTakenOutAs = file_.freeDatedName())) {
            inForce();
            return refuse(configPath_ + " was saved by another program meanwhile, and no copy of that save could "
                                        "be kept, so it was not replaced.");
        }
        if (auto errors = validate(next); !errors.empty()) {
            inForce();
            out.refused = errors.front();
            return out;
        }
        if (leaving) {
            try {
                profileStore_.save(*leaving, *unsaved.switchedFrom);
                profilesWritten();
            } catch (const std::exception& e) {
                inForce();
                return refuse("Couldn't save the profile \"" + shownProfileName(*unsaved.switchedFrom) +
                              "\": " + e.what());
            }
        }
        const auto profile =
            unsaved.writeProfile ? (unsaved.activate ? unsaved.activate : activeProfile()) : std::nullopt;
        const ConfigFile::Saved written = write(next, profile, keepTakenOutAs);
        if (written.displaced) continue;
        // A file kept under the name it was judged under is told as judged.
        if (auto told = keptAsideNotice(written); told && !keepTakenOutAs) out.told.push_back(std::move(*told));
        const bool takenOut = keepTakenOutAs && QFileInfo(QString::fromStdString(*keepTakenOutAs)).isFile();
        if (unusable) keptUnusable(*unusable, takenOut ? keepTakenOutAs : std::nullopt, written.failure.has_value(), out.told);
        else if (keepTheirs && takenOut) out.told.push_back(replacedSaveNotice(*keepTakenOutAs));
        if (written.failure) {
            // In force again: what the profile switched from now holds, or
            // another program's save.
            inForce(leaving);
            return refuse(*written.failure);
        }
        if (unsaved.activate) {
            platform::KeyValueStore::shared().setString(kActiveProfileKey, *unsaved.activate);
            reloadedUnmirrored_ = false;  // the live configuration is the activated profile's
        }
        out.publish = std::move(next);
        out.replaced = unsaved.replaces || theirs.has_value();
        return out;
    }
    out = Saved{};
    return refuse(configPath_ +
                  " kept being changed by another program while it was saved, so the change was not saved.");
}

void ConfigManager::keptUnusable(const UnusableInPlace& unusable, const std::optional<std::string>& keptAs,
                                 bool failed, std::vector<LoadNotice>& told) {
    unusableInPlace_.reset();
    if (!keptAs) {
        // Still in its place, when the save failed (else it went by another
        // hand): kept by the next save, and told now.
        if (!failed) return;
        if (!unusable.told) told.push_back(unusable.notice);
        unusableInPlace_ = unusable;
        unusableInPlace_->told = true;
        return;
    }
    // The file itself takes the place of its copy told earlier: its
    // writer's later writes land there.
    if (unusable.copy && unusable.told && unusable.bytes &&
        ConfigFile::putInPlaceOf(*keptAs, *unusable.copy, *unusable.bytes))
        return;
    LoadNotice notice = unusable.notice;
    notice.keptAt = keptAs;
    notice.keptInUse = true;
    told.push_back(std::move(notice));
}

ConfigManager::LoadNotice ConfigManager::replacedSaveNotice(const std::string& path) const {
    return LoadNotice{LoadNotice::Kind::keptAside,
                      configPath_ + " held a save of another program that Orbel had not read when it replaced the "
                                    "configuration. In " + folderOf(path) + ": " + fileName(configPath_) +
                          " holds the configuration in use; that program's save is kept as " + fileName(path) + ".",
                      path, configPath_, std::nullopt};
}

void ConfigManager::finish(Saved saved) {
    if (saved.publish) {
        const bool same = !saved.replaced && saved.publish->encodeDocument() == config_.encodeDocument();
        if (!same) publish(std::move(*saved.publish), saved.replaced);
    }
    for (auto& told : saved.told) notice(std::move(told));
}

ConfigFile::Saved ConfigManager::write(const AppConfig& config, const std::optional<std::string>& profile,
                                       const std::optional<std::string>& keepTakenOutAs) {
    const auto before = file_.known();
    ConfigFile::Saved saved = file_.write(config.encodeDocument(), keepTakenOutAs);
    if (saved.failure || !profile) return saved;
    try {
        profileStore_.save(config, *profile);
        profilesWritten();
        reloadedUnmirrored_ = false;
    } catch (const std::exception& e) {
        // config.json and the active profile stay one configuration.
        file_.restore(before);
        saved.failure = "Couldn't save the profile \"" + shownProfileName(*profile) + "\": " + e.what();
    }
    return saved;
}

std::optional<ConfigManager::LoadNotice> ConfigManager::keptAsideNotice(const ConfigFile::Saved& saved) const {
    if (!saved.keptAside || !saved.keptAside->path.size()) return std::nullopt;
    const auto& kept = *saved.keptAside;
    // Told as it is on disk: which save is in config.json, and where the
    // other one is. The folder is named once: two whole paths in a row read
    // badly.
    const std::string in = "In " + folderOf(kept.path) + ": ", name = fileName(configPath_),
                      keptName = fileName(kept.path);
    if (!saved.failure && kept.why == kKeptWhileWritten) return keptWhileWrittenNotice({kept.path});
    std::string reason;
    if (saved.failure)
        reason = "A later save of " + configPath_ + " by another program could not be put in its place (" + kept.why +
                 "). " + in + name + " holds an earlier save of that program; the later one is kept as " + keptName +
                 ".";
    else
        reason = configPath_ + " was saved by another program while Orbel saved it, and that program's save could not "
                 "be put back (" + kept.why + "). " + in + name +
                 " holds Orbel's save, with the change; the other program's save is kept as " + keptName + ".";
    return LoadNotice{LoadNotice::Kind::keptAside, reason, kept.path, configPath_, std::nullopt};
}

ConfigManager::LoadNotice ConfigManager::keptWhileWrittenNotice(const std::vector<std::string>& paths) const {
    return LoadNotice{LoadNotice::Kind::keptAside,
                      configPath_ + " was still being written by another program when Orbel saved it. In " +
                          folderOf(paths.front()) + ": " + fileName(configPath_) +
                          " holds Orbel's save; what that program wrote is kept as " + namesOf(paths) + ".",
                      paths.front(), configPath_, std::nullopt};
}

// MARK: waiting

ConfigManager::Waiting& ConfigManager::wait() {
    if (!waiting_) waiting_ = Waiting{};
    file_.beginWait();
    return *waiting_;
}

std::optional<ConfigError> ConfigManager::defer(Unsaved unsaved, AppConfig mine) {
    const auto activate = unsaved.activate;
    const bool replaces = unsaved.replaces;
    Waiting& waiting = wait();
    if (!waiting.unsaved) {
        waiting.unsaved = std::move(unsaved);  // its base is what the file held
    } else {
        Unsaved& all = *waiting.unsaved;
        all.replaces = all.replaces || unsaved.replaces;
        all.writeProfile = unsaved.writeProfile;
        if (unsaved.activate) {
            all.activate = unsaved.activate;
            // The first switch tells where the edits before it go, and what
            // a failure puts back.
            if (!all.switched) {
                all.switched = true;
                all.switchedFrom = unsaved.switchedFrom;
                all.leaving = std::move(unsaved.leaving);
                all.wasActive = unsaved.wasActive;
            }
        }
    }
    // A switch is in force at once for all that reads the active profile.
    if (activate) platform::KeyValueStore::shared().setString(kActiveProfileKey, *activate);
    publish(std::move(mine), replaces);
    platform::Log::write(platform::LogCategory::config,
                         "[orbel-config] " + configPath_ + " is being written by another program: the change is saved "
                         "once it is quiet, or in " + std::to_string(int(kLongestWaitSeconds)) +
                         " seconds at the latest");
    settleWhenQuiet();
    return std::nullopt;
}

void ConfigManager::settleWhenQuiet() {
    file_.whenQuiet([this] { settle(); });
}

void ConfigManager::endWaiting() {
    waiting_.reset();
    file_.endWait();
}

void ConfigManager::settle() {
    if (!waiting_) return;
    if (!file_.waitOver() && file_.changing()) return settleWhenQuiet();
    const Waiting waiting = *waiting_;
    std::optional<ConfigError> refusal;
    if (waiting.unsaved) {
        // Reload while changes wait: a file that cannot be used ends the
        // Reload as it ends any (the stand-in in force, the file kept and
        // told), and the changes are not saved. Else the changes (a start's
        // reading that waited included) are carried onto what the file holds.
        std::optional<Reading> reading;
        if (waiting.reread && !waiting.firstLoad) reading = read();
        if (reading && reading->verdict == Reading::Verdict::beingWritten) return settleWhenQuiet();
        if (reading && reading->verdict == Reading::Verdict::unusable && !reading->look.dangling) {
            endWaiting();
            putBackSwitch(*waiting.unsaved);
            take(std::move(*reading), false);
            refusal = ConfigError::notSaved(configPath_ +
                                            " could not be used when it was read again, so the changes made while "
                                            "another program was writing it were not saved.");
        } else {
            Saved saved = saveOnto(*waiting.unsaved, config_);
            if (saved.mustWait) return settleWhenQuiet();
            endWaiting();
            refusal = saved.refused;
            if (refusal) {
                if (!saved.publish) saved.publish = waiting.unsaved->base, saved.replaced = true;
                putBackSwitch(*waiting.unsaved);
            }
            finish(std::move(saved));
        }
    } else {
        Reading reading = read();
        if (reading.verdict == Reading::Verdict::beingWritten) return settleWhenQuiet();
        endWaiting();
        take(std::move(reading), waiting.firstLoad);
        if (!waiting.firstLoad) reloadedUnmirrored_ = true;
    }
    if (refusal) refused(*refusal);
    if (!waiting_) Q_EMIT settled();
}

void ConfigManager::putBackSwitch(const Unsaved& unsaved) {
    // A switch is all or nothing: not saved, the profile active before it is
    // active again, as its dial is in force again.
    if (!unsaved.switched) return;
    auto& store = platform::KeyValueStore::shared();
    if (unsaved.wasActive) store.setString(kActiveProfileKey, *unsaved.wasActive);
    else store.remove(kActiveProfileKey);
}

void ConfigManager::refused(const ConfigError& error) {
    platform::Log::write(platform::LogCategory::config,
                         "[orbel-config] a change made while " + configPath_ +
                             " was being written by another program was not saved: " + error.what());
    // Told as any notice: kept until the user has answered it, also across
    // a quit.
    notice(LoadNotice{LoadNotice::Kind::notSaved, error.what(), std::nullopt, configPath_, std::nullopt});
    Q_EMIT saveRefused(error);
}

void ConfigManager::finishWaiting() {
    if (!waiting_) return;
    if (!waiting_->unsaved) return endWaiting();
    file_.cutShort();
    settle();
}

// MARK: reading

ConfigManager::Reading ConfigManager::read() {
    using Verdict = Reading::Verdict;
    Reading r;
    r.look = file_.look(OrbelBackup::kMaxFileBytes);
    if (r.look.absent) {
        r.verdict = Verdict::missing;
        return r;
    }
    // A file another program changed moments ago, or while it was read, may
    // be half-written: it is not judged by its half until the wait is over,
    // and then it is kept by the exchange, which its writer goes on writing
    // into. Nothing that can be read at the path (a dangling link, a loop
    // of links) is nothing being written: it is judged at once.
    const auto unusable = [&](LoadNotice::Kind kind, std::string reason) {
        r.stillWritten = file_.stillWritten(r.look);
        r.verdict = r.stillWritten && !file_.waitOver() ? Verdict::beingWritten : Verdict::unusable;
        r.kind = kind;
        r.reason = std::move(reason);
        return r;
    };
    if (!r.look.bytes) return unusable(LoadNotice::Kind::unreadable, r.look.problem);
    const QByteArray& bytes = *r.look.bytes;
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
    if (!decoded) return unusable(LoadNotice::Kind::rejected, decodingError);
    // Values the decoder had to change are used changed, and said so; the
    // file keeps them as written until the next save.
    for (const auto& line : corrections.lines())
        platform::Log::write(platform::LogCategory::config, "[orbel-config] " + fileName(configPath_) + ": " + line);
    AppConfig normalised = normalise(*decoded);
    if (const auto errors = validate(normalised); !errors.empty()) {
        std::vector<std::string> texts;
        for (const auto& error : errors) texts.push_back(error.what());
        // It reads as a configuration: a start leaves it in place.
        r.leaveInPlace = true;
        return unusable(LoadNotice::Kind::rejected, joined(texts, "\n"));
    }
    r.cut = overfullLevels(*decoded);
    if (!r.cut.empty() && file_.stillWritten(r.look) && !file_.waitOver()) {
        r.verdict = Verdict::beingWritten;
        return r;
    }
    r.config = std::move(normalised);
    r.verdict = Verdict::usable;
    return r;
}

std::optional<std::string> ConfigManager::keepUnusable(const Reading& reading,
                                                       std::optional<std::string>& keepTakenOutAs) {
    // What is not a file that reads (a folder, a link that leads nowhere)
    // is moved aside whole; a file is kept by the exchange that replaces it,
    // under the name it is told under: its writer may still be writing into
    // it, and whatever it writes later lands there.
    if (!reading.look.bytes) return file_.moveAside();
    keepTakenOutAs = file_.freeDatedName();
    return keepTakenOutAs;
}

bool ConfigManager::load() {
    if (waiting_ && waiting_->unsaved) {
        // Changes wait: they are carried onto what the file holds once it is
        // quiet, as Reload shows it; a file that cannot be used ends the
        // Reload as any Reload, and they are told as not saved.
        waiting_->reread = true;
        settle();
        return !waiting_;
    }
    Reading reading = read();
    const bool quiet = reading.verdict != Reading::Verdict::beingWritten;
    take(std::move(reading), false);
    // What Reload read is in config.json only, until a save mirrors it.
    if (quiet) reloadedUnmirrored_ = true;
    return quiet;
}

ConfigManager::StandIn ConfigManager::standIn() const {
    StandIn out{AppConfig::defaultConfig(), std::nullopt, false};
    const auto active = activeProfile();
    if (!active) return out;
    try {
        AppConfig stored = normalise(profileStore_.load(*active));
        if (validate(stored).empty()) {
            out.config = std::move(stored);
            out.profileInUse = active;
            return out;
        }
    } catch (const std::exception&) {
    }
    // The defaults are nobody's profile: none stays active.
    out.clearActive = true;
    return out;
}

void ConfigManager::take(Reading reading, bool firstLoad) {
    using Verdict = Reading::Verdict;
    if (reading.verdict == Verdict::beingWritten) {
        // Nothing is kept, told or written over until the file is quiet;
        // meanwhile a start uses the stand-in, a Reload what it has.
        Waiting& waiting = wait();
        waiting.reread = true;
        waiting.firstLoad = waiting.firstLoad || firstLoad;
        if (firstLoad) replaceConfig(standIn().config);
        settleWhenQuiet();
        return;
    }
    file_.remember(reading.look, reading.verdict != Verdict::unusable);
    unusableInPlace_.reset();
    AppConfig config;
    std::optional<LoadNotice> told;
    std::optional<LoadNotice> aside;
    enum class Write { nothing, config, configAndProfile } write = Write::nothing;
    std::optional<std::string> keepTakenOutAs;
    if (reading.verdict == Verdict::usable) {
        config = std::move(reading.config);
        // A level cut to six slots (nested ones too) is written cut at once,
        // so that the next start neither cuts nor tells again; the original
        // is kept first, and when that is impossible the file is left as it is.
        if (!reading.cut.empty()) {
            const auto kept = keepRejectedCopy(*reading.look.bytes);
            told = LoadNotice{LoadNotice::Kind::cut, joined(reading.cut, ", "), kept, configPath_, std::nullopt};
            if (kept) write = Write::configAndProfile;  // the user's own configuration, cut: mirrored like any save
            else unusableInPlace_ = UnusableInPlace{reading.look.bytes, std::nullopt, *told, true};
        }
    } else {
        StandIn stand = standIn();
        if (stand.clearActive) clearActiveProfile();
        config = std::move(stand.config);
        if (reading.verdict == Verdict::missing) {
            write = Write::config;
            // A first start has nothing to tell, unless a profile stands in.
            if (!firstLoad || stand.profileInUse)
                told = LoadNotice{LoadNotice::Kind::missing, "There is no file.", std::nullopt, configPath_,
                                  stand.profileInUse};
        } else {
            // Kept aside before anything replaces it; if that is impossible,
            // left alone, with the stand-in in memory only. A file that reads
            // as a configuration stays in place, its copy told, and is kept
            // itself by the save that replaces it.
            const auto kept = reading.leaveInPlace ? keepRejectedCopy(*reading.look.bytes)
                                                   : keepUnusable(reading, keepTakenOutAs);
            told = LoadNotice{reading.kind, reading.reason, kept, configPath_, stand.profileInUse};
            if (kept && !reading.leaveInPlace) write = Write::config;
            else unusableInPlace_ = UnusableInPlace{reading.look.bytes, kept, *told, true};
        }
    }
    if (write != Write::nothing) {
        const auto profile = write == Write::configAndProfile ? activeProfile() : std::nullopt;
        const ConfigFile::Saved saved = this->write(config, profile, keepTakenOutAs);
        if (saved.failure) platform::Log::write(platform::LogCategory::config, "[orbel-config] " + *saved.failure);
        if (keepTakenOutAs && told && !QFileInfo(QString::fromStdString(*keepTakenOutAs)).isFile()) {
            told->keptAt.reset();  // still in its place
            if (saved.failure) unusableInPlace_ = UnusableInPlace{reading.look.bytes, std::nullopt, *told, true};
        }
        if (!keepTakenOutAs) aside = keptAsideNotice(saved);
    }
    replaceConfig(std::move(config));
    for (auto* one : {&told, &aside})
        if (*one) notice(std::move(**one));
}

// MARK: notices

void ConfigManager::notice(LoadNotice notice) {
    // Kept until the user has answered it: a quit or a crash meanwhile
    // leaves it to the next start.
    KeptRecord::ToTell record{0,          int(notice.kind), notice.reason,         notice.keptAt,
                              notice.file, notice.profileInUse, notice.keptInUse};
    queue(file_.record().keepToTell(std::move(record)), std::move(notice));
}

void ConfigManager::queue(std::uint64_t id, LoadNotice notice) {
    // One at a time: the one shown is not replaced.
    if (loadNotice_) {
        laterNotices_.emplace_back(id, std::move(notice));
        return;
    }
    loadNotice_ = std::move(notice);
    loadNoticeId_ = id;
    Q_EMIT loadNoticeChanged();
}

void ConfigManager::tellUntold(std::vector<KeptRecord::ToTell> records) {
    for (auto& record : records) {
        if (record.kind > int(LoadNotice::Kind::notSaved)) {
            file_.record().answered(record.id);  // no notice this version tells
            continue;
        }
        LoadNotice told{LoadNotice::Kind(record.kind), std::move(record.reason), std::move(record.keptAt),
                        std::move(record.file), std::move(record.profileInUse), record.keptInUse};
        queue(record.id, std::move(told));
    }
}

void ConfigManager::clearLoadNotice(std::optional<std::uint64_t> answered) {
    if (!loadNotice_ || (answered && *answered != loadNoticeId_)) return;
    file_.record().answered(loadNoticeId_);
    loadNotice_.reset();
    if (laterNotices_.empty()) return;
    auto [id, next] = std::move(laterNotices_.front());
    laterNotices_.erase(laterNotices_.begin());
    queue(id, std::move(next));
}

void ConfigManager::tellLeftAside(const std::vector<std::string>& files) {
    if (files.empty()) return;
    const std::string names = namesOf(files);
    const bool one = files.size() == 1;
    LoadNotice told{LoadNotice::Kind::keptAside,
                    std::string(one ? "A save of " : "Saves of ") + configPath_ + " did not finish, and " +
                        (one ? "the file it replaced" : "the files they replaced") +
                        " may hold another program's save. In " + folderOf(files.front()) + ": " +
                        fileName(configPath_) + " holds the configuration in use; the replaced " +
                        (one ? "file is" : "files are") + " kept as " + names + ".",
                    files.front(), configPath_, std::nullopt};
    notice(std::move(told));
}

// MARK: files and names

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
    return datedCopyPath(configPath, secondsSince1970, attempt);
}

std::vector<std::string> ConfigManager::overfullLevels(const AppConfig& config) {
    std::vector<std::string> out;
    collectOverfull(config.rootGroup, "the main dial", out);
    for (const auto& [bundleId, group] : config.appMenus()) collectOverfull(group, "the dial for " + bundleId, out);
    return out;
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

void ConfigManager::switchToProfile(const std::string& name) { switchTo(name, std::nullopt); }

void ConfigManager::switchTo(const std::string& name, const std::optional<std::string>& storedLiveAs) {
    const AppConfig stored = profileStore_.load(name);
    std::optional<LoadNotice> cut;
    if (const auto levels = overfullLevels(stored); !levels.empty()) {
        // The switch writes the profile cut only once the original is kept.
        const std::string path = profileStore_.url(name);
        QFile file(QString::fromStdString(path));
        const auto kept = file.open(QIODevice::ReadOnly) ? ConfigFile::keepCopy(path, file.readAll()) : std::nullopt;
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
                                true, normalisedProfileName(name), cut && cut->keptAt, storedLiveAs});
        if (!refused && cut) self->notice(std::move(*cut));
    });
    if (refused) throw *refused;
}

void ConfigManager::switchToProfileKeepingLive(const std::string& name) {
    std::optional<std::string> storedLiveAs;
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
        // What config.json holds by then (another program's save, a hand
        // edit) goes into it with the switch.
        if (toImplicitDefault || !held) storeProfile(config_, *(storedLiveAs = freeDefaultName(names)));
    }
    switchTo(name, storedLiveAs);
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
