#pragma once

// The system output volume and mute for the music dial's volume wedge.
//
// The interface never waits for the sound server: `setLevel` and `setMute`
// publish the new value at once, and the writes follow, coalesced, so a fast
// drag sends only the newest level while one write is under way. While
// observing, changes made elsewhere (keys, other programs, a new default
// output) are published too. Everything runs and publishes on the GUI thread.

#include <QMetaObject>
#include <QObject>
#include <optional>

#include "dial/dial_mode_provider.h"
#include "platform/audio_output.h"
#include "platform/shared_instance.h"

namespace orbel {

// The controller over the session's sound server.
class AudioOutputVolumeController final : public SystemVolumeController,
                                          public platform::Shared<AudioOutputVolumeController> {
    Q_OBJECT
public:
    // Over the session's sound server, reached the first time it is needed.
    AudioOutputVolumeController() = default;
    explicit AudioOutputVolumeController(platform::AudioOutput& output);

    double level() const override { return level_; }
    bool isMuted() const override { return muted_; }
    void setLevel(double level) override;
    void setMute(bool muted) override;
    void startObserving() override;
    void stopObserving() override;

private:
    friend platform::Shared<AudioOutputVolumeController>;
    static AudioOutputVolumeController& makeShared();

    void publishLevel(double level);
    void publishMute(bool muted);
    void readCurrent();
    void writePending();

    platform::AudioOutput& output();

    platform::AudioOutput* output_ = nullptr;
    double level_ = 0.5;
    bool muted_ = false;
    QMetaObject::Connection listener_;
    std::optional<double> pendingLevel_;
    std::optional<bool> pendingMute_;
    bool writing_ = false;  // one write at a time; the next takes what is pending then
};

}  // namespace orbel
