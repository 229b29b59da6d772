#pragma once

// Owner of the one live configuration: loads config.json (falling back to the
// built-in defaults and keeping a dated copy of a rejected file), validates,
// publishes every change, and writes the configuration and the active
// profile's file on its own serial queue.

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/config_error.h"
#include "config/profile_store.h"
#include "model/app_config.h"
#include "platform/key_value_store.h"
#include "platform/serial_queue.h"
#include "platform/shared_instance.h"

namespace orbel {

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
    // Publishes a new configuration. Not saved until save() is called.
    void setConfig(AppConfig config);
    // The one way a screen changes the configuration: `edit` runs on a copy,
    // the copy is validated, and only a valid copy is published once and
    // saved once. On a validation error nothing changes and the first error
    // comes back for the screen to show (a saved invalid file would make the
    // next start replace everything with the defaults).
    std::optional<ConfigError> change(const std::function<void(AppConfig&)>& edit);

    const std::string& configPath() const { return configPath_; }
    // The profile store, once every save queued so far has been written: what
    // a caller reads or writes next is never overtaken by an older save.
    const ProfileStore& profileStore() const;
    std::optional<std::string> activeProfile() const;
    // No profile active any more (a replace restore starts with this).
    void clearActiveProfile();

    void ensureConfigDirectory() const;
    void load();
    // Writes the current configuration, and the active profile's file, on
    // the save queue. Returns at once.
    void save();
    // Waits until every save queued so far has been written.
    void flushSaves();

    std::vector<ConfigError> validate(const std::optional<AppConfig>& config = std::nullopt) const;
    static std::vector<ConfigError> validateSlots(const std::vector<SlotConfig>& slots);
    static MenuGroup normaliseGroup(const MenuGroup& group);
    // The root group and every per-app menu cut to six slots per level.
    static AppConfig normalise(const AppConfig& config);

    // Edits of the root group; out-of-range indices and a full root group
    // change nothing.
    void addSlot(const SlotConfig& slot, std::optional<int> index = std::nullopt);
    void updateSlot(int index, const SlotConfig& slot);
    void swapSlots(int a, int b);
    void setAppMenu(const std::optional<MenuGroup>& group, const std::string& bundleId);
    void applyConfig(const AppConfig& config);

    // Profiles. These throw ProfileStoreError (and ProfileMutationError).
    // A profile with a level of more than six slots is published cut and
    // rewritten cut: its file is kept beside it first, and a notice says so.
    void switchToProfile(const std::string& name);
    // The switch the dial's profile slots make. While no profile is active
    // the live configuration may be stored nowhere but config.json, which
    // the switch overwrites: unless a profile holds it already, it is first
    // kept as "Default" (as ensureDefaultProfile does), so that switching
    // back finds it; when that save fails (six profiles exist) the switch
    // does not happen. A profile that cannot be loaded changes nothing.
    void switchToProfileKeepingLive(const std::string& name);
    void ensureDefaultProfile();
    void deleteProfile(const std::string& name);
    void setProfileIcon(const std::string& name, const std::optional<SlotIcon>& icon);

    // The dated name a rejected configuration file is kept under.
    static std::string rejectedCopyPath(const std::string& configPath, double secondsSince1970);

    // What the last load had to do to a file it could not use as written,
    // for the application to tell the user: why, and where the original was
    // kept. Nothing after a clean load.
    struct LoadNotice {
        enum class Kind {
            unreadable,  // the file could not be read; the defaults are in use
            rejected,    // it did not decode, or failed validation; the defaults are in use
            cut,         // a dial level held more than six slots; the first six are in use
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
        bool operator==(const LoadNotice&) const = default;
    };
    const std::optional<LoadNotice>& loadNotice() const { return loadNotice_; }
    void clearLoadNotice() { loadNotice_.reset(); }

    // "the main dial (8 slots)", "the group \"Apps\" (7 slots)", ...: each
    // level of the configuration that holds more than six slots.
    static std::vector<std::string> overfullLevels(const AppConfig& config);

    // Counts the times the configuration was replaced under the screens (a
    // load or Reload, a profile switch, a restore, an outside edit taken in).
    // A sheet or tab keeps the value it opened with and never saves a draft
    // made before a replacement.
    std::uint64_t generation() const { return generation_; }

Q_SIGNALS:
    void configWillChange();
    void configChanged();
    // After configChanged(), when the change replaced the configuration
    // rather than applied a screen's edit (see generation()).
    void configReplaced();
    // A load left a notice (see loadNotice()).
    void loadNoticeChanged();

private:
    friend platform::Shared<ConfigManager>;
    // The application's manager, made on first use.
    static ConfigManager& makeShared();

    enum class SaveTarget { configAndActiveProfile, configOnly };
    void saveTo(SaveTarget target);
    // Keeps a rejected file beside it before anything may overwrite it.
    // Returns where, or nothing when no copy could be made.
    static std::optional<std::string> keepCopy(const std::string& path, const QByteArray& bytes);
    std::optional<std::string> keepRejectedCopy(const QByteArray& bytes) const { return keepCopy(configPath_, bytes); }
    std::optional<std::string> moveAsideUnreadable() const;
    void notice(LoadNotice notice);
    void notice(LoadNotice::Kind kind, std::string reason, std::optional<std::string> keptAt) {
        notice(LoadNotice{kind, std::move(reason), std::move(keptAt), configPath_});
    }

    // Publishes a configuration that replaces the one the screens edit.
    void replaceConfig(AppConfig config);

    AppConfig config_;
    std::uint64_t generation_ = 0;
    std::string configPath_;
    ProfileStore profileStore_;
    std::unique_ptr<platform::SerialQueue> saveQueue_;
    std::optional<LoadNotice> loadNotice_;
};

}  // namespace orbel
