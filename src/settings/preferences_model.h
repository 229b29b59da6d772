#pragma once

// The logic of the settings window, without widgets: which tab shows, the
// drafts of the activation binding and of the music hot key that the
// General tab edits, the recording flags (any recording suspends the armed
// activation; the end of the last one leaves the published one to be armed
// again; a recorder that leaves the screen, or the window closing or
// hidden, ends them, never the window's teardown), the window's alerts
// (hot-key error, hot-key conflict with suggestions, reset confirmation,
// import failure, a refused save) and every write of a settings control.
//
// Every write goes through `ConfigManager::change`: a change that fails
// validation is not published or saved, and its message is shown instead.
// A tap key another client holds is refused before it is stored. What is
// published is armed elsewhere (app/configuration_arming.h), whichever
// screen or program published it; Reset and Reload refresh every draft.
//
// One model per settings window, made when the window opens. GUI thread.

#include <QObject>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/activation_mode.h"
#include "model/app_config.h"
#include "model/key_combination.h"
#include "settings/settings_tab.h"

namespace orbel {

class ConfigManager;
class HotkeyManager;
class ImportCoordinator;
class LoginItemManager;

// An alert the window shows; the model decides what each button does.
struct SettingsAlert {
    enum class Kind { hotkeyError, hotkeyConflict, resetConfirm, importFailed, saveRefused };
    Kind kind;
    std::string title;
    std::string message;               // may be empty
    std::vector<std::string> buttons;  // in order; the last one is the cancel button
    int destructiveButton = -1;        // index of a destructive button, or -1
};

class PreferencesModel : public QObject {
    Q_OBJECT
public:
    PreferencesModel(ConfigManager& config, HotkeyManager& hotkeys, LoginItemManager& loginItem,
                     ImportCoordinator& import, QObject* parent = nullptr);
    ~PreferencesModel() override;

    // Option+Space, the default of every key draft.
    static KeyCombination defaultHotkey() { return {49, modifier::kOption, std::nullopt}; }
    // Offered when the hot-key manager finds no free alternative.
    static std::vector<KeyCombination> fallbackAlternatives();
    static constexpr std::size_t kMaxSuggestionButtons = 3;

    ConfigManager& configManager() const { return config_; }
    ImportCoordinator& importCoordinator() const { return import_; }
    const AppConfig& config() const;
    LoginItemManager& loginItem() const { return loginItem_; }

    // ---- Tabs. A backup handed to Orbel shows the Profiles tab.
    SettingsTab selectedTab() const { return selectedTab_; }
    void selectTab(SettingsTab tab);

    // ---- Drafts (read by the General tab).
    const KeyCombination& currentHotkey() const { return currentHotkey_; }
    const HoldBinding& tapBinding() const { return tapBinding_; }
    bool isHoldMode() const { return isHoldMode_; }
    const std::optional<HoldBinding>& holdBinding() const { return holdBinding_; }
    const KeyCombination& musicHotkeyDraft() const { return musicHotkeyDraft_; }
    bool musicHotkeyIsBound() const { return musicHotkeyIsBound_; }
    // Hold with the hold binding (or the tap binding when there is none), else tap.
    ActivationMode draftActivation() const;
    // Reads the activation and the music hot key of the configuration into
    // the drafts (what opening the window does, and what follows every
    // replacement of the configuration). A hold activation leaves the tap
    // drafts as they were: the configuration holds no tap binding then.
    void loadDraftsFromConfig();

    // ---- Recording. Turning any flag on suspends the activation; turning
    // the last one off resumes it. Nothing is stored here.
    bool isRecordingHotkey() const { return recordingHotkey_; }
    bool isRecordingHoldBinding() const { return recordingHoldBinding_; }
    bool isRecordingMusicHotkey() const { return recordingMusicHotkey_; }
    void setRecordingHotkey(bool recording);
    void setRecordingHoldBinding(bool recording);
    void setRecordingMusicHotkey(bool recording);
    // The window closed or hidden: every recording ends without a result.
    void endRecordings();

