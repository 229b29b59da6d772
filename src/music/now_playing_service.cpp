#include "music/now_playing_service.h"

#include <QPointer>

namespace orbel {

NowPlayingState makeNowPlayingState(const std::optional<platform::NowPlayingInfo>& info) {
    if (!info) return NowPlayingState::idle();
    auto nonEmpty = [](const std::optional<std::string>& s) { return s && !s->empty() ? s : std::nullopt; };
    const auto title = nonEmpty(info->title), artist = nonEmpty(info->artist), album = nonEmpty(info->album);
    if (!title || !artist) return NowPlayingState::idle();
    const bool playing = info->isPlaying ? *info->isPlaying : (info->playbackRate && *info->playbackRate > 0);
    Track track;
    track.id = info->bundleId.value_or("") + "|" + *title + "|" + *artist + "|" + album.value_or("");
    track.title = *title;
    track.artist = *artist;
    track.album = album;
    if (info->artworkPng) track.artworkData.emplace(info->artworkPng->begin(), info->artworkPng->end());
    track.sourceBundleId = info->bundleId;
    return playing ? NowPlayingState::playing(std::move(track)) : NowPlayingState::paused(std::move(track));
}

LiveMusicNowPlayingService::LiveMusicNowPlayingService(platform::NowPlaying& players) : players_(players) {
    QPointer<LiveMusicNowPlayingService> self(this);
    players_.setTrackHandler([self](std::optional<platform::NowPlayingInfo> info) {
        if (self) self->publish(makeNowPlayingState(info));
    });
    players_.setNoTrackHandler([self] {
        if (self) self->publish(NowPlayingState::unavailable());
    });
}

void LiveMusicNowPlayingService::startObserving() {
    if (observing_) return;
    observing_ = true;
    players_.startListening();
}

void LiveMusicNowPlayingService::send(TransportCommand command) {
    switch (command) {
    case TransportCommand::toggle: players_.togglePlayPause(); break;
    case TransportCommand::next: players_.nextTrack(); break;
    case TransportCommand::prev: players_.previousTrack(); break;
    }
}

void LiveMusicNowPlayingService::refresh() {
    QPointer<LiveMusicNowPlayingService> self(this);
    players_.fetch([self](std::optional<platform::NowPlayingInfo> info) {
        if (self) self->publish(makeNowPlayingState(info));
    });
}

void LiveMusicNowPlayingService::publish(NowPlayingState state) {
    state_ = std::move(state);
    Q_EMIT stateChanged(state_);
}

LiveMusicNowPlayingService& LiveMusicNowPlayingService::makeShared() {
    return platform::processLifetimeInstance<LiveMusicNowPlayingService>();
}

}  // namespace orbel
