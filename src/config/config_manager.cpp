#include "config/config_manager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <charconv>

#include "config/atomic_file.h"
#include "model/json_writer.h"
#include "model/overloaded.h"
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

// Seconds as the shortest decimal that reads back as the same double, always
// with a point: 1700000000.5, 1700000000.0.
std::string secondsText(double seconds) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, seconds, std::chars_format::fixed);
    std::string out(buf, res.ptr);
    if (out.find('.') == std::string::npos) out += ".0";
    return out;
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
      profileStore_(profileStore ? std::move(*profileStore) : ProfileStore()),
      saveQueue_(platform::makeSerialQueue("orbel.config.save")) {
    ensureConfigDirectory();
    load();
}

ConfigManager::~ConfigManager() {
    // Queued writes hold their own copies; let them finish before the queue goes.
    saveQueue_->flush();
}

ConfigManager& ConfigManager::makeShared() {
    ConfigManager& manager = platform::processLifetimeInstance<ConfigManager>();
    setCurrent(&manager);  // what the profile slots reach
    return manager;
}

ConfigManager* ConfigManager::current() { return currentManager().data(); }
void ConfigManager::setCurrent(ConfigManager* manager) { currentManager() = manager; }

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

std::optional<ConfigError> ConfigManager::change(const std::function<void(AppConfig&)>& edit) {
    AppConfig next = config_;
    edit(next);
    if (auto errors = validate(next); !errors.empty()) return errors.front();
    setConfig(std::move(next));
    save();
    return std::nullopt;
}

const ProfileStore& ConfigManager::profileStore() const {
    saveQueue_->flush();
    return profileStore_;
}

std::optional<std::string> ConfigManager::activeProfile() const {
    return platform::KeyValueStore::shared().string(kActiveProfileKey);
}

void ConfigManager::clearActiveProfile() { platform::KeyValueStore::shared().remove(kActiveProfileKey); }

void ConfigManager::ensureConfigDirectory() const {
    const QString dir = QFileInfo(QString::fromStdString(configPath_)).absolutePath();
    if (!QFileInfo::exists(dir)) QDir().mkpath(dir);
}

std::string ConfigManager::rejectedCopyPath(const std::string& configPath, double secondsSince1970) {
    return configPath + ".backup." + secondsText(secondsSince1970);
}

std::optional<std::string> ConfigManager::keepCopy(const std::string& original, const QByteArray& bytes) {
    const std::string path = rejectedCopyPath(original, platform::Clock::shared().secondsSince1970());
    QFile copy(QString::fromStdString(path));
    if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate)) return std::nullopt;
    const bool ok = copy.write(bytes) == bytes.size();
    copy.close();
    if (!ok || copy.error() != QFileDevice::NoError) return std::nullopt;
    return path;
}

std::optional<std::string> ConfigManager::moveAsideUnreadable() const {
    const std::string path = rejectedCopyPath(configPath_, platform::Clock::shared().secondsSince1970());
    if (!QFile::rename(QString::fromStdString(configPath_), QString::fromStdString(path))) return std::nullopt;
    return path;
}

