#pragma once

// The sheet in which the user types chords live: every key press of the
// application is captured while it listens (key repeats too, modifier keys
// alone never), Escape stops listening, "Done" hands the chords back as
// chord steps and closes, "Cancel" closes without reporting. Keys are read
// through an application event filter that takes them before any control
// or shortcut sees them; it is removed when listening stops or the sheet
// closes. Window-modal, opened with open(), deleted when closed.

#include <functional>
#include <vector>

#include "input/key_monitor.h"
#include "model/macro_step.h"
#include "sheets/macro_recorder_model.h"
#include "ui/sheet_frame.h"

class QLabel;

namespace orbel {

class MacroRecorderOverlay : public SlotEditChromeSheet {
    Q_OBJECT
public:
    explicit MacroRecorderOverlay(std::function<void(const std::vector<MacroStep>&)> onComplete,
                                  QWidget* parent = nullptr);
    ~MacroRecorderOverlay() override;

    const MacroRecorderModel& recorder() const { return model_; }
    bool isListening() const { return monitor_.isRecording(); }
    QPushButton* doneButton() const { return saveButton(); }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void handleKey(const LocalInput& input);
    void addRow(const KeyCombination& combo, std::size_t number);
    std::function<void(const std::vector<MacroStep>&)> onComplete_;
    MacroRecorderModel model_;
    KeyMonitor monitor_;
    QLabel* empty_;
};

}  // namespace orbel
