#include "music/system_volume_controller.h"

#include <QPointer>
#include <cmath>

namespace orbel {
namespace {

double clampLevel(double level) {
    if (!std::isfinite(level) || level <= 0) return 0;  // NaN counts as silent
    return level > 1 ? 1 : level;
}

}  // namespace

AudioOutputVolumeController::AudioOutputVolumeController(platform::AudioOutput& output) : output_(&output) {}

platform::AudioOutput& AudioOutputVolumeController::output() {
    if (!output_) output_ = &platform::AudioOutput::shared();
    return *output_;
}

void AudioOutputVolumeController::setLevel(double level) {
    const double v = clampLevel(level);
    publishLevel(v);
    pendingLevel_ = v;
    writePending();
}

void AudioOutputVolumeController::setMute(bool muted) {
    publishMute(muted);
    pendingMute_ = muted;
    writePending();
}

void AudioOutputVolumeController::writePending() {
    if (writing_ || !output().isAvailable()) {
        if (!output().isAvailable()) pendingLevel_.reset(), pendingMute_.reset();
        return;
    }
    QPointer<AudioOutputVolumeController> self(this);
    auto next = [self](bool) {
        if (!self) return;
        self->writing_ = false;
        self->writePending();
    };
    if (pendingLevel_) {
        const double v = *pendingLevel_;
        pendingLevel_.reset();
        writing_ = true;
        output().setVolume(v, next);
    } else if (pendingMute_) {
        const bool m = *pendingMute_;
        pendingMute_.reset();
        writing_ = true;
        output().setMuted(m, next);
    }
}

void AudioOutputVolumeController::startObserving() {
    if (listener_) return;
    readCurrent();
    listener_ = connect(&output(), &platform::AudioOutput::changed, this, [this] {
        // A write under way or queued is newer than what the server reports.
        if (!writing_ && !pendingLevel_ && !pendingMute_) readCurrent();
    });
}

void AudioOutputVolumeController::stopObserving() {
    disconnect(listener_);
    listener_ = {};
}

void AudioOutputVolumeController::readCurrent() {
    if (!output().isAvailable() || !output().defaultSink()) return;
    // Only what changed: the server reports many things besides these two.
    if (const double v = clampLevel(output().volume()); v != level_) publishLevel(v);
    if (const bool m = output().isMuted(); m != muted_) publishMute(m);
}

void AudioOutputVolumeController::publishLevel(double level) {
    level_ = level;
    Q_EMIT levelChanged(level);
}

void AudioOutputVolumeController::publishMute(bool muted) {
    muted_ = muted;
    Q_EMIT muteChanged(muted);
}

AudioOutputVolumeController& AudioOutputVolumeController::makeShared() {
    return platform::processLifetimeInstance<AudioOutputVolumeController>();
}

}  // namespace orbel