void ConfigManager::notice(LoadNotice notice) {
    loadNotice_ = std::move(notice);
    Q_EMIT loadNoticeChanged();
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

void ConfigManager::load() {
    flushSaves();  // read what the last save wrote, not what it replaces
    loadNotice_.reset();
    const QString path = QString::fromStdString(configPath_);
    if (!QFileInfo::exists(path)) {
        replaceConfig(AppConfig::defaultConfig());
        saveTo(SaveTarget::configOnly);
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // Put the unreadable file aside before the defaults replace it; if
        // that is impossible, leave it alone and keep the defaults in memory.
        replaceConfig(AppConfig::defaultConfig());
        const auto movedTo = moveAsideUnreadable();
        if (movedTo) saveTo(SaveTarget::configOnly);
        notice(LoadNotice::Kind::unreadable, file.errorString().toStdString(), movedTo);
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();

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
        const std::string name = QFileInfo(path).fileName().toStdString();
        for (const auto& line : corrections.lines())
            platform::Log::write(platform::LogCategory::config, "[orbel-config] " + name + ": " + line);
    }
    if (!decoded) {
        const auto kept = keepRejectedCopy(bytes);
        replaceConfig(AppConfig::defaultConfig());
        if (kept) saveTo(SaveTarget::configOnly);
        notice(LoadNotice::Kind::rejected, decodingError, kept);
        return;
    }

    AppConfig normalised = normalise(*decoded);

    if (const auto errors = validate(normalised); !errors.empty()) {
        replaceConfig(AppConfig::defaultConfig());
        std::vector<std::string> texts;
        for (const auto& error : errors) texts.push_back(error.what());
        notice(LoadNotice::Kind::rejected, joined(texts, "\n"), keepRejectedCopy(bytes));
        return;
    }
    replaceConfig(std::move(normalised));
    // A level cut to six slots (nested ones too) is written cut at once,
    // so that the next start neither cuts nor tells again; the original is
    // kept first, and when that is impossible the file is left as it is.
    if (const auto cut = overfullLevels(*decoded); !cut.empty()) {
        const auto kept = keepRejectedCopy(bytes);
        if (kept) save();  // the user's own configuration, cut: mirrored like any save
        notice(LoadNotice::Kind::cut, joined(cut, ", "), kept);
    }
}

void ConfigManager::save() { saveTo(SaveTarget::configAndActiveProfile); }

void ConfigManager::saveTo(SaveTarget target) {
    AppConfig copy = config_;
    std::optional<std::string> profile;
    if (target == SaveTarget::configAndActiveProfile) profile = activeProfile();
    saveQueue_->post([copy = std::move(copy), path = configPath_, profile, store = profileStore_] {
        const std::string bytes = copy.encodeDocument();
        (void)writeFileAtomically(path, bytes);  // a failure leaves the previous file; the next save retries
        if (profile) {
            try {
                store.save(copy, *profile);
            } catch (const std::exception&) {
                // The live configuration is already on disk; the profile
                // mirror catches up with the next save.
            }
        }
    });
}

void ConfigManager::flushSaves() { saveQueue_->flush(); }

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

void ConfigManager::addSlot(const SlotConfig& slot, std::optional<int> index) {
    const int count = static_cast<int>(config_.rootGroup.slots.size());
    if (count >= kSlotsPerLevel) return;
    AppConfig next = config_;
    auto& slots = next.rootGroup.slots;
    if (index && *index >= 0 && *index <= count) slots.insert(slots.begin() + *index, slot);
    else slots.push_back(slot);
    setConfig(std::move(next));
    save();
}

void ConfigManager::updateSlot(int index, const SlotConfig& slot) {
    if (index < 0 || index >= static_cast<int>(config_.rootGroup.slots.size())) return;
    AppConfig next = config_;
    next.rootGroup.slots[static_cast<std::size_t>(index)] = slot;
    setConfig(std::move(next));
    save();
}

void ConfigManager::swapSlots(int a, int b) {
    const int count = static_cast<int>(config_.rootGroup.slots.size());
    if (a < 0 || b < 0 || a >= count || b >= count || a == b) return;
    AppConfig next = config_;
    std::swap(next.rootGroup.slots[static_cast<std::size_t>(a)], next.rootGroup.slots[static_cast<std::size_t>(b)]);
    setConfig(std::move(next));
    save();
}

void ConfigManager::setAppMenu(const std::optional<MenuGroup>& group, const std::string& bundleId) {
    AppConfig next = config_;
    auto menus = next.appMenus();
    if (group) menus[bundleId] = *group;
    else menus.erase(bundleId);
    next.setAppMenus(menus);
    setConfig(std::move(next));
    save();
}

void ConfigManager::applyConfig(const AppConfig& config) {
    replaceConfig(normalise(config));
    save();
}

// MARK: profiles

void ConfigManager::switchToProfile(const std::string& name) {
    const AppConfig stored = profileStore().load(name);
    std::optional<LoadNotice> cut;
    if (const auto levels = overfullLevels(stored); !levels.empty()) {
        // The save below writes the profile cut: the original is kept first.
        const std::string path = profileStore().url(name);
        QFile file(QString::fromStdString(path));
        const auto kept = file.open(QIODevice::ReadOnly) ? keepCopy(path, file.readAll()) : std::nullopt;
        cut = LoadNotice{LoadNotice::Kind::cut, joined(levels, ", "), kept, path};
    }
    AppConfig loaded = normalise(stored);
    platform::KeyValueStore::shared().setString(kActiveProfileKey, name);
    QPointer<ConfigManager> self(this);
    platform::MainQueue::shared().postAndWait([self, loaded = std::move(loaded), cut = std::move(cut)]() mutable {
        if (!self) return;
        self->replaceConfig(std::move(loaded));
        self->save();
        if (cut) self->notice(std::move(*cut));
    });
}

void ConfigManager::switchToProfileKeepingLive(const std::string& name) {
    if (!activeProfile()) {
        if (name == kDefaultProfileName) {
            ensureDefaultProfile();
        } else {
            (void)profileStore().load(name);  // a missing profile throws before anything is written
            // A live configuration some profile already holds is not lost.
            const std::string live = config_.encodeDocument();
            bool stored = false;
            for (const auto& other : profileStore().list()) {
                try {
                    stored = stored || profileStore().load(other).encodeDocument() == live;
                } catch (const ProfileStoreError&) {
                }
            }
            if (!stored) ensureDefaultProfile();
        }
    }
    switchToProfile(name);
}

void ConfigManager::ensureDefaultProfile() {
    const auto names = profileStore().list();
    if (std::find(names.begin(), names.end(), kDefaultProfileName) == names.end()) {
        profileStore().save(config_, kDefaultProfileName);
    }
    if (!activeProfile()) platform::KeyValueStore::shared().setString(kActiveProfileKey, kDefaultProfileName);
}

void ConfigManager::deleteProfile(const std::string& name) {
    if (auto active = activeProfile(); active && *active == name) throw ProfileMutationError(name);
    profileStore().remove(name);
}

void ConfigManager::setProfileIcon(const std::string& name, const std::optional<SlotIcon>& icon) {
    const auto active = activeProfile();
    bool live = active && *active == name;
    if (!active && name == kDefaultProfileName) {
        const auto names = profileStore().list();
        if (std::find(names.begin(), names.end(), kDefaultProfileName) == names.end()) {
            AppConfig next = config_;
            next.profileIcon = icon;
            setConfig(std::move(next));
            save();
            return;
        }
    }
    if (live) {
        AppConfig next = config_;
        next.profileIcon = icon;
        setConfig(std::move(next));
        save();
    }
    AppConfig stored;
    try {
        stored = profileStore().load(name);
    } catch (const ProfileStoreError& e) {
        // A profile that exists but cannot be read is reported, not
        // overwritten with a copy of the live configuration.
        if (e.kind() != ProfileStoreError::Kind::notFound) throw;
        stored = config_;
    }
    stored.profileIcon = icon;
    profileStore().save(stored, name);
}

}  // namespace orbel
