#pragma once

// What the session is playing, as music mode sees it, and the transport
// commands sent to the player. The service turns the raw reports of the
// session's media players into `NowPlayingState` values and publishes them
// on the GUI thread; it listens from the first `startObserving` until the
// process ends.

#include <QObject>
#include <optional>
#include <string>

#include "dial/center_content.h"
#include "model/transport_command.h"
#include "platform/now_playing.h"
#include "platform/shared_instance.h"

namespace orbel {

// A player's report turned into a state: no usable title or artist is idle.
NowPlayingState makeNowPlayingState(const std::optional<platform::NowPlayingInfo>& info);

class MusicNowPlayingService : public QObject {
    Q_OBJECT
public:
    virtual NowPlayingState currentState() const = 0;
    virtual void startObserving() = 0;
    virtual void send(TransportCommand command) = 0;
    virtual void refresh() = 0;

Q_SIGNALS:
    // Every state published after the current one; read `currentState` when
    // subscribing.
    void stateChanged(const orbel::NowPlayingState& state);
};

class LiveMusicNowPlayingService final : public MusicNowPlayingService,
                                         public platform::Shared<LiveMusicNowPlayingService> {
    Q_OBJECT
public:
    explicit LiveMusicNowPlayingService(platform::NowPlaying& players = platform::NowPlaying::shared());

    NowPlayingState currentState() const override { return state_; }
    void startObserving() override;
    void send(TransportCommand command) override;
    void refresh() override;

private:
    friend platform::Shared<LiveMusicNowPlayingService>;
    static LiveMusicNowPlayingService& makeShared();
    void publish(NowPlayingState state);

    platform::NowPlaying& players_;
    bool observing_ = false;
    NowPlayingState state_ = NowPlayingState::idle();
};

}  // namespace orbel
