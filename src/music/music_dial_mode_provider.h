#pragma once

// The music dial: four fixed slots (play/pause at the top, next on the right,
// the volume wedge at the bottom, previous on the left) around the playing
// track's artwork. While active it follows the now-playing service and the
// system volume and emits `changed` once for every update it applies; the
// last track seen is remembered so the centre can show it when nothing plays.
// Lives for the process; GUI thread.

#include <QMetaObject>
#include <memory>

#include "dial/dial_mode_provider.h"
#include "music/last_played_cache.h"
#include "music/music_slots.h"
#include "music/now_playing_service.h"
#include "platform/shared_instance.h"

namespace orbel {

class MusicDialModeProvider final : public DialModeProvider, public platform::Shared<MusicDialModeProvider> {
    Q_OBJECT
public:
    MusicDialModeProvider(MusicNowPlayingService& service, SystemVolumeController& volume, LastPlayedCache& cache);

    std::vector<MenuSlotPtr> slots() const override;
    CenterContent currentCenterContent() const override { return center_; }
    void activate() override;
    void deactivate() override;

    void applyNowPlaying(const NowPlayingState& state);
    void applyVolume(double level, bool muted);

    const TransportSlot& toggleSlot() const { return *toggle_; }
    const VolumeScrubMenuSlot& volumeSlot() const { return *volumeSlot_; }

private:
    friend platform::Shared<MusicDialModeProvider>;
    static MusicDialModeProvider& makeShared();
    std::shared_ptr<const QImage> artworkImage(const std::optional<std::vector<unsigned char>>& data);

    MusicNowPlayingService& service_;
    SystemVolumeController& volume_;
    LastPlayedCache& cache_;
    std::shared_ptr<TransportSlot> toggle_, next_, prev_;
    std::shared_ptr<VolumeScrubMenuSlot> volumeSlot_;
    CenterContent center_;
    std::vector<QMetaObject::Connection> subs_;
    // The last artwork decoded, so an unchanged picture is not decoded again.
    std::vector<unsigned char> artworkBytes_;
    std::shared_ptr<const QImage> artwork_;
};

}  // namespace orbel