    // ---- General tab actions.
    void setHoldMode(bool hold);
    void tapBindingCaptured(const HoldBinding& binding);
    void holdBindingCaptured(const HoldBinding& binding);
    void resetHotkeyToDefault();
    // Stores `currentHotkey` as the tap hot key, or opens the conflict alert when it is taken.
    void commitCurrentHotkey();
    void musicHotkeyCaptured(const KeyCombination& combination);
    void clearMusicHotkey();
    // Shows the recorder with Option+Space, and starts it on the next turn.
    void beginMusicHotkeyRecording();
    void setShowInTray(bool show);
    void setOpenAtLogin(bool open);

    // ---- Dial size and appearance.
    void setDialSize(double value);
    // Writes one field of the appearance (colours are normalised first; a
    // colour the parser refuses is not stored and false comes back).
    bool setAppearance(const std::function<void(AppearanceConfig&)>& edit);
    bool setBackdropColor(const std::optional<std::string>& hex);
    bool setSlotColor(const std::optional<std::string>& hex);

    // ---- Advanced tab actions.
    enum class ControlKey { close, goBack };
    void setControlKey(ControlKey which, const KeyCombination& key);
    // The installed application's name for a desktop-entry id, or nothing.
    using AppNameLookup = std::function<std::optional<std::string>(const std::string& desktopId)>;
    // How the reset confirmation names the per-app dials it removes (by
    // their desktop-entry ids without it).
    void setAppNames(AppNameLookup names) { appNames_ = std::move(names); }
    // What Reset removes, the per-app dials by name when there are any.
    std::string resetMessage() const;
    void requestReset();
    void resetAllSettings();
    void reloadConfig();

    // ---- Conflicts and rebind requests.
    const std::optional<KeyCombination>& conflictingHotkey() const { return conflictingHotkey_; }
    const std::vector<KeyCombination>& suggestedAlternatives() const { return suggestedAlternatives_; }
    // Its Cancel arms the fallback when no activation input is armed, and
    // the alert names the chord when it is not Option+Space.
    void showConflict(const KeyCombination& combination);
    void chooseAlternative(std::size_t index);
    // The hot-key manager's "choose a different hot key" while the window is open.
    void handleRebindRequest(const KeyCombination& conflicting);
    // The window was opened to rebind: the General tab with the tap recorder recording.
    void beginRebind();

    // ---- Alerts.
    const std::optional<SettingsAlert>& alert() const { return alert_; }
    // The user closed the alert with button `index`.
    void answerAlert(int index);
    // The window closes: a conflict alert still up goes as its Cancel.
    void windowClosing();

    static std::string conflictMessage(const KeyCombination& combination,
                                       const std::optional<KeyCombination>& armedOnCancel = std::nullopt);
    static std::string musicTakenMessage(const KeyCombination& combination);

Q_SIGNALS:
    // Drafts, flags, the tab or the configuration changed.
    void changed();
    void alertChanged();

private:
    // Hands one change to the configuration manager; a refusal shows its message.
    bool change(const std::function<void(AppConfig&)>& edit);
    void handleRecordingChange(bool recording);
    bool isRecording() const { return recordingHotkey_ || recordingHoldBinding_ || recordingMusicHotkey_; }
    void loadMusicDraft();
    void followStoredConfig();
    void setAlert(std::optional<SettingsAlert> alert);
    void showImportError();

    ConfigManager& config_;
    HotkeyManager& hotkeys_;
    LoginItemManager& loginItem_;
    ImportCoordinator& import_;

    SettingsTab selectedTab_ = SettingsTab::general;
    KeyCombination currentHotkey_ = defaultHotkey();
    HoldBinding tapBinding_ = HoldBinding::keyCombination(defaultHotkey());
    bool recordingHotkey_ = false;
    bool isHoldMode_ = false;
    std::optional<HoldBinding> holdBinding_;
    bool recordingHoldBinding_ = false;
    std::optional<KeyCombination> conflictingHotkey_;
    std::vector<KeyCombination> suggestedAlternatives_;
    std::optional<KeyCombination> armedOnCancel_;  // what the conflict alert names
    KeyCombination musicHotkeyDraft_ = defaultHotkey();
    bool musicHotkeyIsBound_ = false;
    bool recordingMusicHotkey_ = false;
    std::optional<SettingsAlert> alert_;
    AppNameLookup appNames_;
};

}  // namespace orbel
