#include "settings/hotkey_recorder_model.h"

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

}  // namespace orbel
