#pragma once

// The settings control that shows the music hot key and, when clicked,
// records a new one. While it records, every key press in the program goes to
// it (Ctrl+Q, Return in a dialog and the like do not fire); it stops on a
// chord, on Escape, on a second click, when the host clears the flag, and
// when it is hidden or another program's window becomes the active one.
// GUI thread only.

#include "input/key_monitor.h"
#include "input/recorder_button.h"
#include "settings/hotkey_recorder_model.h"

namespace orbel {

class HotkeyRecorderView : public RecorderButton {
    Q_OBJECT
public:
    explicit HotkeyRecorderView(const KeyCombination& hotkey = {}, QWidget* parent = nullptr);

    HotkeyRecorderModel& model() { return model_; }
    const KeyCombination& hotkey() const { return model_.hotkey(); }
    void setHotkey(const KeyCombination& hotkey) { model_.setHotkey(hotkey); }
    bool isRecording() const { return model_.isRecording(); }
    // The host's flag: true starts a recording, false ends it without a result.
    void setRecording(bool recording) { model_.setRecording(recording); }

Q_SIGNALS:
    void hotkeyRecorded(const orbel::KeyCombination& hotkey);
    void recordingChanged(bool recording);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void refresh();
    HotkeyRecorderModel model_;
    KeyMonitor monitor_;
};

}  // namespace orbel
