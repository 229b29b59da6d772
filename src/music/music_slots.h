#pragma once

// The music dial's own slots: play/pause, next, previous and the volume
// wedge. The music provider makes one of each and keeps them; they are never
// built from the stored configuration.

#include "dial/dial_mode_provider.h"
#include "music/now_playing_service.h"
#include "slots/menu_slot.h"

namespace orbel {

// Identity, title and kind, fixed at construction; a fresh id each time.
template <class Base = MenuSlot>
class MusicSlot : public Base {
public:
    MusicSlot(std::string title, SlotType type) : id_(Uuid::random()), title_(std::move(title)), type_(std::move(type)) {}
    Uuid id() const override { return id_; }
    std::string title() const override { return title_; }
    const SlotType& type() const override { return type_; }

protected:
    // A system symbol described by the slot's title.
    SlotImage symbol(std::string name) const { return SlotImage{SlotIcon::automatic(), std::move(name), title_, {}}; }

private:
    Uuid id_;
    std::string title_;
    SlotType type_;
};

// Sends one transport command to the player. Play/pause is sent only while
// there is a track to play or pause; next and previous always.
class TransportSlot final : public MusicSlot<> {
public:
    TransportSlot(std::string title, TransportCommand command, MusicNowPlayingService& service)
        : MusicSlot(std::move(title), SlotType::transport(command)), command_(command), service_(service) {}
    SlotImage icon() const override;
    void execute(DialController* controller) override;

    bool isPlaying = false;  // the play/pause slot's picture

private:
    TransportCommand command_;
    MusicNowPlayingService& service_;
};

class VolumeScrubMenuSlot final : public MusicSlot<VolumeLevelSlot> {
public:
    VolumeScrubMenuSlot() : MusicSlot("Volume", SlotType::volumeScrub()) {}
    SlotImage icon() const override;
    void execute(DialController*) override {}  // the dial's drag and click drive it
    double currentLevel() const override { return level; }
    bool isMuted() const override { return muted; }

    // The speaker symbol for a level: slashed when muted or silent, then one
    // to three waves.
    static std::string symbolFor(double level, bool muted);

    double level = 0.5;
    bool muted = false;
};

}  // namespace orbel
