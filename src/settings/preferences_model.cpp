#include "settings/preferences_model.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include "settings/login_item_manager.h"
#include "config/config_manager.h"
#include "config/import_coordinator.h"
#include "input/hotkey_manager.h"
#include "model/appearance_settings.h"
#include "slots/alert_utility.h"

namespace orbel {
namespace {

std::string say(const char* text) { return QCoreApplication::translate("PreferencesView", text).toStdString(); }

}  // namespace

PreferencesModel::PreferencesModel(ConfigManager& config, HotkeyManager& hotkeys, LoginItemManager& loginItem,
                                   ImportCoordinator& import, QObject* parent)
    : QObject(parent), config_(config), hotkeys_(hotkeys), loginItem_(loginItem), import_(import) {
    connect(&config_, &ConfigManager::configChanged, this, &PreferencesModel::followStoredConfig);
    // A configuration replaced under the window (a profile switch, Reload, a
    // restore, an outside edit taken in) replaces the drafts too: a draft of
    // the one before is never written into the new one.
    connect(&config_, &ConfigManager::configReplaced, this, &PreferencesModel::loadDraftsFromConfig);
    connect(&loginItem_, &LoginItemManager::changed, this, &PreferencesModel::changed);
    connect(&hotkeys_, &HotkeyManager::rebindRequested, this, &PreferencesModel::handleRebindRequest);
    connect(&import_, &ImportCoordinator::errorMessageChanged, this, &PreferencesModel::showImportError);
    connect(&import_, &ImportCoordinator::pendingBackupChanged, this, [this] {
        if (import_.pendingBackup()) selectTab(SettingsTab::profiles);
        Q_EMIT changed();
    });
    if (import_.pendingBackup()) selectedTab_ = SettingsTab::profiles;
    loadDraftsFromConfig();
    showImportError();
}

std::vector<KeyCombination> PreferencesModel::fallbackAlternatives() {
    return {{49, 0x900, std::nullopt}, {49, 0x1800, std::nullopt}, {49, 0xA00, std::nullopt}};
}

const AppConfig& PreferencesModel::config() const { return config_.config(); }

void PreferencesModel::selectTab(SettingsTab tab) {
    if (tab == selectedTab_) return;
    selectedTab_ = tab;
    Q_EMIT changed();
}

// Drafts.

ActivationMode PreferencesModel::draftActivation() const {
    if (isHoldMode_) return ActivationMode::hold(holdBinding_.value_or(tapBinding_));
    return ActivationMode::tap(tapBinding_);
}

void PreferencesModel::loadDraftsFromConfig() {
    const ActivationMode& activation = config().activation;
    if (activation.isHold()) {
        isHoldMode_ = true;
        holdBinding_ = activation.binding;
    } else {
        isHoldMode_ = false;
        tapBinding_ = activation.binding;
        if (const auto* key = activation.binding.asKeyCombination()) currentHotkey_ = *key;
        holdBinding_.reset();
    }
    loadMusicDraft();
    Q_EMIT changed();
}

void PreferencesModel::followStoredConfig() {
    // The fields show what is stored, not an older draft: choosing Hold
    // stores the tap key as the hold key, and the hold field then shows it;
    // a music key stored by anyone shows at once. A recording keeps its own.
    const ActivationMode& activation = config().activation;
    if (!recordingHotkey_ && !recordingHoldBinding_ && activation.isHold() == isHoldMode_) {
        if (activation.isHold()) {
            holdBinding_ = activation.binding;
        } else {
            tapBinding_ = activation.binding;
            if (const auto* key = activation.binding.asKeyCombination()) currentHotkey_ = *key;
        }
    }
    if (!recordingMusicHotkey_) loadMusicDraft();
    Q_EMIT changed();
}

void PreferencesModel::loadMusicDraft() {
    const auto& music = config().musicHotkey;
    musicHotkeyDraft_ = music.value_or(defaultHotkey());
    musicHotkeyIsBound_ = music.has_value();
}

// Recording.

void PreferencesModel::setRecordingHotkey(bool recording) {
    if (recording == recordingHotkey_) return;
    recordingHotkey_ = recording;
    handleRecordingChange(recording);
}

void PreferencesModel::setRecordingHoldBinding(bool recording) {
    if (recording == recordingHoldBinding_) return;
    recordingHoldBinding_ = recording;
    handleRecordingChange(recording);
}

void PreferencesModel::setRecordingMusicHotkey(bool recording) {
    if (recording == recordingMusicHotkey_) return;
    recordingMusicHotkey_ = recording;
    handleRecordingChange(recording);
}

void PreferencesModel::endRecordings() {
    setRecordingHotkey(false);
    setRecordingHoldBinding(false);
    setRecordingMusicHotkey(false);
}

void PreferencesModel::handleRecordingChange(bool recording) {
    if (recording)
        hotkeys_.suspendActivation();
    else if (!isRecording())
        hotkeys_.resumeActivation();
    Q_EMIT changed();
}

// General tab.

bool PreferencesModel::change(const std::function<void(AppConfig&)>& edit) {
    const auto refused = config_.change(edit);
    if (!refused) return true;
    setAlert(SettingsAlert{SettingsAlert::Kind::saveRefused, say("Setting Not Saved"), refused->what(), {say("OK")}});
    Q_EMIT changed();  // the controls go back to what is saved
    return false;
}

void PreferencesModel::setHoldMode(bool hold) {
    if (hold == isHoldMode_) return;
    isHoldMode_ = hold;
    const ActivationMode activation = draftActivation();
    if (!change([activation](AppConfig& c) { c.activation = activation; })) isHoldMode_ = !hold;
    Q_EMIT changed();
}

void PreferencesModel::tapBindingCaptured(const HoldBinding& binding) {
    const auto* key = binding.asKeyCombination();
    if (!key || key->mouseButton) {
        if (!change([binding](AppConfig& c) { c.activation = ActivationMode::tap(binding); })) return;
        tapBinding_ = binding;
        Q_EMIT changed();
        return;
    }
    if (hotkeys_.hasConflict(*key)) return showConflict(*key);
    currentHotkey_ = *key;
    commitCurrentHotkey();
}

void PreferencesModel::holdBindingCaptured(const HoldBinding& binding) {
    if (!change([binding](AppConfig& c) { c.activation = ActivationMode::hold(binding); })) return;
    holdBinding_ = binding;
    Q_EMIT changed();
}

void PreferencesModel::resetHotkeyToDefault() {
    if (hotkeys_.hasConflict(defaultHotkey())) return showConflict(defaultHotkey());
    currentHotkey_ = defaultHotkey();
    tapBinding_ = HoldBinding::keyCombination(defaultHotkey());
    commitCurrentHotkey();
}

void PreferencesModel::commitCurrentHotkey() {
    const KeyCombination key = currentHotkey_;
    if (hotkeys_.hasConflict(key)) return showConflict(key);
    if (!change([key](AppConfig& c) { c.activation = ActivationMode::tap(HoldBinding::keyCombination(key)); })) return;
    tapBinding_ = HoldBinding::keyCombination(key);
    Q_EMIT changed();
}

void PreferencesModel::musicHotkeyCaptured(const KeyCombination& combination) {
    // The stored music key is our own grab: probing it again would call it taken.
    const bool own = config().musicHotkey == combination;
    const bool taken = combination == currentHotkey_ || (!own && hotkeys_.hasConflict(combination));
    if (!taken && change([combination](AppConfig& c) { c.musicHotkey = combination; })) {
        musicHotkeyDraft_ = combination;
        musicHotkeyIsBound_ = true;
        Q_EMIT changed();
        return;
    }
    if (taken)
        setAlert(SettingsAlert{SettingsAlert::Kind::hotkeyError, say("Hotkey Error"), musicTakenMessage(combination),
                               {say("OK")}});
    loadMusicDraft();
    Q_EMIT changed();
}

void PreferencesModel::clearMusicHotkey() {
    if (!change([](AppConfig& c) { c.musicHotkey.reset(); })) return;
    musicHotkeyIsBound_ = false;
    musicHotkeyDraft_ = defaultHotkey();
    Q_EMIT changed();
}

void PreferencesModel::beginMusicHotkeyRecording() {
    musicHotkeyDraft_ = defaultHotkey();
    musicHotkeyIsBound_ = true;
    Q_EMIT changed();
    QPointer<PreferencesModel> self(this);
    QMetaObject::invokeMethod(
        this, [self] { if (self) self->setRecordingMusicHotkey(true); }, Qt::QueuedConnection);
}

void PreferencesModel::setShowInTray(bool show) { change([show](AppConfig& c) { c.showInTray = show; }); }

void PreferencesModel::setOpenAtLogin(bool open) {
    loginItem_.setEnabled(open);
    Q_EMIT changed();
}

// Dial size and appearance.

void PreferencesModel::setDialSize(double value) {
    const double radius = appearance_settings::radiusFromDialSize(value);
    change([radius](AppConfig& c) { c.menuRadius = radius; });
}

bool PreferencesModel::setAppearance(const std::function<void(AppearanceConfig&)>& edit) {
    return change([edit](AppConfig& c) { edit(c.appearance); });
}

bool PreferencesModel::setBackdropColor(const std::optional<std::string>& hex) {
    std::optional<std::string> color;
    if (hex && !(color = appearance_settings::normalisedHexColor(*hex))) return false;
    return setAppearance([color](AppearanceConfig& a) { a.backdropColor = color; });
}

bool PreferencesModel::setSlotColor(const std::optional<std::string>& hex) {
    std::optional<std::string> color;
    if (hex && !(color = appearance_settings::normalisedHexColor(*hex))) return false;
    return setAppearance([color](AppearanceConfig& a) { a.slotColor = color; });
}

// Advanced tab.

void PreferencesModel::setControlKey(ControlKey which, const KeyCombination& key) {
    change([which, key](AppConfig& c) {
        (which == ControlKey::close ? c.controls.closeMenuKey : c.controls.goBackKey) = key;
    });
}

std::string PreferencesModel::resetMessage() const {
    const auto& overrides = config().appOverrides;
    if (overrides.empty())
        return say("This will remove your custom hotkey, dial slots, and appearance changes. This cannot be undone.");
    // At most five names, then how many more.
    constexpr std::size_t kNamed = 5;
    std::vector<std::string> names;
    for (const auto& entry : overrides) {
        if (names.size() == kNamed) break;
        const auto name = appNames_ ? appNames_(entry.first) : std::nullopt;
        names.push_back(name && !name->empty() ? *name : entry.first);
    }
    const std::size_t more = overrides.size() - names.size();
    if (more > 0) names.push_back(QString::fromStdString(say("%1 more")).arg(qulonglong(more)).toStdString());
    std::string list = names.front();
    for (std::size_t i = 1; i < names.size(); ++i) list += (i + 1 == names.size() ? say(" and ") : ", ") + names[i];
    const char* text = overrides.size() == 1
                           ? "This will remove your custom hotkey, dial slots, and appearance changes, and the "
                             "per-app dial for %1. This cannot be undone."
                           : "This will remove your custom hotkey, dial slots, and appearance changes, and the "
                             "per-app dials for %1. This cannot be undone.";
    return QString::fromStdString(say(text)).arg(QString::fromStdString(list)).toStdString();
}

void PreferencesModel::requestReset() {
    setAlert(SettingsAlert{SettingsAlert::Kind::resetConfirm, say("Reset all settings to defaults?"), resetMessage(),
                           {say("Reset"), say("Cancel")}, 0});
}

void PreferencesModel::resetAllSettings() {
    if (change([](AppConfig& c) { c = AppConfig::defaultConfig(); })) loadDraftsFromConfig();
}

void PreferencesModel::reloadConfig() {
    if (config_.load()) return loadDraftsFromConfig();
    // The file is still being written: the drafts follow it once it is read.
    connect(&config_, &ConfigManager::settled, this, &PreferencesModel::loadDraftsFromConfig,
            Qt::SingleShotConnection);
}

// Conflicts.

void PreferencesModel::showConflict(const KeyCombination& combination) {
    conflictingHotkey_ = combination;
    suggestedAlternatives_ = hotkeys_.suggestAlternatives(combination);
    if (suggestedAlternatives_.empty()) suggestedAlternatives_ = fallbackAlternatives();
    armedOnCancel_ = hotkeys_.armedOnCancel(combination);
    SettingsAlert alert{SettingsAlert::Kind::hotkeyConflict, say("Hotkey Conflict"),
                        conflictMessage(combination, armedOnCancel_), {}};
    const std::size_t shown = std::min(kMaxSuggestionButtons, suggestedAlternatives_.size());
    for (std::size_t i = 0; i < shown; ++i) alert.buttons.push_back(suggestedAlternatives_[i].displayString());
    alert.buttons.push_back(say("Choose Custom"));
    alert.buttons.push_back(say("Cancel"));
    setAlert(std::move(alert));
    Q_EMIT changed();
}

void PreferencesModel::chooseAlternative(std::size_t index) {
    if (index >= suggestedAlternatives_.size()) return;
    currentHotkey_ = suggestedAlternatives_[index];
    commitCurrentHotkey();
}

void PreferencesModel::handleRebindRequest(const KeyCombination& conflicting) { showConflict(conflicting); }

void PreferencesModel::beginRebind() {
    selectTab(SettingsTab::general);
    setRecordingHotkey(true);
}

std::string PreferencesModel::conflictMessage(const KeyCombination& combination,
                                              const std::optional<KeyCombination>& armedOnCancel) {
    std::string message =
        say("The hotkey ‘") + combination.displayString() + say("’ is already in use. Please choose an alternative:");
    if (armedOnCancel) message += "\n\n" + AlertUtility::cancelText(*armedOnCancel);
    return message;
}

std::string PreferencesModel::musicTakenMessage(const KeyCombination& combination) {
    return "‘" + combination.displayString() + say("’ is already in use. Pick a different shortcut for the music dial.");
}

// Alerts.

PreferencesModel::~PreferencesModel() {
    if (alert_ && alert_->kind == SettingsAlert::Kind::hotkeyConflict) hotkeys_.conflictShown(false);
}

void PreferencesModel::setAlert(std::optional<SettingsAlert> alert) {
    const auto conflict = [](const std::optional<SettingsAlert>& a) {
        return a && a->kind == SettingsAlert::Kind::hotkeyConflict;
    };
    // While the conflict is up nothing is armed in place of the taken key.
    if (conflict(alert_) != conflict(alert)) hotkeys_.conflictShown(conflict(alert));
    alert_ = std::move(alert);
    Q_EMIT alertChanged();
}

void PreferencesModel::showImportError() {
    if (alert_ && alert_->kind != SettingsAlert::Kind::importFailed) return;  // shown when the open one closes
    const auto& message = import_.errorMessage();
    if (!message) {
        if (alert_) setAlert(std::nullopt);
        return;
    }
    setAlert(SettingsAlert{SettingsAlert::Kind::importFailed, say("Import failed"), *message, {say("OK")}});
}

void PreferencesModel::windowClosing() {
    if (alert_ && alert_->kind == SettingsAlert::Kind::hotkeyConflict)
        answerAlert(static_cast<int>(alert_->buttons.size()) - 1);
}

void PreferencesModel::answerAlert(int index) {
    if (!alert_) return;
    const SettingsAlert answered = *alert_;
    setAlert(std::nullopt);
    const auto count = static_cast<int>(answered.buttons.size());
    switch (answered.kind) {
        case SettingsAlert::Kind::hotkeyConflict: {
            const int suggestions = count - 2;
            if (index >= 0 && index < suggestions) {
                chooseAlternative(static_cast<std::size_t>(index));
            } else if (index == suggestions) {
                selectTab(SettingsTab::general);
                setRecordingHotkey(true);
            } else if (conflictingHotkey_) {
                hotkeys_.armInstead(*conflictingHotkey_, armedOnCancel_);  // dismissed
            }
            break;
        }
        case SettingsAlert::Kind::resetConfirm:
            if (index == 0) resetAllSettings();
            break;
        case SettingsAlert::Kind::importFailed: import_.setErrorMessage(std::nullopt); break;
        case SettingsAlert::Kind::hotkeyError:
        case SettingsAlert::Kind::saveRefused: break;
    }
    if (!alert_ && import_.errorMessage()) showImportError();
}

}  // namespace orbel
