#include "settings/hotkey_recorder_model.h"

#include "input/hotkey_manager.h"

namespace orbel {

HotkeyRecorderModel::HotkeyRecorderModel(KeyCombination hotkey, QObject* parent)
    : QObject(parent), hotkey_(hotkey) {}

void HotkeyRecorderModel::setHotkey(const KeyCombination& hotkey) {
    if (hotkey_ == hotkey) return;
    hotkey_ = hotkey;
    Q_EMIT displayChanged();
}

void HotkeyRecorderModel::setRecording(bool recording) {
    if (recording == isRecording_) return;
    isRecording_ = recording;
    if (recording) {
        recordedKeyCode_ = 0;
        recordedModifiers_ = 0;
        hasValidCombination_ = false;
    }
    Q_EMIT recordingChanged(recording);
    Q_EMIT displayChanged();
}

void HotkeyRecorderModel::toggle() {
    if (isRecording_)
        finish();
    else
        setRecording(true);
}

bool HotkeyRecorderModel::handleKey(std::uint16_t keyCode, std::uint32_t modifiers) {
    if (!isRecording_) return false;
    const std::uint32_t mask =
        modifiers & (modifier::kCommand | modifier::kShift | modifier::kOption | modifier::kControl);
    if (keyCode == kEscape) {
        hasValidCombination_ = false;
        setRecording(false);
    } else if (mask != 0) {
        recordedKeyCode_ = keyCode;
        recordedModifiers_ = mask;
        hasValidCombination_ = true;
        finish();
    }
    return true;
}

void HotkeyRecorderModel::finish() {
    setRecording(false);
    if (!hasValidCombination_) return;
    // Never a mouse button, whatever the bound value had.
    hotkey_ = KeyCombination{recordedKeyCode_, recordedModifiers_, std::nullopt};
    Q_EMIT displayChanged();
    Q_EMIT hotkeyRecorded(hotkey_);
}

HotkeyRecorderModel::Look HotkeyRecorderModel::look() const {
    if (!isRecording_) return Look::idle;
    return hasValidCombination_ ? Look::captured : Look::recording;
}

std::string HotkeyRecorderModel::displayText() const {
    switch (look()) {
    case Look::idle:
        return hotkey_.displayString();
    case Look::recording:
        return "Press keys…";
    case Look::captured:
        return KeyCombination{recordedKeyCode_, recordedModifiers_, std::nullopt}.displayString();
    }
    return {};
}

void followRecording(HotkeyManager& hotkeys, bool recording, const ActivationMode& draftActivation) {
    if (recording)
        hotkeys.suspendActivation();
    else
        hotkeys.apply(draftActivation);
}

const std::vector<KeyCombination>& HotkeyConflict::fallbackAlternatives() {
    static const std::vector<KeyCombination> list{
        {49, modifier::kOption | modifier::kCommand, std::nullopt},
        {49, modifier::kControl | modifier::kOption, std::nullopt},
        {49, modifier::kShift | modifier::kOption, std::nullopt},
    };
    return list;
}

std::string HotkeyConflict::message() const {
    if (!conflicting) return {};
    return "The hotkey ‘" + conflicting->displayString() + "’ is already in use. Please choose an alternative:";
}

std::vector<KeyCombination> HotkeyConflict::buttons() const {
    const auto count = std::min<std::size_t>(alternatives.size(), kMaxButtons);
    return {alternatives.begin(), alternatives.begin() + static_cast<std::ptrdiff_t>(count)};
}

HotkeyConflict hotkeyConflict(HotkeyManager& hotkeys, const KeyCombination& taken) {
    auto alternatives = hotkeys.suggestAlternatives(taken);
    if (alternatives.empty()) alternatives = HotkeyConflict::fallbackAlternatives();
    return {taken, std::move(alternatives)};
}

std::optional<std::string> musicHotkeyRefusal(HotkeyManager& hotkeys, const KeyCombination& chord,
                                              const KeyCombination& tapHotkey) {
    if (chord != tapHotkey && !hotkeys.hasConflict(chord)) return std::nullopt;
    return "‘" + chord.displayString() + "’ is already in use. Pick a different shortcut for the music dial.";
}

}  // namespace orbel
