#pragma once

// The music hot key's recorder, without widgets: a click (or the host) starts
// a recording, the next key pressed with at least one of Ctrl, Alt, Shift or
// Super becomes the combination, Escape cancels, anything else is ignored.
// It judges nothing: whether the chord is free, and suspending the armed
// activation while it records, are the host's business.
//
// GUI thread only.

#include <QObject>
#include <cstdint>
#include <optional>
#include <string>

#include "model/key_combination.h"

namespace orbel {

class HotkeyRecorderModel : public QObject {
    Q_OBJECT
public:
    // idle shows the bound chord; recording "Press keys…"; captured the chord
    // just recorded (only between a capture and the end of its recording).
    enum class Look { idle, recording, captured };

    explicit HotkeyRecorderModel(KeyCombination hotkey = {}, QObject* parent = nullptr);

    const KeyCombination& hotkey() const { return hotkey_; }
    // The host's write; no signal but `displayChanged`.
    void setHotkey(const KeyCombination& hotkey);

    bool isRecording() const { return isRecording_; }
    // The host's flag: true starts a recording, false ends one without a result.
    void setRecording(bool recording);
    // The control's click.
    void toggle();
    // One key press while recording (key code, Carbon mask). Returns whether
    // the recorder took it, which it does for every key while recording.
    bool handleKey(std::uint16_t keyCode, std::uint32_t modifiers);

    Look look() const;
    std::string displayText() const;

    static constexpr std::uint16_t kEscape = 53;

Q_SIGNALS:
    void recordingChanged(bool recording);
    // Only after a successful recording, once `hotkey` holds the chord.
    void hotkeyRecorded(const orbel::KeyCombination& hotkey);
    void displayChanged();

private:
    void finish();
    KeyCombination hotkey_;
    bool isRecording_ = false;
    std::uint16_t recordedKeyCode_ = 0;
    std::uint32_t recordedModifiers_ = 0;
    bool hasValidCombination_ = false;
};

}  // namespace orbel
