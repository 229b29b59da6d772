#pragma once

// Captures the next key press (and, on request, the next right or extra
// mouse-button press) inside the program's own windows while a recording
// runs, and takes every such event so that it reaches no control. Used by the
// menu key recorder and the chord rows of the keystroke editor. GUI thread only.

#include <QObject>
#include <functional>
#include <memory>

#include "input/local_event_monitor.h"

namespace orbel {

class KeyMonitor : public QObject {
    Q_OBJECT
public:
    KeyMonitor() = default;
    ~KeyMonitor() override;

    // Set before `start`.
    std::function<void(const LocalInput& input)> onChord;
    bool capturesMouseButtons = false;

    bool isRecording() const { return isRecording_; }

    // `start` does nothing while a capture is installed; `stop` does nothing
    // when idle. Both are safe inside `onChord`.
    void start();
    void stop();

Q_SIGNALS:
    void recordingChanged(bool recording);

private:
    bool isRecording_ = false;
    std::unique_ptr<LocalEventMonitor> monitor_;
};

}  // namespace orbel
