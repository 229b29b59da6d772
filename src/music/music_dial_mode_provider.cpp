#include "music/music_dial_mode_provider.h"

#include "music/system_volume_controller.h"

namespace orbel {

MusicDialModeProvider::MusicDialModeProvider(MusicNowPlayingService& service, SystemVolumeController& volume,
                                             LastPlayedCache& cache)
    : service_(service),
      volume_(volume),
      cache_(cache),
      toggle_(std::make_shared<TransportSlot>("Play/Pause", TransportCommand::toggle, service)),
      next_(std::make_shared<TransportSlot>("Next", TransportCommand::next, service)),
      prev_(std::make_shared<TransportSlot>("Previous", TransportCommand::prev, service)),
      volumeSlot_(std::make_shared<VolumeScrubMenuSlot>()),
      center_(CenterContent::albumArt(nullptr, "Nothing playing", "", false)) {}

std::vector<MenuSlotPtr> MusicDialModeProvider::slots() const { return {toggle_, next_, volumeSlot_, prev_}; }

void MusicDialModeProvider::activate() {
    service_.startObserving();
    volume_.startObserving();
    for (auto& c : subs_) disconnect(c);
    subs_.clear();
    subs_.push_back(connect(&service_, &MusicNowPlayingService::stateChanged, this,
                            [this](const NowPlayingState& state) { applyNowPlaying(state); }));
    auto volumeChanged = [this] { applyVolume(volume_.level(), volume_.isMuted()); };
    subs_.push_back(connect(&volume_, &SystemVolumeController::levelChanged, this, volumeChanged));
    subs_.push_back(connect(&volume_, &SystemVolumeController::muteChanged, this, volumeChanged));
    // What the two sources hold now, as a new subscriber would receive it.
    applyNowPlaying(service_.currentState());
    volumeChanged();
    service_.refresh();
}

void MusicDialModeProvider::deactivate() {
    for (auto& c : subs_) disconnect(c);
    subs_.clear();
    volume_.stopObserving();
}

std::shared_ptr<const QImage> MusicDialModeProvider::artworkImage(const std::optional<std::vector<unsigned char>>& data) {
    if (!data || data->empty()) return nullptr;
    if (*data != artworkBytes_) {
        artworkBytes_ = *data;
        QImage image;
        artwork_ = image.loadFromData(data->data(), int(data->size())) ? std::make_shared<const QImage>(std::move(image))
                                                                       : nullptr;
    }
    return artwork_;
}

void MusicDialModeProvider::applyNowPlaying(const NowPlayingState& state) {
    using Kind = NowPlayingState::Kind;
    const bool playing = state.kind == Kind::playing;
    toggle_->isPlaying = playing;
    if (state.track) {
        const Track& t = *state.track;
        center_ = CenterContent::albumArt(artworkImage(t.artworkData), t.title, t.artist, playing);
        cache_.save(t);
    } else if (state.kind == Kind::idle) {
        if (auto last = cache_.load())
            center_ = CenterContent::albumArt(artworkImage(last->artworkData), last->title, last->artist, false);
        else
            center_ = CenterContent::albumArt(nullptr, "", "", false);
    } else {
        center_ = CenterContent::albumArt(nullptr, "", "", false);
    }
    Q_EMIT changed();
}

void MusicDialModeProvider::applyVolume(double level, bool muted) {
    volumeSlot_->level = level;
    volumeSlot_->muted = muted;
    Q_EMIT changed();
}

MusicDialModeProvider& MusicDialModeProvider::makeShared() {
    static auto* provider = new MusicDialModeProvider(LiveMusicNowPlayingService::shared(),
                                                      AudioOutputVolumeController::shared(), LastPlayedCache::shared());
    return *provider;
}

}  // namespace orbel
