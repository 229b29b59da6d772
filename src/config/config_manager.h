#pragma once

// Owner of the one live configuration: loads config.json (falling back to the
// built-in defaults and keeping a dated copy of a rejected file), validates,
// publishes every change, and writes the configuration and the active
// profile's file on its own serial queue.

#include <QObject>
#include <QPointer>
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
    void switchToProfile(const std::string& name);
    void ensureDefaultProfile();
    void deleteProfile(const std::string& name);
    void setProfileIcon(const std::string& name, const std::optional<SlotIcon>& icon);

    // The dated name a rejected configuration file is kept under.
    static std::string rejectedCopyPath(const std::string& configPath, double secondsSince1970);

Q_SIGNALS:
    void configWillChange();
    void configChanged();

private:
    friend platform::Shared<ConfigManager>;
    // The application's manager, made on first use.
    static ConfigManager& makeShared();

    enum class SaveTarget { configAndActiveProfile, configOnly };
    void saveTo(SaveTarget target);
    // Keeps a rejected file beside it before anything may overwrite it.
    // Returns false when no copy could be made.
    bool keepRejectedCopy(const QByteArray& bytes) const;
    bool moveAsideUnreadable() const;

    AppConfig config_;
    std::string configPath_;
    ProfileStore profileStore_;
    std::unique_ptr<platform::SerialQueue> saveQueue_;
};

}  // namespace orbel
