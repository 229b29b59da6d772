#include "music/music_slots.h"

namespace orbel {

SlotImage TransportSlot::icon() const {
    switch (command_) {
    case TransportCommand::toggle: return symbol(isPlaying ? "pause.fill" : "play.fill");
    case TransportCommand::next: return symbol("forward.end.fill");
    case TransportCommand::prev: return symbol("backward.end.fill");
    }
    return symbol("play.fill");
}

void TransportSlot::execute(DialController*) {
    if (command_ == TransportCommand::toggle && !service_.currentState().track) return;
    service_.send(command_);
}

std::string VolumeScrubMenuSlot::symbolFor(double level, bool muted) {
    if (muted || level <= 0.001) return "speaker.slash.fill";
    if (level < 0.34) return "speaker.wave.1.fill";
    if (level < 0.67) return "speaker.wave.2.fill";
    return "speaker.wave.3.fill";
}

SlotImage VolumeScrubMenuSlot::icon() const { return symbol(symbolFor(level, muted)); }

}  // namespace orbel
