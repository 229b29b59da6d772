#include "input/key_monitor.h"

#include <QPointer>

namespace orbel {

KeyMonitor::~KeyMonitor() = default;

void KeyMonitor::start() {
    if (monitor_) return;
    isRecording_ = true;
    QPointer<KeyMonitor> self(this);
    monitor_ = std::make_unique<LocalEventMonitor>(capturesMouseButtons, [self](const LocalInput& input) {
        if (self && self->onChord) self->onChord(input);
    });
    Q_EMIT recordingChanged(true);
}

void KeyMonitor::stop() {
    if (!isRecording_) return;
    isRecording_ = false;
    // Usually called from inside the monitor's own handler: it stops taking
    // events at once and goes away on the next turn of the event loop.
    if (monitor_) {
        monitor_->setActive(false);
        monitor_.release()->deleteLater();
    }
    Q_EMIT recordingChanged(false);
}

}  // namespace orbel
