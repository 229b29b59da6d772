#pragma once

// The music hot key's recorder, without widgets: a click (or the host) starts
// a recording, the next key pressed with at least one of Ctrl, Alt, Shift or
// Super becomes the combination, Escape cancels, anything else is ignored.
// It judges nothing: whether the chord is free is the host's business, and
// the host's rules live below it in this file.
//
// GUI thread only.

#include <QObject>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/activation_mode.h"
#include "model/key_combination.h"

namespace orbel {

class HotkeyManager;

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

// ---- The host's rules for what the recorders give it.

// While any binding recorder records, the armed activation is dropped (so
// the chord being pressed does not open the dial); when it stops, the
// activation the drafts describe is armed again.
void followRecording(HotkeyManager& hotkeys, bool recording, const ActivationMode& draftActivation);

// The "Hotkey Conflict" alert for a chord that is taken.
struct HotkeyConflict {
    std::optional<KeyCombination> conflicting;
    // Every free alternative known (up to five), else the fallback list.
    std::vector<KeyCombination> alternatives;

    static constexpr int kMaxButtons = 3;
    static const std::vector<KeyCombination>& fallbackAlternatives();
    static std::string title() { return "Hotkey Conflict"; }
    // Empty without a conflicting chord.
    std::string message() const;
    // The suggestion buttons: the first three alternatives.
    std::vector<KeyCombination> buttons() const;
};

// Asks the manager for free alternatives to `taken`.
HotkeyConflict hotkeyConflict(HotkeyManager& hotkeys, const KeyCombination& taken);

// Why a recorded music hot key cannot be used: it is the tap hot key, or
// another client (or the manager) holds it. None when it is free.
std::optional<std::string> musicHotkeyRefusal(HotkeyManager& hotkeys, const KeyCombination& chord,
                                              const KeyCombination& tapHotkey);

}  // namespace orbel
