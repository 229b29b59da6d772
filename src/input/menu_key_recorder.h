#pragma once

// The settings' button that shows a key combination and records a new one:
// a click arms it, the next key (any key, Escape included) or right or extra
// mouse button becomes the combination, and it disarms itself. A second
// click or hiding it cancels. GUI thread only.

#include <functional>

#include "input/key_monitor.h"
#include "input/recorder_button.h"
#include "model/key_combination.h"

namespace orbel {

class MenuKeyRecorder : public RecorderButton {
public:
    explicit MenuKeyRecorder(QWidget* parent = nullptr);

    const KeyCombination& key() const { return key_; }
    void setKey(const KeyCombination& key);
    // Told of every newly recorded combination.
    std::function<void(const KeyCombination& key)> onChange;

    bool isRecording() const { return monitor_.isRecording(); }
    // One captured input; what the monitor calls.
    void record(const LocalInput& input);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void refresh();
    KeyCombination key_;
    KeyMonitor monitor_;
};

}  // namespace orbel
