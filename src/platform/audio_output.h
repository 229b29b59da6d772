#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/shared_instance.h"

namespace orbel::platform {

struct AudioSink {
    std::string name;         // the server's sink name (stable key)
    std::string description;  // what a person reads

    bool operator==(const AudioSink&) const = default;
};

// The system's audio output: the default sink, its volume and mute, and the
// list of sinks. Getters return the last state the server reported and never
// wait; operations are sent without waiting and their completions (optional)
// run later on the GUI thread with whether the server accepted them. `changed`
// is emitted on the GUI thread whenever the reported state changes. The
// connection is made when the service is first used: actions go through
// `whenReady`, so the first one in a process is not lost to it.
// Call from the GUI thread.
class AudioOutput : public QObject, public Shared<AudioOutput> {
    Q_OBJECT
public:
    using Completion = std::function<void(bool ok)>;

    // How long `whenReady` waits for the sound server at most.
    static constexpr int kReadyTimeLimitMs = 3000;

    // Runs the task on the GUI thread (queued, never inside this call) once
    // the server's state has been read, or once it could not be within
    // kReadyTimeLimitMs (the task then finds no server and its operations fail).
    virtual void whenReady(std::function<void()> task) = 0;

    // True while connected to a sound server.
    virtual bool isAvailable() const = 0;
    virtual std::vector<AudioSink> sinks() const = 0;  // in the server's order
    virtual std::optional<std::string> defaultSink() const = 0;
    // The default sink's volume, 0 (silent) to 1 (full, no amplification);
    // louder than full reads as 1. 0 without a default sink.
    virtual double volume() const = 0;
    virtual bool isMuted() const = 0;

    // Sets the default sink's volume, clamped to 0...1, keeping the balance.
    virtual void setVolume(double level, Completion done = {}) = 0;
    // Moves the default sink's volume by `delta`, held to 0...1 (a sink already
    // louder than full is not turned down by a step up). A step up unmutes.
    virtual void changeVolume(double delta, Completion done = {}) = 0;
    virtual void setMuted(bool muted, Completion done = {}) = 0;
    virtual void toggleMute(Completion done = {}) = 0;
    virtual void setDefaultSink(const std::string& name, Completion done = {}) = 0;

private:
    friend Shared<AudioOutput>;
    static AudioOutput& makeShared();

Q_SIGNALS:
    void changed();
};

}  // namespace orbel::platform
