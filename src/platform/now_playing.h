#pragma once

#include <functional>
#include <optional>
#include <string>

#include <QByteArray>

#include "platform/shared_instance.h"

namespace orbel::platform {

// What a media player reports about its current track. Every field may be
// missing; the music service decides what a usable track is.
struct NowPlayingInfo {
    std::optional<std::string> title;
    std::optional<std::string> artist;  // several artists joined with ", "
    std::optional<std::string> album;
    std::optional<bool> isPlaying;
    std::optional<double> playbackRate;
    std::optional<std::string> bundleId;  // the player's desktop entry id
    // At most kArtworkPixels a side: the music disc's label at its largest
    // on a screen of pixel ratio two.
    std::optional<QByteArray> artworkPng;
    static constexpr int kArtworkPixels = 512;

    bool operator==(const NowPlayingInfo&) const = default;
};

// The media players of the session. One player is "current": the one that is
// playing, else the one that changed last. GUI thread only; handlers run on
// the GUI thread.
class NowPlaying : public Shared<NowPlaying> {
public:
    using TrackHandler = std::function<void(std::optional<NowPlayingInfo>)>;
    virtual ~NowPlaying() = default;

    // Installed once by the music service. The track handler receives the
    // current player's track whenever it changes (nothing when the last
    // player went away); the no-track handler runs when players cannot be
    // reached at all.
    virtual void setTrackHandler(TrackHandler handler) = 0;
    virtual void setNoTrackHandler(std::function<void()> handler) = 0;
    // Starts following the players. Idempotent.
    virtual void startListening() = 0;
    // Answers, later, with the current player's track.
    virtual void fetch(TrackHandler completion) = 0;

    // Sent to the current player without waiting for it. False when there is
    // no player to send to.
    virtual bool togglePlayPause() = 0;
    virtual bool nextTrack() = 0;
    virtual bool previousTrack() = 0;

private:
    friend Shared<NowPlaying>;
    static NowPlaying& makeShared();
};

}  // namespace orbel::platform
